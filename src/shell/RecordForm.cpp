#include "shell/RecordForm.h"

#include "data/Database.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"
#include "shell/TextBoxes.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

// The limit message, or why the number could not be read; true when neither.
bool reportNewKey(QWidget *form, const Keys::NewKey &key, const QString &failureText)
{
    if (!key.status) {
        Msg::show(form, failureText + key.status.message(), QStringLiteral("Error"), Msg::Buttons::Ok,
                  Msg::Icon::Critical);
        return false;
    }
    if (key.usedUp()) {
        Msg::show(form, key.limitMessage, QStringLiteral("Error"), Msg::Buttons::Ok, Msg::Icon::Critical);
        return false;
    }
    return true;
}

} // namespace

RecordForm::RecordForm(const QString &name, const QString &caption, const QList<FormField> &fields,
                       QWidget *parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    m_outer = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (const FormField &f : fields) {
        QWidget *box = nullptr;
        if (f.kind == FormField::MultiLine) {
            auto *edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            edit->setMinimumHeight(80);
            if (f.maxLength > 0)
                TextBoxes::limitStoredLength(edit, f.maxLength);
            box = edit;
        } else {
            // A masked box keeps its characters whole itself.
            QLineEdit *edit = f.kind == FormField::Money ? new MaskedEdit(this) : new QLineEdit(this);
            if (f.kind != FormField::Money)
                TextBoxes::keepWholeCharacters(edit);
            if (f.maxLength > 0)
                edit->setMaxLength(f.maxLength);
            box = edit;
        }
        box->setObjectName(f.boxName);
        box->setMinimumWidth(320);
        auto *label = new QLabel(f.label, this);
        label->setObjectName(f.labelName);
        label->setBuddy(box);
        form->addRow(label, box);
        m_boxes.insert(f.boxName, box);
    }
    m_outer->addLayout(form);
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch(1);
    m_outer->addLayout(m_buttons);
}

QPushButton *RecordForm::addButton(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_buttons->addWidget(button);
    return button;
}

QPushButton *RecordForm::addButton(const QString &name, const QString &caption, std::function<void()> handler)
{
    QPushButton *button = addButton(name, caption);
    connect(button, &QPushButton::clicked, this, [this, handler = std::move(handler)] {
        // A message box shown by Save runs an event loop; a click that gets in
        // there must not start a second Save (or a Cancel) in the middle of it.
        if (m_busy)
            return;
        const QScopedValueRollback busy(m_busy, true);
        handler();
    });
    return button;
}

void RecordForm::addNote(const QString &name, const QString &text)
{
    auto *note = new QLabel(text, this);
    note->setObjectName(name);
    m_outer->addWidget(note);
}

QWidget *RecordForm::box(const QString &boxName) const
{
    QWidget *w = m_boxes.value(boxName);
    if (!w) {
        qCritical("RecordForm: %s has no box named \"%s\"", qPrintable(objectName()), qPrintable(boxName));
        Q_ASSERT_X(false, "RecordForm", "a box name the form does not have");
        if (!m_missingBoxes.contains(boxName))
            m_missingBoxes << boxName;
    }
    return w;
}

QString RecordForm::boxText(const QString &boxName) const
{
    QWidget *w = box(boxName);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return TextBoxes::storedText(plain);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    return {};
}

void RecordForm::setBoxText(const QString &boxName, const QString &text)
{
    QWidget *w = box(boxName);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        TextBoxes::setStoredText(plain, text); // whole, whatever the box's limit
    else if (auto *masked = qobject_cast<MaskedEdit *>(w))
        masked->setText(text);
    else if (auto *line = qobject_cast<QLineEdit *>(w)) {
        // A stored value longer than the box allows is shown whole, never cut.
        if (text.size() > line->maxLength())
            line->setMaxLength(int(text.size()));
        line->setText(text);
    }
}

bool RecordForm::runChecks(const QList<Check> &checks, bool stopAtFirst, bool moveFocus,
                           const std::function<void(const Check &)> &beforeMessage)
{
    DataError = QStringLiteral("N");
    for (const Check &c : failedChecks(checks, stopAtFirst)) {
        if (beforeMessage)
            beforeMessage(c);
        Msg::show(this, c.message, QStringLiteral("Invalid data"));
        if (QWidget *w = moveFocus ? box(c.box) : nullptr)
            w->setFocus();
        DataError = QStringLiteral("Y");
    }
    return DataError == QLatin1String("N");
}

void RecordForm::reportSaveFailure(const Status &status)
{
    Msg::show(this, QStringLiteral("The record could not be saved.\n\n") + status.message(),
              QStringLiteral("Error"), Msg::Buttons::Ok, Msg::Icon::Critical);
}

void RecordForm::rememberPosition(const RecordSet &rs)
{
    if (rs.recordCount() > 0)
        SavedBookmark = rs.bookmark();
}

void RecordForm::returnToSavedPosition(RecordSet &rs)
{
    if (rs.recordCount() > 0) {
        rs.cancelUpdate();
        rs.setBookmark(SavedBookmark);
    }
}

bool RecordForm::storeRow(RecordSet &rs)
{
    Status s = m_missingBoxes.isEmpty()
        ? rs.update()
        : Status::failure(QStringLiteral("The form %1 has no box named %2; nothing was stored.")
                              .arg(objectName(), m_missingBoxes.join(QLatin1String(", "))));
    if (!s) {
        rs.cancelUpdate();
        reportSaveFailure(s);
        return false;
    }
    return true;
}

std::optional<int> RecordForm::chooseNewKey(Keys::Kind kind)
{
    m_newNumber.emplace(kind);
    const Keys::NewKey &key = m_newNumber->choose(Database::connection());
    reportNewKey(this, key,
                 QStringLiteral("The number for the new record could not be read; Save will try again.\n\n"));
    return key.number;
}

bool RecordForm::confirmNewKey(std::optional<int> &key)
{
    Q_ASSERT(m_newNumber);
    const Keys::NewKey &confirmed = m_newNumber->confirm(Database::connection());
    key = confirmed.number;
    return reportNewKey(this, confirmed, QStringLiteral("The record could not be saved.\n\n"));
}
