#include "shell/Messages.h"

#include "shell/Forms.h"

#include <QMessageBox>
#include <QPushButton>

namespace Msg {
namespace {

Script &script()
{
    static Script current;
    return current;
}

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Answer show(QWidget *opener, const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    Answer answer = Answer::Ok;
    if (script()) {
        answer = script()(Record{text, title, buttons, icon});
    } else {
        QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton,
                        opener ? opener->window() : nullptr);
        box.setObjectName("MsgBox");
        QPushButton *ok = box.addButton(QMessageBox::Ok);
        if (buttons == Buttons::OkCancel)
            box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(ok);
        box.exec();
        answer = box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
    }
    Forms::repaint(opener);
    return answer;
}

void setScript(Script s) { script() = std::move(s); }
void clearScript() { script() = nullptr; }

} // namespace Msg
