#include "bookkeeping/ExpenseForms.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"

#include <QPushButton>

namespace {

// The amount and date boxes are masked boxes (FormField::Money makes one).
const QList<FormField> Fields{
    {"txtdesc", "Label1", "Description:", 49},
    {"medAmt", "Label2", "Amount:", 9, FormField::Money},
    {"medDate", "Label3", "Date:", 0, FormField::Money},
};

} // namespace

ExpenseForm::ExpenseForm(const QString &name, const QString &caption, QWidget *parent)
    : RecordForm(name, caption, Fields, parent)
{
    auto *amount = qobject_cast<MaskedEdit *>(box("medAmt"));
    Q_ASSERT(amount);
    amount->setDisplayFormat("$#,##0.00");
    auto *date = qobject_cast<MaskedEdit *>(box("medDate"));
    Q_ASSERT(date);
    date->setMask("##/##/####");
}

std::optional<Expenses::Expense> ExpenseForm::ValidateExpense()
{
    // The date as the box shows it, so a message names what the user sees.
    const Expenses::Input input{boxText("txtdesc"), boxText("medAmt"),
                                qobject_cast<MaskedEdit *>(box("medDate"))->displayText()};
    if (!runChecks(Expenses::checks(input), true, true))
        return std::nullopt;
    return Expenses::read(input);
}

fmAddExpense::fmAddExpense(QWidget *parent, const QDate &today)
    : ExpenseForm("fmAddExpense", "Add Expense", parent)
{
    addButton("cmUpdate", "Update", [this] { cmUpdate_Click(); });
    addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
    setBoxText("medDate", TextRules::toUsDate(today));
}

void fmAddExpense::cmUpdate_Click()
{
    const std::optional<Expenses::Expense> expense = ValidateExpense();
    if (!expense)
        return;
    // Chosen now, from the table as it is: past 32767 the expense is refused.
    const std::optional<int> number = chooseNewKey(Keys::Kind::Expense);
    if (!number)
        return;
    if (Status s = Expenses::add(Database::connection(), *number, *expense); !s) {
        reportSaveFailure(s);
        return;
    }
    accept();
}

void fmAddExpense::cmCancel_Click()
{
    reject();
}

fmUpdateExpense::fmUpdateExpense(const StoredExpense &stored, QWidget *parent)
    : ExpenseForm("fmUpdateExpense", "Update Expense", parent), m_number(stored.number)
{
    addButton("cmUpdate", "Update", [this] { cmUpdate_Click(); });
    addButton("cmDelete", "Delete", [this] { cmDelete_Click(); });
    addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
    setBoxText("txtdesc", stored.expense.description);
    setBoxText("medAmt", TextRules::format(stored.expense.amount, QString()));
    setBoxText("medDate", TextRules::toUsDate(stored.expense.date));
}

void fmUpdateExpense::cmUpdate_Click()
{
    const std::optional<Expenses::Expense> expense = ValidateExpense();
    if (!expense)
        return;
    if (Status s = Expenses::change(Database::connection(), m_number, *expense); !s) {
        reportSaveFailure(s);
        return;
    }
    emit closedThroughButtons();
    accept();
}

void fmUpdateExpense::cmCancel_Click()
{
    emit closedThroughButtons();
    reject();
}

void fmUpdateExpense::cmDelete_Click()
{
    if (Msg::show(this, "Are you sure you want to delete this expense?", "Delete Expense?",
                  Msg::Buttons::OkCancel) != Msg::Answer::Ok)
        return;
    if (Status s = Expenses::remove(Database::connection(), m_number); !s) {
        Msg::show(this, "The expense could not be deleted.\n\n" + s.message(), "Error", Msg::Buttons::Ok,
                  Msg::Icon::Critical);
        return;
    }
    emit closedThroughButtons();
    accept();
}
