#pragma once

#include "data/Checks.h"
#include "data/Money.h"
#include "data/Status.h"

#include <QDate>
#include <QSqlDatabase>
#include <optional>

// The expense records: what the expense forms check and how they store a row.
namespace Expenses {

// The three boxes of an expense form, as shown.
struct Input
{
    QString description;
    QString amount;     // "12.5", "$1,234.50"
    QString date;       // "mm/dd/yyyy"
};

struct Expense
{
    QString description;
    Money amount;
    QDate date;
};

// In order: a description, an amount that reads as a number, a real day. The
// forms stop at the first failure.
QList<Check> checks(const Input &input);
// The expense the boxes describe; nothing when a check fails.
std::optional<Expense> read(const Input &input);

// One row each; `number` is the expense's key.
Status add(QSqlDatabase db, int number, const Expense &expense);
Status change(QSqlDatabase db, int number, const Expense &expense);
Status remove(QSqlDatabase db, int number);

} // namespace Expenses
