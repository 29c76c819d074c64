#pragma once

// The saves the crash worker makes, by name. The worker announces each save on
// its standard output before it starts, as one line
//     B {"op": "order.add.closed", ...what it saves...}
// and, once the save has returned, one line "D" (stored) or "F <why>" (refused).
// A line without its newline was cut by the kill and counts as not written.

#include <QStringList>

namespace CrashOps {

inline const QStringList &names()
{
    static const QStringList all = {
        "order.add.open",   "order.add.closed", "order.replace.open", "order.replace.closed", "order.delete",
        "expense.add",      "expense.change",   "expense.delete",     "customer.add",         "customer.change",
        "product.add",      "product.change",   "supplier.add",       "supplier.change",      "supplier.delete",
        "recipe.add",       "recipe.change",    "recipe.delete",      "admin.save",
    };
    return all;
}

} // namespace CrashOps
