#include "shared_ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumora {

namespace {
MsgResponder &Responder()
{
    static MsgResponder r;
    return r;
}
struct Choice
{
    QString label;
    QMessageBox::ButtonRole role;
    MsgAnswer answer;
};

// The buttons of a box in their order, which of them is the default and
// which one Escape presses.
QList<Choice> ChoicesFor(MsgButtons buttons, int *byDefault, int *onEscape)
{
    *byDefault = 0;
    *onEscape = 1;
    switch (buttons) {
    case MsgButtons::Ok:
        break;
    case MsgButtons::YesNoDefaultNo:
        *byDefault = 1;
        Q_FALLTHROUGH();
    case MsgButtons::YesNo:
        return {{QStringLiteral("是(&Y)"), QMessageBox::YesRole, MsgAnswer::Yes},
                {QStringLiteral("否(&N)"), QMessageBox::NoRole, MsgAnswer::No}};
    case MsgButtons::SaveDiscardCancel:
        *onEscape = 2;
        return {{QStringLiteral("保存(&S)"), QMessageBox::AcceptRole, MsgAnswer::Save},
                {QStringLiteral("不保存(&N)"), QMessageBox::DestructiveRole, MsgAnswer::Discard},
                {QStringLiteral("取消"), QMessageBox::RejectRole, MsgAnswer::Cancel}};
    }
    *onEscape = 0;
    return {{QStringLiteral("确定"), QMessageBox::AcceptRole, MsgAnswer::Ok}};
}

} // namespace

bool ModalDialogsForbidden()
{
    return qEnvironmentVariableIsSet("LUMORA_NO_MODAL");
}

MsgResponder SetMsgResponder(MsgResponder responder)
{
    MsgResponder old = std::move(Responder());
    Responder() = std::move(responder);
    return old;
}

MsgAnswer MsgBox(QWidget *parent, const QString &text, const QString &title, MsgButtons buttons)
{
    if (Responder())
        return Responder()(MsgRequest{text, title, buttons});
    if (ModalDialogsForbidden())
        qFatal("message box \"%s\" shown with nobody to answer it", qPrintable(text));

    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    int byDefault = 0;
    int onEscape = 0;
    const QList<Choice> choices = ChoicesFor(buttons, &byDefault, &onEscape);
    QList<QPushButton *> pushed;
    for (const Choice &c : std::as_const(choices))
        pushed.append(box.addButton(c.label, c.role));
    box.setDefaultButton(pushed[byDefault]);
    box.setEscapeButton(pushed[onEscape]);
    box.exec();
    const int clicked = int(pushed.indexOf(static_cast<QPushButton *>(box.clickedButton())));
    return choices[clicked >= 0 ? clicked : onEscape].answer;
}

} // namespace lumora
