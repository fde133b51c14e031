#pragma once

#include <QLabel>
#include <QTimer>

namespace lumora {

// Why a calculator click gave no result, shown just under the field
// concerned in the tooltip colours.  Unlike a tooltip it does not vanish
// the moment the pointer leaves the button just clicked: it stays until
// the user's next key, click or wheel turn, until the window closes or
// loses activation, or for a few seconds.  It is no wider than the field,
// so it never covers the operation buttons beside the fields.
class RefusalNotice : public QLabel
{
public:
    // Belongs to `window` and dies with it.
    explicit RefusalNotice(QWidget *window);

    void ShowAt(QWidget *field, const QString &reason);

    static constexpr int kShownMs = 6000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer m_expire;
};

} // namespace lumora
