// TextStore's formats taken out and put back whole, chunk by chunk.
#include "document/text_store.h"

#include "document/text_store_tree.h"

namespace lumora {

using store::Node;
using store::Run;

TextStore::ChunkRuns::ChunkRuns() = default;
TextStore::ChunkRuns::~ChunkRuns() = default;
TextStore::ChunkRuns::ChunkRuns(ChunkRuns &&other) noexcept = default;
TextStore::ChunkRuns &TextStore::ChunkRuns::operator=(ChunkRuns &&other) noexcept = default;

TextStore::ChunkRuns TextStore::CutRuns(const RunList &runs) const
{
    ChunkRuns out;
    const std::vector<FormatRun> &given = runs.Runs();
    size_t r = 0;
    std::vector<Run> chunk;
    auto cut = [&](Node *n, int start) {
        const int end = start + int(n->text.size());
        chunk.clear();
        for (int at = start; at < end;) {
            while (r < given.size() && given[r].end <= at)
                ++r;
            const int stop = r < given.size() ? std::min(given[r].end, end) : end;
            store::AppendRun(chunk, stop - at, r < given.size() ? given[r].format : 0);
            at = stop;
        }
        out.sizes.push_back(end - start);
        // At their exact size: a coloured chunk holds hundreds of runs.
        out.runs.emplace_back(chunk.begin(), chunk.end());
    };
    store::ForEachChunk(m_root, 0, 0, Length(), cut);
    return out;
}

TextStore::RunCutter::RunCutter(const TextStore &store)
{
    auto size = [this](Node *n, int) { m_sizes.push_back(int(n->text.size())); };
    store::ForEachChunk(store.m_root, 0, 0, store.Length(), size);
    m_out.sizes.reserve(m_sizes.size());
    m_out.runs.reserve(m_sizes.size());
}

TextStore::RunCutter::~RunCutter() = default;

void TextStore::RunCutter::Put(int length, int format)
{
    while (length > 0 && m_next < m_sizes.size()) {
        const int take = std::min(length, m_sizes[m_next] - m_used);
        store::AppendRun(m_chunk, take, format);
        m_used += take;
        length -= take;
        if (m_used == m_sizes[m_next]) {
            m_out.sizes.push_back(m_used);
            m_out.runs.emplace_back(m_chunk.begin(), m_chunk.end());
            m_chunk.clear();
            m_used = 0;
            ++m_next;
        }
    }
}

void TextStore::RunCutter::Append(const RunList &runs, int length)
{
    int at = 0;
    for (const FormatRun &r : runs.Runs()) {
        const int end = std::min(r.end, length);
        Put(end - at, r.format);
        at = std::max(at, end);
    }
    Put(length - at, 0);
}

TextStore::ChunkRuns TextStore::RunCutter::Finish()
{
    // Chunks not reached (none, when every character was handed over).
    while (m_next < m_sizes.size()) {
        if (m_sizes[m_next] > m_used) {
            Put(m_sizes[m_next] - m_used, 0);
            continue;
        }
        m_out.sizes.push_back(m_sizes[m_next++]);   // an empty chunk
        m_out.runs.emplace_back();
    }
    return std::move(m_out);
}

void TextStore::SwapRuns(ChunkRuns &runs)
{
    std::vector<Node *> chunks;
    auto list = [&chunks](Node *n, int) { chunks.push_back(n); };
    store::ForEachChunk(m_root, 0, 0, Length(), list);
    bool same = chunks.size() == runs.sizes.size();
    for (size_t i = 0; same && i < chunks.size(); ++i)
        same = int(chunks[i]->text.size()) == runs.sizes[i];
    if (same) {
        for (size_t i = 0; i < chunks.size(); ++i)
            std::swap(chunks[i]->runs, runs.runs[i]);
        return;
    }
    RunList given;
    for (const std::vector<Run> &chunk : runs.runs) {
        for (const Run &r : chunk)
            given.Append(r.length, r.format);
    }
    runs = CutRuns(Runs());
    SetRuns(given);
}

} // namespace lumora
