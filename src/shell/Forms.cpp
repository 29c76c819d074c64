#include "shell/Forms.h"

#include <QDialog>
#include <QTimer>

namespace Forms {
namespace {

ModalHook &hook()
{
    static ModalHook current;
    return current;
}

} // namespace

void repaint(QWidget *opener)
{
    // Only the screen in the opener's own window: a message shown by a modal form
    // must not repaint the screen under that form while it is still open.
    for (QWidget *w = opener; w; w = w->parentWidget()) {
        if (auto *screen = dynamic_cast<Repaintable *>(w)) {
            screen->Form_Paint();
            return;
        }
        if (w->isWindow())
            return;
    }
}

int showModal(QWidget *opener, QDialog *form)
{
    QPointer<QDialog> guard(form);
    if (hook()) {
        ModalHook run = hook();
        QTimer::singleShot(0, form, [form, run] {
            run(form);
            if (form->isVisible())
                form->reject();
        });
    }
    form->setWindowModality(Qt::ApplicationModal);
    const int result = form->exec();
    delete guard.data();
    repaint(opener);
    return result;
}

void setModalHook(ModalHook h) { hook() = std::move(h); }
void clearModalHook() { hook() = nullptr; }

} // namespace Forms
