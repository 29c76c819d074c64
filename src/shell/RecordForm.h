#pragma once

#include "data/Checks.h"
#include "data/KeyNumbering.h"
#include "data/RecordSet.h"
#include "data/Status.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QLabel;
class QPushButton;
class QWidget;

// One entry box of a record form, with its label.
struct FormField
{
    QString boxName;       // "txtLastname"
    QString labelName;     // "lblLastname"
    QString label;         // "Last Name: (*)"
    int maxLength = 0;     // 0: no limit
    enum Kind { Line, MultiLine, Money } kind = Line;
};

// The add and update forms of the record screens: labelled boxes in tab order,
// then the buttons, then an optional note. Subclasses give the behaviour.
class RecordForm : public QDialog
{
    Q_OBJECT
public:
    RecordForm(const QString &name, const QString &caption, const QList<FormField> &fields,
               QWidget *parent = nullptr);

    // The text of a box (QLineEdit, MaskedEdit or QPlainTextEdit), exactly as typed.
    QString boxText(const QString &boxName) const;
    void setBoxText(const QString &boxName, const QString &text);
    // Box names are program text: a name the form lacks is a programming error,
    // reported loudly (an assertion in debug builds, a logged critical message
    // otherwise), remembered in missingBoxes(), and the form then stores nothing.
    QWidget *box(const QString &boxName) const;
    QStringList missingBoxes() const { return m_missingBoxes; }

    // "N" before the checks run, "Y" when one failed; Save writes only on "N".
    QString DataError = QStringLiteral("N");

protected:
    // Runs the form's checks: shows the message of each failure (only the first
    // when `stopAtFirst`), titled "Invalid data"; `beforeMessage` may reset a box
    // first; with `moveFocus` the focus goes to each failing box in turn.
    // Returns true when every check passed.
    bool runChecks(const QList<Check> &checks, bool stopAtFirst, bool moveFocus,
                   const std::function<void(const Check &)> &beforeMessage = {});
    // Tells the user that storing failed; the form stays open with its input.
    void reportSaveFailure(const Status &status);
    // Remembers the browser's current row as the form opens.
    void rememberPosition(const RecordSet &rs);
    // Cancel: drops any pending change and returns the set to that row.
    void returnToSavedPosition(RecordSet &rs);
    RecordSet::Bookmark SavedBookmark = 0;

    // Writes the pending row of `rs`; on failure drops it and tells the user. A
    // form that looked up a box it lacks refuses, since a value would be missing.
    bool storeRow(RecordSet &rs);

    // The number for a new record, chosen as the add form opens. When every
    // number is taken the limit message is shown; when the number could not be
    // read the user is told why, and Save reads it again.
    std::optional<int> chooseNewKey(Keys::Kind kind);
    // Before Save stores the new record: sets `key` to the number to store
    // under, read again if it could not be read as the form opened. False when
    // there is none, after telling the user: the limit message only when every
    // number is really taken (nothing may be stored under a number another
    // record holds), else why the number could not be read.
    bool confirmNewKey(std::optional<int> &key);

    // Adds a button to the button row, in tab order after the boxes.
    QPushButton *addButton(const QString &name, const QString &caption);
    // The same, running `handler` on a click; a click while a handler of the form
    // is still running (in a message box it shows) is ignored, so one Save can
    // never store twice.
    QPushButton *addButton(const QString &name, const QString &caption, std::function<void()> handler);
    void addNote(const QString &name, const QString &text);

private:
    QHash<QString, QWidget *> m_boxes;
    mutable QStringList m_missingBoxes;
    std::optional<Keys::NewNumber> m_newNumber;
    bool m_busy = false;
    class QHBoxLayout *m_buttons = nullptr;
    class QVBoxLayout *m_outer = nullptr;
};
