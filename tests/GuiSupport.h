#pragma once

// GUI test helpers: message boxes answered by a script and recorded, modal forms
// driven while open, and widgets found by objectName.

#include "shell/Forms.h"
#include "shell/Messages.h"
#include "shell/Progress.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QList>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>

// Records every message box; answers each with the next scripted answer (OK when
// the script has run out).
class MessageRecorder
{
public:
    MessageRecorder()
    {
        Msg::setScript([this](const Msg::Record &r) {
            boxes << r;
            return answers.isEmpty() ? Msg::Answer::Ok : answers.takeFirst();
        });
    }
    ~MessageRecorder() { Msg::clearScript(); }

    QStringList texts() const
    {
        QStringList t;
        for (const Msg::Record &r : boxes)
            t << r.text;
        return t;
    }

    QList<Msg::Record> boxes;
    QList<Msg::Answer> answers;
};

// Runs `drive` on each modal form as it opens (inside its event loop); a form the
// driver leaves open is closed.
class ModalDriver
{
public:
    explicit ModalDriver(std::function<void(QDialog *)> drive)
    {
        Forms::setModalHook([this, drive](QDialog *d) {
            opened << d->objectName();
            drive(d);
        });
    }
    ~ModalDriver() { Forms::clearModalHook(); }
    QStringList opened;
};

// Watches each progress dialog at every step: records its name, whether it
// offers Cancel, and its value; clicks Cancel at step `cancelAt` (counted from
// 0; never when negative).
class ProgressDriver
{
public:
    explicit ProgressDriver(int cancelAt = -1)
    {
        Progress::setHook([this, cancelAt](QProgressDialog *d) {
            names << d->objectName();
            auto *cancel = d->findChild<QPushButton *>("cmCancel");
            cancellable = cancel != nullptr;
            values << d->value();
            if (cancel && steps++ == cancelAt)
                cancel->click();
        });
    }
    ~ProgressDriver() { Progress::clearHook(); }
    QStringList names;
    QList<int> values;
    bool cancellable = false;
    int steps = 0;
};

// Clicks a row of a grid (on its second column), or double-clicks it.
inline void clickGridRow(QTableView *grid, int row, bool twice = false)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    // A view takes a double-click only on the cell that was pressed first.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

template <typename T>
T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return w;
}

// The text of a PDF as pdftotext gives it (laid out as on the page with
// `layout`; pages separated by form feeds); empty when it cannot be read.
inline QString pdfText(const QString &file, bool layout = false)
{
    QProcess process;
    QStringList args{file, QStringLiteral("-")};
    if (layout)
        args.prepend(QStringLiteral("-layout"));
    process.start(QStringLiteral("pdftotext"), args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of the one PDF in `dir`; empty when there is not exactly one.
inline QString onlyPdfText(const QString &dir)
{
    const QFileInfoList pdfs = QDir(dir).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
    return pdfs.size() == 1 ? pdfText(pdfs.first().filePath()) : QString();
}

// The objectNames Tab visits in `window`, from the widget with the focus until
// a widget comes round again.
inline QStringList tabChain(QWidget *window)
{
    QApplication::setActiveWindow(window);
    QStringList names;
    QList<QWidget *> seen;
    for (QWidget *w = window->focusWidget(); w && !seen.contains(w) && seen.size() < 100; w = window->focusWidget()) {
        seen << w;
        names << w->objectName();
        QTest::keyClick(w, Qt::Key_Tab);
    }
    return names;
}
