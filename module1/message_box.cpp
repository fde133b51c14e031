#include "message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumora {

namespace {
MsgResponder &Responder()
{
    static MsgResponder r;
    return r;
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
    if (buttons == MsgButtons::Ok) {
        QPushButton *ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.exec();
        return MsgAnswer::Ok;
    }
    QPushButton *yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
}

} // namespace lumora
