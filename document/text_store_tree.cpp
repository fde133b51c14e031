#include "document/text_store_tree.h"

#include <algorithm>

namespace lumora::store {

void AppendRun(std::vector<Run> &runs, int length, int format)
{
    if (length <= 0)
        return;
    if (!runs.empty() && runs.back().format == format)
        runs.back().length += length;
    else
        runs.push_back({length, format});
}

void AppendSlice(std::vector<Run> &out, const std::vector<Run> &runs, int from, int to)
{
    int at = 0;
    for (const Run &r : runs) {
        const int end = at + r.length;
        if (end > from && at < to)
            AppendRun(out, std::min(end, to) - std::max(at, from), r.format);
        if (end >= to)
            break;
        at = end;
    }
}

void Update(Node *n)
{
    n->chars = Chars(n->left) + int(n->text.size()) + Chars(n->right);
    n->breaks = Breaks(n->left) + n->ownBreaks + Breaks(n->right);
}

void Destroy(Node *n)
{
    if (!n)
        return;
    Destroy(n->left);
    Destroy(n->right);
    delete n;
}

Node *Merge(Node *a, Node *b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    if (a->priority > b->priority) {
        a->right = Merge(a->right, b);
        Update(a);
        return a;
    }
    b->left = Merge(a, b->left);
    Update(b);
    return b;
}

void Split(Node *t, int chars, Node *&before, Node *&after)
{
    if (!t) {
        before = after = nullptr;
        return;
    }
    const int upToThis = Chars(t->left) + int(t->text.size());
    if (chars >= upToThis) {
        Split(t->right, chars - upToThis, t->right, after);
        before = t;
    } else {
        Split(t->left, chars, before, t->left);
        after = t;
    }
    Update(t);
}

Node *PopLast(Node *&t)
{
    if (!t)
        return nullptr;
    if (t->right) {
        Node *last = PopLast(t->right);
        Update(t);
        return last;
    }
    Node *last = t;
    t = t->left;
    last->left = nullptr;
    Update(last);
    return last;
}

Node *PopFirst(Node *&t)
{
    if (!t)
        return nullptr;
    if (t->left) {
        Node *first = PopFirst(t->left);
        Update(t);
        return first;
    }
    Node *first = t;
    t = t->right;
    first->right = nullptr;
    Update(first);
    return first;
}

Node *Leftmost(Node *t)
{
    while (t && t->left)
        t = t->left;
    return t;
}

Node *Rightmost(Node *t)
{
    while (t && t->right)
        t = t->right;
    return t;
}

namespace {

// Chunk ends: about equal pieces of at most maxChars, none between CR and LF.
std::vector<int> ChunkEnds(const QString &text, int maxChars)
{
    std::vector<int> ends;
    const qsizetype len = text.size();
    if (len == 0)
        return ends;
    const qsizetype pieces = (len + maxChars - 1) / maxChars;
    const qsizetype size = (len + pieces - 1) / pieces;
    qsizetype at = 0;
    while (at < len) {
        qsizetype end = std::min(len, at + size);
        if (end < len && text[end] == u'\n' && end > at + 1)
            --end;   // keep the CR with its LF
        ends.push_back(int(end));
        at = end;
    }
    return ends;
}

} // namespace

// A Cartesian tree on the nodes' priorities, built with a stack of the
// right spine.
Node *Assemble(const std::vector<Node *> &nodes)
{
    std::vector<Node *> spine;
    for (Node *n : nodes) {
        Node *last = nullptr;
        while (!spine.empty() && spine.back()->priority < n->priority) {
            last = spine.back();
            spine.pop_back();
            Update(last);
        }
        n->left = last;
        if (!spine.empty())
            spine.back()->right = n;
        spine.push_back(n);
    }
    for (auto it = spine.rbegin(); it != spine.rend(); ++it)
        Update(*it);
    return spine.empty() ? nullptr : spine.front();
}

Node *BuildTree(const QString &text, const std::vector<Run> &runs, int maxChars, quint32 (*nextPriority)(quint32 &),
                quint32 &seed)
{
    std::vector<Node *> nodes;
    const std::vector<int> ends = ChunkEnds(text, maxChars);
    nodes.reserve(ends.size());
    int at = 0;
    size_t r = 0;
    int usedOfRun = 0;
    std::vector<Run> chunkRuns;
    for (int end : ends) {
        Node *n = new Node;
        // Always a copy of its own at its exact size: mid() of the whole
        // would share the caller's string with all its spare capacity.
        n->text = QString(text.constData() + at, end - at);
        n->ownBreaks = int(n->text.count(u'\n'));
        n->priority = nextPriority(seed);
        // The runs of [at, end), taken in step instead of sliced, so that
        // building stays linear in runs too; copied out at their exact size,
        // since a coloured listing has a run every dozen characters.
        chunkRuns.clear();
        for (int need = end - at; need > 0 && r < runs.size();) {
            const int take = std::min(need, runs[r].length - usedOfRun);
            AppendRun(chunkRuns, take, runs[r].format);
            need -= take;
            usedOfRun += take;
            if (usedOfRun == runs[r].length) {
                ++r;
                usedOfRun = 0;
            }
        }
        n->runs.assign(chunkRuns.begin(), chunkRuns.end());
        nodes.push_back(n);
        at = end;
    }
    return Assemble(nodes);
}

Found FindPos(Node *root, int pos)
{
    Found f;
    for (Node *n = root; n;) {
        const int l = Chars(n->left);
        if (pos < f.start + l) {
            n = n->left;
            continue;
        }
        const int end = f.start + l + int(n->text.size());
        if (pos < end || (!n->right && pos == end)) {
            f.node = n;
            f.start += l;
            f.breaksBefore += Breaks(n->left);
            return f;
        }
        f.start = end;
        f.breaksBefore += Breaks(n->left) + n->ownBreaks;
        n = n->right;
    }
    return f;
}

Found FindBreak(Node *root, int k)
{
    Found f;
    for (Node *n = root; n;) {
        const int lb = Breaks(n->left);
        if (k <= f.breaksBefore + lb) {
            n = n->left;
            continue;
        }
        if (k <= f.breaksBefore + lb + n->ownBreaks) {
            f.node = n;
            f.start += Chars(n->left);
            f.breaksBefore += lb;
            return f;
        }
        f.start += Chars(n->left) + int(n->text.size());
        f.breaksBefore += lb + n->ownBreaks;
        n = n->right;
    }
    return f;
}

} // namespace lumora::store
