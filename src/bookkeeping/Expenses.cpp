#include "bookkeeping/Expenses.h"

#include "data/TextRules.h"
#include "data/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Expenses {
namespace {

// Runs one statement that must change exactly one row.
Status changeOne(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    if (Status s = execBound(q, sql, values); !s)
        return s;
    if (q.numRowsAffected() != 1)
        return Status::failure(QStringLiteral("The expense no longer exists."), sql);
    return {};
}

QVariant storedDate(const QDate &date)
{
    return date.isValid() ? QVariant(TextRules::toStoredDate(date)) : QVariant();
}

} // namespace

QList<Check> checks(const Input &input)
{
    return {
        {"txtdesc", input.description.isEmpty(), "You must enter a description"},
        {"medAmt", !Money::fromText(input.amount), "You must enter a numeric amount in $99.99 format"},
        {"medDate", !TextRules::parseUsDate(input.date), TextRules::invalidDateMessage(input.date)},
    };
}

std::optional<Expense> read(const Input &input)
{
    if (!failedChecks(checks(input), true).isEmpty())
        return std::nullopt;
    return Expense{input.description, *Money::fromText(input.amount), *TextRules::parseUsDate(input.date)};
}

Status add(QSqlDatabase db, int number, const Expense &expense)
{
    return changeOne(db,
                     QStringLiteral("INSERT INTO expenses (expense_desc, expense_date, expense_amt, expense_num)"
                                    " VALUES (?, ?, ?, ?)"),
                     {expense.description, storedDate(expense.date), expense.amount.units(), number});
}

Status change(QSqlDatabase db, int number, const Expense &expense)
{
    return changeOne(db,
                     QStringLiteral("UPDATE expenses SET expense_desc = ?, expense_date = ?, expense_amt = ?"
                                    " WHERE expense_num = ?"),
                     {expense.description, storedDate(expense.date), expense.amount.units(), number});
}

Status remove(QSqlDatabase db, int number)
{
    return changeOne(db, QStringLiteral("DELETE FROM expenses WHERE expense_num = ?"), {number});
}

} // namespace Expenses
