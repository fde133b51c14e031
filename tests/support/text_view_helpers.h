#pragma once

// The editing area's widget, shown and filled, for tests on the real widget.

#include "document/document.h"
#include "rich_text/text_view.h"
#include "rich_text/view_layout.h"

#include <QtTest>

namespace lumora::testing {

inline void Open(TextView &v, const QString &crlfText)
{
    v.resize(420, 300);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.Buffer().SetDocument(Document::FromText(crlfText));
}

// A point on the viewport just inside the character at pos.
inline QPoint PointOf(const TextView &v, int pos)
{
    const QRectF at = v.Layout().CaretRect(pos);
    return v.ToViewport(QPointF(at.x() + 1, at.center().y())).toPoint();
}

inline void Send(QWidget *w, QEvent &e) { QCoreApplication::sendEvent(w, &e); }

} // namespace lumora::testing
