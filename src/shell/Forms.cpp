#include "shell/Forms.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

namespace Forms {
namespace {

ModalHook &hook()
{
    static ModalHook current;
    return current;
}

// Escape on a form does what its Cancel button does (which may ask first); a
// form without one closes as any dialog does.
class EscapeAsCancel : public QObject
{
public:
    explicit EscapeAsCancel(QDialog *form) : QObject(form), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_form || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return false;
        auto *cancel = m_form->findChild<QPushButton *>(QStringLiteral("cmCancel"));
        if (!cancel || !cancel->isVisible())
            return false;
        if (cancel->isEnabled())
            cancel->click();
        return true;
    }

private:
    QDialog *m_form;
};

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
    form->installEventFilter(new EscapeAsCancel(form));
    form->setWindowModality(Qt::ApplicationModal);
    const int result = form->exec();
    delete guard.data();
    repaint(opener);
    return result;
}

void setModalHook(ModalHook h) { hook() = std::move(h); }
void clearModalHook() { hook() = nullptr; }

} // namespace Forms
