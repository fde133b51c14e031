#include "rich_text/layer_layout.h"

#include "rich_text/format_layer.h"
#include "rich_text/text_mirror.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace lumora {

LayerLayout::LayerLayout(QTextDocument *doc) : QPlainTextDocumentLayout(doc) {}

void LayerLayout::SetLayer(FormatLayer *layer, TextMirror *mirror)
{
    m_layer = layer;
    m_mirror = mirror;
}

void LayerLayout::Apply(const QTextBlock &block)
{
    const int start = m_mirror->LineStart(block.blockNumber());
    block.layout()->setFormats(m_layer->BlockFormats(start, block.length() - 1));
    const_cast<QTextBlock &>(block).setUserState(m_layer->Revision());
}

void LayerLayout::Refresh(const QTextBlock &block)
{
    if (!m_layer || !block.isValid() || block.userState() == m_layer->Revision())
        return;
    Apply(block);
    m_refreshing = true;
    document()->markContentsDirty(block.position(), block.length());
    m_refreshing = false;
}

// Called once the text has changed and the layer has followed it, before
// the changed paragraphs are laid out again.  A paragraph being edited gets
// its formats now; paragraphs a larger change made are formatted when shown.
void LayerLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    if (m_layer && !m_refreshing) {
        QTextDocument *doc = document();
        const QTextBlock first = doc->findBlock(from);
        const QTextBlock last = doc->findBlock(std::max(0, from + charsAdded - 1));
        if (first == last && first.isValid()) {
            Apply(first);
        } else {
            for (QTextBlock b : {first, last}) {
                if (b.isValid())
                    b.setUserState(-1);
            }
        }
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
}

} // namespace lumora
