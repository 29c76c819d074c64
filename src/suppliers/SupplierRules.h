#pragma once

#include "data/Checks.h"
#include "data/RecordSet.h"

#include <QDate>
#include <QStringList>

namespace SupplierRules {

// The required boxes of a supplier: a box holding only blanks counts as filled.
struct Input
{
    QString company, phone;
};

// The company and phone checks; the add form's message capitalises "Company",
// the update form's does not.
QList<Check> addChecks(const Input &input);
QList<Check> updateChecks(const Input &input);

// The printed supplier list: the date, two blank lines, then for every row from
// the current one to the end: company, address, phone, e-mail, comments (one
// line for each line of the box), a blank line.
QStringList listLines(RecordSet &rs, const QDate &today);

} // namespace SupplierRules
