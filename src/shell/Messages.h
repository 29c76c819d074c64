#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message the program shows goes through here: a real QMessageBox with the
// exact text, title, buttons and icon. Tests replace the box with a script.
namespace Msg {

enum class Buttons { Ok, OkCancel };
enum class Icon { None, Critical, Exclamation, Information };
enum class Answer { Ok, Cancel };

struct Record
{
    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// Shows the box modally over `opener` and returns the answer. When the box has
// closed, the opener's screen re-reads its data (see Forms.h, repaint rule).
Answer show(QWidget *opener, const QString &text, const QString &title,
            Buttons buttons = Buttons::Ok, Icon icon = Icon::None);

// Test seam: while a script is set, no box is shown; the script receives each
// box and gives the answer.
using Script = std::function<Answer(const Record &)>;
void setScript(Script script);
void clearScript();

} // namespace Msg
