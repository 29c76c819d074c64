#include "data/Dialect.h"

namespace Dialect {

// SQLite gives each new row a rowid above every one in the table.
QString insertionOrder(const QString &table)
{
    return table + QStringLiteral(".rowid");
}

} // namespace Dialect
