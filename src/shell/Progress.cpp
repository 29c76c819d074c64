#include "shell/Progress.h"

#include <QApplication>
#include <QLocale>
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

Progress::Progress(QWidget *opener, const QString &label, const QString &unit, qint64 total, Cancel cancel)
    : m_dialog(opener), m_label(label), m_unit(unit), m_total(total)
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
    update(0, total);
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
    m_dialog.setMinimumWidth(320);
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setAutoReset(false);
    m_dialog.setAutoClose(false);
}

bool Progress::step(qint64 done, qint64 total)
{
    if (!m_cancelled) {
        update(done, total);
        if (g_hook)
            g_hook(&m_dialog);
    }
    return !m_cancelled;
}

void Progress::update(qint64 done, qint64 total)
{
    m_total = total;
    m_dialog.setLabelText(QStringLiteral("%1\n%2 of %3 %4")
                              .arg(m_label, QLocale().toString(done), QLocale().toString(total), m_unit));
    // A window-modal dialog handles its events here, the Cancel click included.
    m_dialog.setValue(barValue(done, total));
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
