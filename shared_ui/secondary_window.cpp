#include "shared_ui/secondary_window.h"

#include "shared_ui/screen_fit.h"

namespace lumora {

SecondaryWindow::SecondaryWindow(Factory factory, QObject *parent) : QObject(parent), m_factory(std::move(factory)) {}

SecondaryWindow::~SecondaryWindow()
{
    delete m_window.data();
}

void SecondaryWindow::Show()
{
    if (!m_form)
        m_form = m_factory();
    if (!m_window) {
        m_window = m_form->CreateFromDesign();
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        KeepOnScreen(*m_window);
    }
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace lumora
