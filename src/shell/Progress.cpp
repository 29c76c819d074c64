#include "shell/Progress.h"

#include <QApplication>
#include <QPushButton>

namespace {

Progress::Hook g_hook;

// A dialog's bar counts in int; larger totals are shown in thousandths.
constexpr int Scale = 1000;

int barValue(qint64 done, qint64 total)
{
    if (total <= 0)
        return Scale;
    return int(std::clamp<qint64>(done, 0, total) * Scale / total);
}

} // namespace

Progress::Progress(QWidget *opener, const QString &label, qint64 total, Cancel cancel)
    : m_dialog(opener), m_total(total)
{
    setUp(opener, label);
    m_dialog.setRange(0, Scale);
    // Shown only once the job has taken longer than this.
    m_dialog.setMinimumDuration(700);
    if (cancel == Cancel::Allowed) {
        auto *button = new QPushButton(QStringLiteral("Cancel"), &m_dialog);
        button->setObjectName("cmCancel");
        m_dialog.setCancelButton(button);
        QObject::connect(&m_dialog, &QProgressDialog::canceled, &m_dialog, [this] { m_cancelled = true; });
    } else {
        m_dialog.setCancelButton(nullptr);
    }
    m_dialog.setValue(0);
}

Progress::Progress(QWidget *opener, const QString &label) : m_dialog(opener)
{
    setUp(opener, label);
    m_dialog.setCancelButton(nullptr);
    m_dialog.setRange(0, 0);
    m_dialog.setMinimumDuration(0);
    m_busy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_dialog.show();
    // Drawn before the work blocks the event loop.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (g_hook)
        g_hook(&m_dialog);
}

Progress::~Progress()
{
    m_dialog.reset();
    m_dialog.hide();
    if (m_busy)
        QApplication::restoreOverrideCursor();
}

void Progress::setUp(QWidget *opener, const QString &label)
{
    m_dialog.setObjectName("dlgProgress");
    m_dialog.setWindowTitle(opener && !opener->window()->windowTitle().isEmpty() ? opener->window()->windowTitle()
                                                                                 : QStringLiteral("Corvana"));
    m_dialog.setLabelText(label);
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setAutoReset(false);
    m_dialog.setAutoClose(false);
}

bool Progress::step(qint64 done, qint64 total)
{
    m_total = total;
    if (!m_cancelled) {
        // A window-modal dialog handles its events here, the Cancel click included.
        m_dialog.setValue(barValue(done, total));
        if (g_hook)
            g_hook(&m_dialog);
    }
    return !m_cancelled;
}

ProgressCallback Progress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

void Progress::setHook(Hook hook)
{
    g_hook = std::move(hook);
}

void Progress::clearHook()
{
    g_hook = {};
}
