#pragma once

#include "bookkeeping/Expenses.h"
#include "shell/RecordForm.h"

// The boxes both expense forms share and their check.
class ExpenseForm : public RecordForm
{
    Q_OBJECT
public:
    ExpenseForm(const QString &name, const QString &caption, QWidget *parent);

    virtual void cmUpdate_Click() = 0;
    virtual void cmCancel_Click() = 0;

protected:
    // Shows the first failed check, titled "Invalid data", with the focus on
    // its box; the expense the boxes describe when every check passed.
    std::optional<Expenses::Expense> ValidateExpense();
};

// "Add Expense": a new expense numbered one more than the highest.
class fmAddExpense : public ExpenseForm
{
    Q_OBJECT
public:
    explicit fmAddExpense(QWidget *parent, const QDate &today = QDate::currentDate());

    void cmUpdate_Click() override;
    void cmCancel_Click() override;
};

// One stored expense, as the bookkeeping screen hands it to the update form.
struct StoredExpense
{
    int number = 0;
    Expenses::Expense expense;
};

// "Update Expense": changes or deletes one expense.
class fmUpdateExpense : public ExpenseForm
{
    Q_OBJECT
public:
    fmUpdateExpense(const StoredExpense &stored, QWidget *parent);

    void cmUpdate_Click() override;
    void cmCancel_Click() override;
    void cmDelete_Click();

signals:
    // Update, Delete or Cancel closed the form (its close box does not).
    void closedThroughButtons();

private:
    int m_number;
};
