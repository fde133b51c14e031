// Bytes to document: the reader must never crash, hang or run away with
// memory; a document read from any input, written and read again, comes
// back equal (text, each character's look, alignment, and pictures where
// they were, with the same sizes, data and kinds);
// and the real editing area loads the input, shown and laid out, since
// font and layout faults only show there.
#include "document/document.h"
#include "fuzz/fuzz_editor.h"
#include "fuzz/fuzz_support.h"
#include "rich_text/rich_text_box.h"
#include "document/rtf_reader.h"
#include "document/rtf_writer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>

#include <cmath>

namespace {

// What a character looks like, its picture by the size the file keeps.
bool SameLook(const lumora::Document &a, int fa, const lumora::Document &b, int fb)
{
    lumora::CharFormat x = a.formats.At(fa), y = b.formats.At(fb);
    if ((x.picture >= 0) != (y.picture >= 0))
        return false;
    if (x.picture >= 0) {
        const lumora::Picture &p = a.pictures[x.picture], &q = b.pictures[y.picture];
        if (std::lround(p.width * 15) != std::lround(q.width * 15)
            || std::lround(p.height * 15) != std::lround(q.height * 15) || p.image.size() != q.image.size())
            return false;
        // Read data goes back as it came, in its kind.
        if (!p.data.isEmpty() && (p.data != q.data || p.kind != q.kind || p.kindParam != q.kindParam))
            return false;
        x.picture = y.picture = 0;
    }
    return x == y;
}

bool SameDocument(const lumora::Document &a, const lumora::Document &b)
{
    if (a.text != b.text || a.aligns != b.aligns)
        return false;
    const auto &ra = a.runs.Runs(), &rb = b.runs.Runs();
    size_t i = 0, j = 0;
    while (i < ra.size() && j < rb.size()) {
        if (!SameLook(a, ra[i].format, b, rb[j].format))
            return false;
        const int end = std::min(ra[i].end, rb[j].end);
        i += ra[i].end == end;
        j += rb[j].end == end;
    }
    return i == ra.size() && j == rb.size();
}

void LayOut(lumora::RichTextBox &box)
{
    LayOutAndPaint(box, 500);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    lumora::RichTextBox &box = ShownEditor();
    const QByteArray bytes = Bytes(data, size);
    lumora::Document doc;
    QString error;
    if (!lumora::ReadRtf(bytes, &doc, &error)) {
        FUZZ_CHECK(doc.text.isEmpty() && doc.runs.IsEmpty());
        FUZZ_CHECK(!error.isEmpty());
        // What is not RTF at all loads as plain text.
        FUZZ_CHECK(box.SetTextRTF(bytes, &error) == !lumora::IsRtf(bytes));
        LayOut(box);
        return 0;
    }
    FUZZ_CHECK(doc.runs.Length() == doc.text.size());
    const QByteArray rtf = lumora::WriteRtf(doc);
    FUZZ_CHECK(lumora::IsRtf(rtf));
    lumora::Document again;
    FUZZ_CHECK(lumora::ReadRtf(rtf, &again, &error));
    FUZZ_CHECK(SameDocument(doc, again));

    FUZZ_CHECK(box.SetTextRTF(bytes, &error));
    LayOut(box);
    FUZZ_CHECK(lumora::IsRtf(box.TextRTF()));
    return 0;
}
