#pragma once

#include "data/KeyNumbering.h"
#include "data/Status.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

// Customers or products brought in from a CSV file (as CsvExport writes it, or
// as a spreadsheet saves it): a header row naming the columns, then one row per
// record. Numbers are chosen by the numbering rules; a number in the file is
// ignored. Everything is added in one transaction, or nothing.
namespace CsvImport {

// The records of RFC 4180 text (UTF-8, a byte-order mark skipped); `error` is
// set for a quoted field that never ends.
QList<QStringList> parse(const QByteArray &data, QString *error = nullptr);

struct Plan
{
    Keys::Kind kind = Keys::Kind::Customer;
    QStringList columns;          // the table's columns, number first
    QList<QVariantList> rows;     // the values to store, number first
    QStringList problems;         // one line per row (or column) that cannot be added
    bool ok() const { return problems.isEmpty() && !rows.isEmpty(); }
};

// Reads `data` for `kind` (Customer or Product) against the table as it is now.
// Rows are counted as a spreadsheet shows them: the header is row 1.
Plan prepare(QSqlDatabase db, Keys::Kind kind, const QByteArray &data);

// Adds the plan's rows in one transaction; refuses a plan with problems.
Status apply(QSqlDatabase db, const Plan &plan);

} // namespace CsvImport
