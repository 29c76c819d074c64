#pragma once

#include "data/Checks.h"
#include "data/RecordSet.h"

#include <QDate>
#include <QStringList>

namespace CustomerRules {

// The required boxes of a customer: a box holding only blanks counts as filled.
struct Input
{
    QString lastName, firstName, address, phone;
};
QList<Check> checks(const Input &input);

// The printed customer list: the date, a blank line, then for every row from the
// current one to the end: first and last name run together, address, phone,
// e-mail, comments, a blank line.
QStringList listLines(RecordSet &rs, const QDate &today);

} // namespace CustomerRules
