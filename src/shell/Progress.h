#pragma once

#include "data/Progress.h"

#include <QProgressDialog>
#include <QString>

class QWidget;

// The progress of a long job in a window-modal "dlgProgress" dialog over the
// opener. A job with steps shows it only when it runs longer than a moment and
// offers Cancel when stopping between steps is safe; a job that cannot report
// steps shows a busy dialog without Cancel at once.
class Progress
{
public:
    enum class Cancel { Allowed, NotAllowed };

    // A job of `total` steps, counted under the label as "16 of 300 `unit`".
    Progress(QWidget *opener, const QString &label, const QString &unit, qint64 total, Cancel cancel);
    // A busy dialog, shown at once, until this object goes.
    Progress(QWidget *opener, const QString &label);
    ~Progress();

    // Shows `done` of `total` steps; returns false once the user has cancelled.
    bool step(qint64 done, qint64 total);
    bool step(qint64 done) { return step(done, m_total); }
    ProgressCallback callback();
    bool cancelled() const { return m_cancelled; }

    // Test seam: called with the dialog at each step (and once for a busy one),
    // whether or not it is on screen yet.
    using Hook = std::function<void(QProgressDialog *)>;
    static void setHook(Hook hook);
    static void clearHook();

private:
    void setUp(QWidget *opener, const QString &label);
    void update(qint64 done, qint64 total);

    QProgressDialog m_dialog;
    QString m_label;
    QString m_unit;
    qint64 m_total = 0;
    bool m_cancelled = false;
    bool m_busy = false;
};
