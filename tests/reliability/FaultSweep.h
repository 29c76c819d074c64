#pragma once

// The I/O fault sweep of one save: the save is made once without a fault, then
// again on a fresh copy of the starting file for every fault the fault VFS can
// put on its way: the n-th read, write, sync or deletion failed once or from
// then on, as an I/O error and as a full disk, for every n the save reaches, and
// each truncation made while a failed save is undone. Each time:
//  - the save reports failure (a screen tells the user in plain words and keeps
//    what was typed) or reports success;
//  - the file passes integrity_check and holds the old records when the save
//    was refused and the new ones when it was reported stored, both as the next
//    start would find it (a copy of the file and its journal, opened afresh) and
//    as the running program reads it;
//  - once the fault clears, the same save made again is stored, whole.

#include "FaultVfs.h"
#include "GuiSupport.h"
#include "Stored.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

namespace FaultSweep {

// What is wrong with a failure message for the user: SQL, the database
// engine's or the driver's own texts, no sentence. Empty when it is plain words.
QString plainWordsProblem(const QString &text);

// A save made ready (form open, values typed): the sweep makes it, with a fault
// armed, and again once the fault has cleared.
struct Attempt
{
    std::function<void()> save;      // one click of Save (Delete answered OK), or one call
    std::function<bool()> refused;   // the save said it did not store (the form is still open)
    std::function<QString()> kept;   // what the user typed, as it stands
    std::function<QString()> status; // the failure a core call returned (unset for screens)
    std::function<QStringList()> screenMismatch; // what the screen shows against the file (optional)
};

// Runs a save: builds its screen, opens its form, types, then calls `during`
// with the save ready; returns when the form has closed.
using Case = std::function<void(const std::function<void(Attempt &)> &during)>;

// A form's button clicked; a box's text replaced as a user types it.
void click(QWidget *parent, const QString &name);
void type(QWidget *form, const QString &box, const QString &text);
// Every box of `form` the user types into, with its text.
QString boxTexts(QWidget *form);

// A modal form opened from a new `Screen` by `opener`, filled by `fill`, saved
// with the button `saveButton`.
template <typename Screen>
Case formCase(std::function<Screen *()> make, std::function<void(Screen *)> opener,
              std::function<void(QDialog *)> fill, QString saveButton)
{
    return [=](const std::function<void(Attempt &)> &during) {
        std::unique_ptr<Screen> screen(make());
        screen->show();
        ModalDriver driver([&](QDialog *form) {
            fill(form);
            Attempt a;
            a.save = [form, saveButton] { click(form, saveButton); };
            a.refused = [form] { return form->isVisible(); };
            a.kept = [form] { return boxTexts(form); };
            during(a);
        });
        opener(screen.get());
        QVERIFY2(!driver.opened.isEmpty(), "the form did not open");
    };
}

class Sweep
{
public:
    // Installs the fault VFS and makes the starting file: a new Corvana file in
    // `dir` with `seed` run on it. Empty when done, else why not.
    QString prepare(const QString &dir, const QStringList &seed);

    // The sweep of one save; the failures found, each in a line.
    QStringList sweep(const QString &name, const Case &c);

    // A fresh copy of the starting file, open as the program's file.
    bool fresh();

    qint64 runs = 0;      // runs with a fault
    qint64 refused = 0;   // of which the save was refused
    qint64 injected = 0;  // failing calls

private:
    struct Fault;
    struct Outcome;
    Outcome run(const Case &c, const Fault *fault, const Stored::State *expected, QStringList &failures);
    Stored::State nextStart(QStringList &problems);
    void checkFile(const QString &when, bool refused, const Stored::State &before, const Stored::State *expected,
                   const Attempt &a, QStringList &failures);

    QString m_template, m_file, m_copy;
};

} // namespace FaultSweep
