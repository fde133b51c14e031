#pragma once

#include <QPlainTextDocumentLayout>

namespace lumora {

class FormatLayer;
class TextMirror;

// The plain-text layout, with each paragraph's formats taken from the
// format layer just before the paragraph is laid out.  A paragraph knows
// the layer revision it was formatted for (its user state), so a change of
// colours over the whole document costs nothing until paragraphs are shown.
class LayerLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT
public:
    explicit LayerLayout(QTextDocument *doc);
    void SetLayer(FormatLayer *layer, TextMirror *mirror);

    // Gives the paragraph the layer's formats if its own are out of date,
    // and lays it out again.  Only outside any edit of the document.
    void Refresh(const QTextBlock &block);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    void Apply(const QTextBlock &block);

    FormatLayer *m_layer = nullptr;
    TextMirror *m_mirror = nullptr;
    bool m_refreshing = false;
};

} // namespace lumora
