#include "rich_text_box.h"

#include "color_layers.h"
#include "format_layer.h"

namespace lumora {

void RichTextBox::ApplyColorRuns(const QVector<ColorRun> &runs)
{
    std::vector<ColorPiece> pieces;
    pieces.reserve(size_t(runs.size()));
    for (const ColorRun &r : runs)
        pieces.push_back({r.start, int(std::min<qint64>(qint64(r.start) + std::max(0, r.length), INT_MAX)), qint64(r.color)});
    ApplyColorPieces(std::move(pieces));
}

void RichTextBox::ApplyColorPieces(std::vector<ColorPiece> runs)
{
    std::vector<ColorPiece> pieces = FlattenColorRuns(RawText(), std::move(runs));
    if (!pieces.empty())
        m_layer->Recolor(std::move(pieces));
}

} // namespace lumora
