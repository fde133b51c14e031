#include "shared_ui/screen_fit.h"

#include "module1/window_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumora {

namespace {

void FitNow(QWidget &window)
{
    const QRect frame = window.frameGeometry();
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window.screen();
    if (!screen)
        return;
    const QRect fitted = FitIntoArea(frame, screen->availableGeometry());
    if (fitted == frame)
        return;
    // move() places the frame; resize() sizes what lies inside it.
    const QSize border = frame.size() - window.size();
    window.move(fitted.topLeft());
    window.resize(fitted.size() - border);
}

// Fits the window once, at the first move after the window system framed it.
class FitWhenFramed : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Move && window->isVisible() && window->frameGeometry() != window->geometry()) {
            window->removeEventFilter(this);
            deleteLater();
            FitNow(*window);
        }
        return false;
    }
};

} // namespace

void KeepOnScreen(QWidget &window)
{
    // Where the window system chooses the place, it keeps the window on
    // the screen itself; only the frame it adds may then reach off it.
    if (window.testAttribute(Qt::WA_Moved))
        FitNow(window);
    window.installEventFilter(new FitWhenFramed(&window));
}

} // namespace lumora
