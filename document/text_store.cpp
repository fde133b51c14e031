#include "document/text_store.h"

#include "document/document.h"
#include "document/text_store_tree.h"

#include <algorithm>
#include <utility>

namespace lumora {

using store::Found;
using store::Node;
using store::Run;

namespace {

// True when every CR is followed by an LF and every LF follows a CR: when
// each LF has a CR before it and there are as many CRs as LFs.  Both are
// found by Qt's vectorised searches, so this costs little beside a copy.
bool BreaksWellFormed(QStringView text)
{
    qsizetype lfs = 0;
    for (qsizetype i = text.indexOf(u'\n'); i >= 0; i = text.indexOf(u'\n', i + 1), ++lfs) {
        if (i == 0 || text[i - 1] != u'\r')
            return false;
    }
    return text.count(u'\r') == lfs;
}

std::vector<Run> ToRuns(const RunList &runs, int length)
{
    std::vector<Run> out;
    out.reserve(runs.Runs().size() + 1);
    int at = 0;
    for (const FormatRun &r : runs.Runs()) {
        const int end = std::min(r.end, length);
        store::AppendRun(out, end - at, r.format);
        at = std::max(at, end);
    }
    store::AppendRun(out, length - at, 0);   // runs short of the text: default
    return out;
}

// The text with each CR LF, lone CR and lone LF made one CR LF in the format
// of the break's first character.
void NormaliseBreaks(const QString &text, const RunList &runList, QString &out, std::vector<Run> &outRuns)
{
    const std::vector<FormatRun> &runs = runList.Runs();
    const int n = int(text.size());
    out.reserve(n + 16);
    size_t r = 0;
    for (int i = 0; i < n;) {
        while (r < runs.size() && runs[r].end <= i)
            ++r;
        const int format = r < runs.size() ? runs[r].format : 0;
        const int runEnd = r < runs.size() ? runs[r].end : n;
        int j = i;
        while (j < runEnd && text[j] != u'\r' && text[j] != u'\n')
            ++j;
        if (j > i) {
            out.append(QStringView(text).mid(i, j - i));
            store::AppendRun(outRuns, j - i, format);
            i = j;
            continue;
        }
        out.append(u"\r\n");
        store::AppendRun(outRuns, 2, format);
        i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
    }
}

} // namespace

TextStore::TextStore(int chunkChars) : m_chunkChars(std::max(chunkChars, 4)) {}

TextStore::~TextStore() { store::Destroy(m_root); }

TextStore::TextStore(TextStore &&other) noexcept
    : m_root(std::exchange(other.m_root, nullptr)), m_formats(std::move(other.m_formats)),
      m_chunkChars(other.m_chunkChars), m_seed(other.m_seed)
{
}

TextStore &TextStore::operator=(TextStore &&other) noexcept
{
    if (this != &other) {
        store::Destroy(m_root);
        m_root = std::exchange(other.m_root, nullptr);
        m_formats = std::move(other.m_formats);
        m_chunkChars = other.m_chunkChars;
        m_seed = other.m_seed;
    }
    return *this;
}

quint32 TextStore::NextPriority(quint32 &seed)
{
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
}

void TextStore::Load(const QString &crlfText, const RunList &runs)
{
    store::Destroy(m_root);
    m_root = nullptr;
    // A text as the readers make it goes in without a copy of its own; only
    // one with stray CRs or LFs is rewritten first.
    if (BreaksWellFormed(crlfText)) {
        m_root = store::BuildTree(crlfText, ToRuns(runs, int(crlfText.size())), m_chunkChars, &NextPriority, m_seed);
        return;
    }
    QString text;
    std::vector<Run> fixed;
    NormaliseBreaks(crlfText, runs, text, fixed);
    m_root = store::BuildTree(text, fixed, m_chunkChars, &NextPriority, m_seed);
}

void TextStore::Load(const Document &doc)
{
    m_formats = doc.formats;
    Load(doc.text, doc.runs);
}

Document TextStore::ToDocument() const
{
    Document d;
    d.text = Text();
    d.runs = Runs();
    d.formats = m_formats;
    return d;
}

int TextStore::Length() const { return store::Chars(m_root); }

QChar TextStore::At(int pos) const
{
    if (pos < 0 || pos >= Length())
        return QChar();
    const Found f = store::FindPos(m_root, pos);
    return f.node->text[pos - f.start];
}

QString TextStore::Text(int pos, int len) const
{
    const int from = std::clamp(pos, 0, Length());
    const int to = from + std::clamp(len, 0, Length() - from);
    QString out;
    out.reserve(to - from);
    auto take = [&](Node *n, int start) {
        const int s = std::max(from, start) - start;
        const int e = std::min(to, start + int(n->text.size())) - start;
        out.append(QStringView(n->text).mid(s, e - s));
    };
    store::ForEachChunk(m_root, 0, from, to, take);
    return out;
}

int TextStore::ParagraphCount() const { return store::Breaks(m_root) + 1; }

int TextStore::ParagraphStart(int paragraph) const
{
    const int k = std::clamp(paragraph, 0, ParagraphCount() - 1);
    if (k == 0)
        return 0;
    const Found f = store::FindBreak(m_root, k);
    qsizetype at = -1;
    for (int i = f.breaksBefore; i < k; ++i)
        at = f.node->text.indexOf(u'\n', at + 1);
    return f.start + int(at) + 1;
}

int TextStore::ParagraphEnd(int paragraph) const
{
    const int k = std::clamp(paragraph, 0, ParagraphCount() - 1);
    return k + 1 < ParagraphCount() ? ParagraphStart(k + 1) - 2 : Length();
}

int TextStore::ParagraphAt(int pos) const
{
    if (!m_root)
        return 0;
    const int p = std::clamp(pos, 0, Length());
    const Found f = store::FindPos(m_root, p);
    return f.breaksBefore + int(QStringView(f.node->text).left(p - f.start).count(u'\n'));
}

TextStore::Place TextStore::PlaceOf(int pos) const
{
    const int p = std::clamp(pos, 0, Length());
    const int paragraph = ParagraphAt(p);
    return {paragraph, p - ParagraphStart(paragraph)};
}

int TextStore::PositionOf(Place place) const
{
    const int k = std::clamp(place.paragraph, 0, ParagraphCount() - 1);
    const int start = ParagraphStart(k);
    return start + std::clamp(place.column, 0, ParagraphEnd(k) - start);
}

int TextStore::SnapDown(int pos) const
{
    const int p = std::clamp(pos, 0, Length());
    return At(p) == u'\n' ? p - 1 : p;
}

int TextStore::SnapUp(int pos) const
{
    const int p = std::clamp(pos, 0, Length());
    return At(p) == u'\n' ? p + 1 : p;
}

TextStore::Span TextStore::Insert(int pos, const QString &text, int format)
{
    return Replace(pos, pos, text, RunList(int(text.size()), format));
}

TextStore::Span TextStore::Insert(int pos, const QString &text, const RunList &runs)
{
    return Replace(pos, pos, text, runs);
}

TextStore::Span TextStore::Remove(int from, int to) { return Replace(from, to, QString(), RunList()); }

Node *TextStore::TakeChunksAround(int from, int to, Node *&before, Node *&after)
{
    before = after = nullptr;
    if (!m_root)
        return nullptr;
    const Found first = store::FindPos(m_root, from);
    const Found last = store::FindPos(m_root, to);
    const int end = last.start + int(last.node->text.size());
    Node *rest = nullptr;
    Node *middle = nullptr;
    store::Split(m_root, first.start, before, rest);
    store::Split(rest, end - first.start, middle, after);
    m_root = nullptr;
    return middle;
}

// The chunks holding from and to are taken out whole, with all between;
// what they keep outside [from, to) is joined with the new text and cut
// into chunks again.  So an edit copies a chunk or two besides its own text
// and walks the tree a few times.
TextStore::Span TextStore::Replace(int from, int to, const QString &text, const RunList &runs)
{
    const bool insertOnly = to <= from;
    from = SnapDown(from);
    to = insertOnly ? from : std::max(from, SnapUp(to));
    QString inserted;
    std::vector<Run> insertedRuns;
    NormaliseBreaks(text, runs, inserted, insertedRuns);

    Node *before = nullptr, *after = nullptr;
    Node *middle = TakeChunksAround(from, to, before, after);
    const int middleStart = store::Chars(before);
    QString joined;
    std::vector<Run> joinedRuns;
    if (Node *first = store::Leftmost(middle)) {
        joined.append(QStringView(first->text).left(from - middleStart));
        store::AppendSlice(joinedRuns, first->runs, 0, from - middleStart);
    }
    joined.append(inserted);
    for (const Run &r : insertedRuns)
        store::AppendRun(joinedRuns, r.length, r.format);
    if (Node *last = store::Rightmost(middle)) {
        const int lastStart = middleStart + middle->chars - int(last->text.size());
        joined.append(QStringView(last->text).mid(to - lastStart));
        store::AppendSlice(joinedRuns, last->runs, to - lastStart, int(last->text.size()));
    }
    store::Destroy(middle);

    // A small remainder takes in its neighbours, so that deleting here and
    // there does not leave the tree full of tiny chunks.
    if (joined.size() < m_chunkChars / 4) {
        if (Node *prev = store::PopLast(before)) {
            std::vector<Run> r = prev->runs;
            for (const Run &x : joinedRuns)
                store::AppendRun(r, x.length, x.format);
            joined.prepend(prev->text);
            joinedRuns.swap(r);
            delete prev;
        }
        if (Node *next = store::PopFirst(after)) {
            joined.append(next->text);
            for (const Run &x : next->runs)
                store::AppendRun(joinedRuns, x.length, x.format);
            delete next;
        }
    }
    Node *made = store::BuildTree(joined, joinedRuns, m_chunkChars, &NextPriority, m_seed);
    m_root = store::Merge(store::Merge(before, made), after);
    return {from, from + int(inserted.size())};
}

int TextStore::FormatAt(int pos) const
{
    if (!m_root)
        return 0;
    const int p = std::clamp(pos, 0, Length() - 1);
    const Found f = store::FindPos(m_root, p);
    int at = f.start;
    for (const Run &r : f.node->runs) {
        at += r.length;
        if (p < at)
            return r.format;
    }
    return 0;
}

void TextStore::SetFormat(int from, int to, int format)
{
    from = SnapDown(from);
    to = SnapUp(to);
    if (from >= to)
        return;
    auto fill = [&](Node *n, int start) {
        const int len = int(n->text.size());
        const int s = std::max(from, start) - start;
        const int e = std::min(to, start + len) - start;
        std::vector<Run> out;
        out.reserve(n->runs.size() + 2);
        store::AppendSlice(out, n->runs, 0, s);
        store::AppendRun(out, e - s, format);
        store::AppendSlice(out, n->runs, e, len);
        n->runs.swap(out);
    };
    store::ForEachChunk(m_root, 0, from, to, fill);
}

void TextStore::SetRuns(const RunList &runs)
{
    const std::vector<FormatRun> &given = runs.Runs();
    size_t r = 0;
    std::vector<Run> chunkRuns;
    auto take = [&](Node *n, int start) {
        const int end = start + int(n->text.size());
        chunkRuns.clear();
        for (int at = start; at < end;) {
            while (r < given.size() && given[r].end <= at)
                ++r;
            const int stop = r < given.size() ? std::min(given[r].end, end) : end;
            store::AppendRun(chunkRuns, stop - at, r < given.size() ? given[r].format : 0);
            at = stop;
        }
        n->runs.assign(chunkRuns.begin(), chunkRuns.end());
    };
    store::ForEachChunk(m_root, 0, 0, Length(), take);
}

void TextStore::ForEachRun(int from, int to, const std::function<void(int, int, int)> &f) const
{
    from = std::clamp(from, 0, Length());
    to = std::clamp(to, from, Length());
    int runStart = from, runEnd = from, runFormat = -1;
    auto visit = [&](Node *n, int start) {
        int at = start;
        for (const Run &r : n->runs) {
            const int s = std::max(at, from), e = std::min(at + r.length, to);
            at += r.length;
            if (s >= e)
                continue;
            if (r.format != runFormat) {
                if (runEnd > runStart)
                    f(runStart, runEnd, runFormat);
                runStart = s;
                runFormat = r.format;
            }
            runEnd = e;
        }
    };
    store::ForEachChunk(m_root, 0, from, to, visit);
    if (runEnd > runStart)
        f(runStart, runEnd, runFormat);
}

RunList TextStore::Runs(int from, int to) const
{
    RunList out;
    ForEachRun(from, to, [&out](int s, int e, int format) { out.Append(e - s, format); });
    return out;
}

} // namespace lumora
