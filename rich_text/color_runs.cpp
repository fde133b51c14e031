#include "rich_text/rich_text_box.h"

#include "document/color_layers.h"
#include "rich_text/format_layer.h"

namespace lumora {

void RichTextBox::ApplyColorRuns(const QVector<ColorRun> &runs)
{
    std::vector<ColorPiece> pieces;
    pieces.reserve(size_t(runs.size()));
    for (const ColorRun &r : runs)
        pieces.push_back({r.start, int(std::min<qint64>(qint64(r.start) + std::max(0, r.length), INT_MAX)), qint32(r.color)});
    ApplyColorPieces(std::move(pieces));
}

void RichTextBox::ApplyColorPieces(std::vector<ColorPiece> runs)
{
    // Runs that fall outside the text colour nothing and make no undo step.
    const int len = TextLength();
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [len](const ColorPiece &r) { return r.end <= r.start || r.start >= len || r.end <= 0; }),
               runs.end());
    if (runs.empty())
        return;
    PaintFormats([&runs](const QString &text, RunList &formats, FormatTable &table) {
        PaintColorRuns(text, std::move(runs), formats, table);
    });
}

void RichTextBox::PaintFormats(const std::function<void(const QString &, RunList &, FormatTable &)> &painter)
{
    m_layer->Paint(painter);
}

} // namespace lumora
