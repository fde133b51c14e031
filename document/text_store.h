#pragma once

#include "document/char_format.h"
#include "document/run_list.h"

#include <QString>
#include <functional>
#include <vector>

namespace lumora {

struct Document;
namespace store {
struct Node;
struct Run;
}

// A document's text and the format of every character, kept in chunks of a
// few thousand characters in a balanced tree with a line index, so that an
// edit, a position's paragraph and a paragraph's start cost O(log n) however
// large the text and however long its lines; there is no second copy of the
// whole text.
//
// Positions are those the rest of the program counts in: a paragraph break is
// the two characters CR LF, and the store keeps them so, literally, in one
// chunk (never cut between the CR and the LF), which makes its text equal
// Document::text character for character.  Keeping that true decides what
// happens at the middle of a break:
//  - a position between the CR and the LF is moved to the CR when it starts a
//    range or is where text goes in, and past the LF when it ends a range, so
//    a range touching half a break takes the whole break;
//  - inserted text has every CR LF, lone CR and lone LF made one CR LF, the
//    LF in the CR's format (both characters of a break share one format).
// A soft line break (U+2028) and a picture (U+FFFC) are characters like any.
class TextStore
{
public:
    // What an edit did: its text now spans [from, to).
    struct Span
    {
        int from = 0;
        int to = 0;
    };
    struct Place
    {
        int paragraph = 0;
        int column = 0;
    };
    static constexpr int kChunkChars = 2048;

    // chunkChars: the most characters a chunk holds (small in tests, so that
    // breaks meet chunk borders often).
    explicit TextStore(int chunkChars = kChunkChars);
    ~TextStore();
    TextStore(TextStore &&other) noexcept;
    TextStore &operator=(TextStore &&other) noexcept;
    TextStore(const TextStore &) = delete;
    TextStore &operator=(const TextStore &) = delete;

    // Replaces everything by this text and its runs, in one linear pass.
    void Load(const QString &crlfText, const RunList &runs);
    // Builds a store from text that arrives in pieces (as a file is
    // decoded), all in format 0, so that the text never exists whole beside
    // it.  Every line break must already be CR LF; a pair may be cut between
    // two pieces.
    class Filler
    {
    public:
        explicit Filler(int chunkChars = kChunkChars);
        ~Filler();
        Filler(const Filler &) = delete;
        Filler &operator=(const Filler &) = delete;
        void Append(QStringView piece);
        // Characters appended so far (may pass what a store can count).
        qint64 Length() const { return m_length; }
        // The store of everything appended; the filler is empty again.
        TextStore Finish();

    private:
        void CloseChunk();

        std::vector<store::Node *> m_nodes;
        QString m_chunk;
        qint64 m_length = 0;
        int m_chunkChars;
        quint32 m_seed = 0x9E3779B9u;
    };

    // The document's text, runs and formats (its pictures, alignments and
    // omitted parts stay with whoever owns the document).
    void Load(const Document &doc);
    Document ToDocument() const;

    int Length() const;
    QChar At(int pos) const;
    QString Text(int pos, int len) const;
    QString Text() const { return Text(0, Length()); }

    int ParagraphCount() const;
    int ParagraphStart(int paragraph) const;
    // Where the paragraph's text ends, before its CR LF.
    int ParagraphEnd(int paragraph) const;
    // The paragraph holding pos; a break belongs to the paragraph it ends.
    int ParagraphAt(int pos) const;
    Place PlaceOf(int pos) const;
    // The column is kept within the paragraph's text, so a position inside
    // a break comes back as the break's start.
    int PositionOf(Place place) const;

    // Positions moved off the middle of a break as described above.
    int SnapDown(int pos) const;
    int SnapUp(int pos) const;

    Span Insert(int pos, const QString &text, int format);
    // text with its own runs; characters past the runs' end take format 0.
    Span Insert(int pos, const QString &text, const RunList &runs);
    // With to <= from nothing is removed.
    Span Remove(int from, int to);
    Span Replace(int from, int to, const QString &text, const RunList &runs);

    FormatTable &Formats() { return m_formats; }
    const FormatTable &Formats() const { return m_formats; }
    int FormatAt(int pos) const;
    // Gives [from, to) one format; the range is widened over split breaks.
    // Costs a walk to from plus the chunks and runs the range covers.
    void SetFormat(int from, int to, int format);
    // Every character's format at once, as a colouring pass gives them: one
    // pass over chunks and runs together.  Past the runs' end: format 0.
    void SetRuns(const RunList &runs);
    // f(start, end, format) for each run overlapping [from, to), clipped to
    // it; neighbours always differ, as in a RunList.
    void ForEachRun(int from, int to, const std::function<void(int, int, int)> &f) const;
    RunList Runs(int from, int to) const;
    RunList Runs() const { return Runs(0, Length()); }

    // ---- Every format at once, as the chunks hold them (text_store_runs.cpp)
    // Trading them costs a few pointers per chunk, where SetRuns costs a pass
    // over every run: what the undo of a colouring pass on a million lines
    // needs.  sizes[i] is the length of chunk i, runs[i] its formats.
    class ChunkRuns
    {
    public:
        ChunkRuns();
        ~ChunkRuns();
        ChunkRuns(ChunkRuns &&other) noexcept;
        ChunkRuns &operator=(ChunkRuns &&other) noexcept;
        bool IsEmpty() const { return sizes.empty(); }

        std::vector<int> sizes;
        std::vector<std::vector<store::Run>> runs;
    };
    // runs (a run list over the whole text) cut as the chunks are now.
    ChunkRuns CutRuns(const RunList &runs) const;
    // The same, the run list handed over stretch by stretch from the start,
    // so that it never exists whole.
    class RunCutter
    {
    public:
        explicit RunCutter(const TextStore &store);
        ~RunCutter();
        RunCutter(const RunCutter &) = delete;
        RunCutter &operator=(const RunCutter &) = delete;
        // The runs of the next `length` characters; past the runs' end:
        // format 0.
        void Append(const RunList &runs, int length);
        ChunkRuns Finish();

    private:
        void Put(int length, int format);

        ChunkRuns m_out;
        std::vector<int> m_sizes;
        std::vector<store::Run> m_chunk;
        size_t m_next = 0;   // the chunk being filled
        int m_used = 0;
    };
    // Gives the chunks these formats and leaves theirs in `runs`.  When the
    // chunks are no longer cut as `runs` is (edits undone in between cut
    // them anew), it sets them by one pass instead; the trade is the same.
    void SwapRuns(ChunkRuns &runs);

private:
    store::Node *TakeChunksAround(int from, int to, store::Node *&before, store::Node *&after);
    static quint32 NextPriority(quint32 &seed);

    store::Node *m_root = nullptr;
    FormatTable m_formats;
    int m_chunkChars;
    quint32 m_seed = 0x9E3779B9u;
};

} // namespace lumora
