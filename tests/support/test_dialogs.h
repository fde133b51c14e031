#pragma once

// Answers the program's dialogs in tests, so that no test waits for a click.

#include "shared_ui/common_dialog.h"
#include "shared_ui/message_box.h"

#include <QList>
#include <QtTest>
#include <functional>

namespace lumora::testing {

// A file/font dialog backend whose answers the test scripts.  An answer
// that was not scripted fails the test instead of blocking.
class ScriptedDialogs : public CommonDialogBackend
{
public:
    using Answer = std::function<bool(CommonDialog &)>;
    Answer open, save, font;
    int opens = 0, saves = 0, fonts = 0;
    QStringList filtersSeen;

    bool Open(CommonDialog &d, QWidget *) override { return Run(open, d, opens, "open"); }
    bool Save(CommonDialog &d, QWidget *) override { return Run(save, d, saves, "save"); }
    bool Font(CommonDialog &d, QWidget *) override { return Run(font, d, fonts, "font"); }

    // The user picks this name (and filter entry) and confirms.
    static Answer Choose(const QString &fileName, qint16 filterIndex = 1)
    {
        return [=](CommonDialog &d) {
            d.SetFileName(fileName);
            d.SetFilterIndex(filterIndex);
            return true;
        };
    }
    static Answer Cancel()
    {
        return [](CommonDialog &) { return false; };
    }

private:
    bool Run(const Answer &a, CommonDialog &d, int &count, const char *what)
    {
        ++count;
        filtersSeen << d.Filter;
        if (!a) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected %1 dialog").arg(QLatin1String(what))), __FILE__, __LINE__);
            return false;
        }
        return a(d);
    }
};

// Installs a ScriptedDialogs on a CommonDialog and returns it (owned by the dialog).
inline ScriptedDialogs *Script(CommonDialog &dialog)
{
    auto backend = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs *raw = backend.get();
    dialog.SetBackend(std::move(backend));
    return raw;
}

// Records every message box and answers it; restores the real boxes when
// it goes out of scope.
class MessageBoxes
{
public:
    explicit MessageBoxes(MsgAnswer answer = MsgAnswer::Ok) : m_answer(answer)
    {
        m_previous = SetMsgResponder([this](const MsgRequest &r) {
            shown.append(r);
            return r.buttons == MsgButtons::Ok ? MsgAnswer::Ok : m_answer;
        });
    }
    ~MessageBoxes() { SetMsgResponder(std::move(m_previous)); }
    MessageBoxes(const MessageBoxes &) = delete;
    MessageBoxes &operator=(const MessageBoxes &) = delete;

    void SetAnswer(MsgAnswer a) { m_answer = a; }
    QList<MsgRequest> shown;

private:
    MsgAnswer m_answer;
    MsgResponder m_previous;
};

} // namespace lumora::testing
