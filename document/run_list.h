#pragma once

#include "document/ole_color.h"

#include <QtGlobal>
#include <vector>

namespace lumora {

class FormatTable;

// One stretch of equally formatted characters: from the previous run's end
// up to end.
struct FormatRun
{
    int end = 0;
    int format = 0;
    friend bool operator==(const FormatRun &a, const FormatRun &b) { return a.end == b.end && a.format == b.format; }
};

// A stretch [start, end) to give a colour (none: automatic).
struct ColorPiece
{
    int start = 0;
    int end = 0;
    std::optional<OleColor> color;
};

// The format of every character of a text, kept as runs: run ends rise
// strictly, the last end is the text's length, and neighbours differ.
// Colour lives here beside the text, not in it.
class RunList
{
public:
    RunList() = default;
    RunList(int length, int format);

    int Length() const { return m_runs.empty() ? 0 : m_runs.back().end; }
    bool IsEmpty() const { return m_runs.empty(); }
    const std::vector<FormatRun> &Runs() const { return m_runs; }

    // The index of the run holding position pos (0 <= pos < Length()).
    size_t RunAt(int pos) const;
    int FormatAt(int pos) const { return m_runs[RunAt(pos)].format; }
    int RunStart(size_t index) const { return index == 0 ? 0 : m_runs[index - 1].end; }

    RunList Slice(int from, int to) const;
    void Append(int length, int format);
    void Append(const RunList &other);
    // Replaces [pos, pos + removed) by the characters of inserted.
    void Replace(int pos, int removed, const RunList &inserted);
    // Gives each piece its colour over whatever format it had; the pieces
    // are sorted and disjoint.  One pass over runs and pieces together.
    void Recolor(const std::vector<ColorPiece> &pieces, FormatTable &formats);

    friend bool operator==(const RunList &a, const RunList &b) { return a.m_runs == b.m_runs; }
    friend bool operator!=(const RunList &a, const RunList &b) { return !(a == b); }

private:
    std::vector<FormatRun> m_runs;
};

} // namespace lumora
