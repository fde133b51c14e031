#include "calculator/refusal_notice.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QToolTip>

namespace lumora {

RefusalNotice::RefusalNotice(QWidget *window) : QLabel(window, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)
{
    setObjectName(QStringLiteral("RefusalNotice"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setPalette(QToolTip::palette());
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setWordWrap(true);
    m_expire.setSingleShot(true);
    connect(&m_expire, &QTimer::timeout, this, &QWidget::hide);
}

void RefusalNotice::ShowAt(QWidget *field, const QString &reason)
{
    setText(reason);
    // One line when it fits under the field, else wrapped to its width.
    const int frame = 2 * (margin() + frameWidth()) + fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const int width = qMin(fontMetrics().horizontalAdvance(reason) + frame, field->width());
    resize(width, heightForWidth(width));
    move(field->mapToGlobal(QPoint(0, field->height() + 1)));
    show();
    raise();
    qApp->installEventFilter(this);
    m_expire.start(kShownMs);
}

bool RefusalNotice::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        hide();
        break;
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
    case QEvent::Close:
        if (watched == parentWidget())
            hide();
        break;
    default:
        break;
    }
    return false;
}

void RefusalNotice::hideEvent(QHideEvent *event)
{
    qApp->removeEventFilter(this);
    m_expire.stop();
    QLabel::hideEvent(event);
}

} // namespace lumora
