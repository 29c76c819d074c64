#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QDialog;

// A screen that re-reads its data when it is "painted": when first shown, when a
// modal form or message box it opened has closed, and when its window is
// activated again. Never from paintEvent.
class Repaintable
{
public:
    virtual ~Repaintable() = default;
    virtual void Form_Paint() = 0;
};

namespace Forms {

// Runs the repaint step of the screen that holds `opener`, if it has one.
void repaint(QWidget *opener);

// Shows `form` modally over `opener` and returns when it has closed; the form is
// then deleted ("unloaded") and the opener's screen repaints. Returns the
// dialog's result code.
int showModal(QWidget *opener, QDialog *form);

// Test seam: called with each modal form once it is shown and its event loop
// runs. A form still open when the hook returns is closed (rejected), so a test
// can never hang on a forgotten form.
using ModalHook = std::function<void(QDialog *)>;
void setModalHook(ModalHook hook);
void clearModalHook();

} // namespace Forms
