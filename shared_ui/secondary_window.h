#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

namespace lumora {

// A window object whose on-screen window can be built again from its design.
// Its own variables live in the object and survive the window.
class FormDesign
{
public:
    virtual ~FormDesign() = default;
    // A new top-level window with every control in its design state.
    virtual QWidget *CreateFromDesign() = 0;
};

// Holds one secondary window for the whole run: the window object is made at
// the first request; its window is shown modeless and without an owner,
// brought to the front by a second request, destroyed with its controls when
// the user closes it, and rebuilt from the design when shown again.
class SecondaryWindow : public QObject
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<FormDesign>()>;
    explicit SecondaryWindow(Factory factory, QObject *parent = nullptr);
    ~SecondaryWindow() override;

    void Show();
    // Null while no window is open.
    QWidget *Window() const { return m_window; }
    // Null before the first Show.
    FormDesign *Form() const { return m_form.get(); }

private:
    Factory m_factory;
    std::unique_ptr<FormDesign> m_form;
    QPointer<QWidget> m_window;
};

} // namespace lumora
