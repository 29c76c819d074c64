#pragma once

#include <QString>

// SQL pieces that only SQLite understands, for queries built outside src/data.
namespace Sql {

// An ORDER BY key that gives a table's rows in the order they were inserted
// (unique per row, so it also completes an ordering for paged reading).
inline QString insertionOrder(const QString &alias)
{
    return alias + QStringLiteral(".rowid");
}

} // namespace Sql
