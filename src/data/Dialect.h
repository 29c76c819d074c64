#pragma once

#include <QString>

// The pieces of SQL that only some engines understand, for queries built outside
// src/data. Another engine changes these, not the queries that use them.
namespace Dialect {

// An ORDER BY expression that lists the rows of the table (or alias) `table` in
// the order they were inserted, for tables that have no key of their own.
QString insertionOrder(const QString &table);

} // namespace Dialect
