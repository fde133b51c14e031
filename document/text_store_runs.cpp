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
    auto cut = [&](Node *n, int start) {
        const int end = start + int(n->text.size());
        std::vector<Run> chunk;
        for (int at = start; at < end;) {
            while (r < given.size() && given[r].end <= at)
                ++r;
            const int stop = r < given.size() ? std::min(given[r].end, end) : end;
            store::AppendRun(chunk, stop - at, r < given.size() ? given[r].format : 0);
            at = stop;
        }
        out.sizes.push_back(end - start);
        out.runs.push_back(std::move(chunk));
    };
    store::ForEachChunk(m_root, 0, 0, Length(), cut);
    return out;
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
