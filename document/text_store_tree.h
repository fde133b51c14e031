#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The inside of TextStore: a treap of text chunks ordered by position.  Each
// node is one chunk (its characters and their format runs) and also knows
// how many characters and line feeds its whole subtree holds, so a position
// or a paragraph number is found by one walk from the root.
namespace lumora::store {

// length characters in format `format`.
struct Run
{
    int length = 0;
    int format = 0;
};

// Appends a run, joining it to the last one when the format is the same.
void AppendRun(std::vector<Run> &runs, int length, int format);
// Appends the runs of [from, to) of `runs`.
void AppendSlice(std::vector<Run> &out, const std::vector<Run> &runs, int from, int to);

struct Node
{
    QString text;
    std::vector<Run> runs;    // cover text exactly
    Node *left = nullptr;
    Node *right = nullptr;
    quint32 priority = 0;
    int ownBreaks = 0;        // line feeds in text
    int chars = 0;            // characters of the subtree
    int breaks = 0;           // line feeds of the subtree
};

inline int Chars(const Node *n) { return n ? n->chars : 0; }
inline int Breaks(const Node *n) { return n ? n->breaks : 0; }
void Update(Node *n);
void Destroy(Node *n);

Node *Merge(Node *a, Node *b);
// Cuts t after its first `chars` characters, which must end a chunk.
void Split(Node *t, int chars, Node *&before, Node *&after);
// Takes the last (first) chunk out of t.
Node *PopLast(Node *&t);
Node *PopFirst(Node *&t);
Node *Leftmost(Node *t);
Node *Rightmost(Node *t);

// Cuts text (with its runs) into chunks of at most maxChars characters,
// never between the CR and the LF of a break, and builds a tree of them in
// linear time.  nextPriority gives each chunk its random priority.
Node *BuildTree(const QString &text, const std::vector<Run> &runs, int maxChars, quint32 (*nextPriority)(quint32 &),
                quint32 &seed);

// The treap of these chunks in this order, in linear time.
Node *Assemble(const std::vector<Node *> &nodes);

// Where a walk from the root ended: the chunk, the position it starts at and
// the line feeds before it.
struct Found
{
    Node *node = nullptr;
    int start = 0;
    int breaksBefore = 0;
};
// The chunk holding position pos; the last chunk for pos == length.
Found FindPos(Node *root, int pos);
// The chunk holding the k-th line feed (k >= 1).
Found FindBreak(Node *root, int k);

// Calls f(node, start) for every chunk overlapping [from, to), in order.
template<typename F>
void ForEachChunk(Node *n, int base, int from, int to, F &f)
{
    if (!n || from >= base + n->chars || to <= base)
        return;
    const int start = base + Chars(n->left);
    const int end = start + int(n->text.size());
    ForEachChunk(n->left, base, from, to, f);
    if (start < to && end > from)
        f(n, start);
    ForEachChunk(n->right, end, from, to, f);
}

} // namespace lumora::store
