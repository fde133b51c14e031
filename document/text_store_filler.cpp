// TextStore built from text that arrives in pieces, as a file is decoded.
#include "document/text_store.h"

#include "document/text_store_tree.h"

#include <algorithm>

namespace lumora {

using store::Node;

TextStore::Filler::Filler(int chunkChars) : m_chunkChars(std::max(chunkChars, 4)) {}

TextStore::Filler::~Filler()
{
    for (Node *n : m_nodes)
        store::Destroy(n);
}

void TextStore::Filler::Append(QStringView piece)
{
    m_length += piece.size();
    while (!piece.isEmpty()) {
        if (m_chunk.capacity() < m_chunkChars)
            m_chunk.reserve(m_chunkChars);
        const qsizetype take = std::min<qsizetype>(piece.size(), m_chunkChars - m_chunk.size());
        m_chunk.append(piece.first(take));
        piece = piece.sliced(take);
        if (m_chunk.size() == m_chunkChars)
            CloseChunk();
    }
}

// A full chunk becomes a node; a CR at its end waits for its LF in the next.
void TextStore::Filler::CloseChunk()
{
    QString carried;
    if (m_chunk.endsWith(u'\r') && m_chunk.size() > 1) {
        carried = QStringLiteral("\r");
        m_chunk.chop(1);
    }
    Node *n = new Node;
    n->text = std::move(m_chunk);
    n->ownBreaks = int(n->text.count(u'\n'));
    n->runs.push_back({int(n->text.size()), 0});
    n->priority = NextPriority(m_seed);
    m_nodes.push_back(n);
    m_chunk = std::move(carried);
}

TextStore TextStore::Filler::Finish()
{
    if (!m_chunk.isEmpty())
        CloseChunk();
    if (!m_chunk.isEmpty())   // a CR carried out of the last chunk
        CloseChunk();
    TextStore t(m_chunkChars);
    t.m_seed = m_seed;
    t.m_root = store::Assemble(m_nodes);
    m_nodes.clear();
    m_length = 0;
    return t;
}

} // namespace lumora
