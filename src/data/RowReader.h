#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

// Reads the rows of one query as the values QSqlQuery gives for them (whole
// numbers as qint64, an empty value as a null text, text as QString). On
// SQLite it steps SQLite's own statement: for a grid of thousands of rows, the
// Qt driver spends more on handing each value along than SQLite spends finding
// it. Other engines, and values to bind of other types, go through QSqlQuery.
namespace RowReader {

struct Result
{
    Status status;
    QStringList fields; // the query's column names, lower case
};

// Runs `sql` with `values` bound in order, steps over the first `skip` rows
// and appends the others to `rows`. The statement is finished before it returns.
Result read(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
            std::vector<QVariantList> &rows);

// The same, handing each row to `use` in turn instead of keeping them all (the
// row is reused for the next one).
Result forEach(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
               const std::function<void(const QVariantList &row)> &use);

} // namespace RowReader
