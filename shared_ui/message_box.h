#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace lumora {

// YesNo: Yes is the default.  YesNoDefaultNo: No is, for a question whose
// Yes gives something up.  SaveDiscardCancel: 保存(&S) (the default),
// 不保存(&N) and 取消, for changes that would otherwise be lost.  Escape
// answers No, or Cancel.
enum class MsgButtons { Ok, YesNo, YesNoDefaultNo, SaveDiscardCancel };
enum class MsgAnswer { Ok, Yes, No, Save, Discard, Cancel };

struct MsgRequest
{
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
};

using MsgResponder = std::function<MsgAnswer(const MsgRequest &)>;

// The program's one way to ask or tell the user something: a modal box with
// a text, a title, the buttons asked for, and never an icon.
MsgAnswer MsgBox(QWidget *parent, const QString &text, const QString &title,
                 MsgButtons buttons = MsgButtons::Ok);

// Lets a test answer the boxes instead of a person.  Returns the previous
// responder; an empty one restores the real box.
MsgResponder SetMsgResponder(MsgResponder responder);

// True when the environment forbids real modal dialogs (the test suite sets
// LUMORA_NO_MODAL): a dialog that nobody would answer then aborts the test
// run loudly instead of hanging it.
bool ModalDialogsForbidden();

} // namespace lumora
