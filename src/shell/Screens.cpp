#include "shell/Screens.h"

#include "admin/fmAdministrative.h"
#include "bookkeeping/fmBookkeeping.h"
#include "customers/fmCustomers.h"
#include "inventory/fmInventory.h"
#include "orders/fmOrders.h"
#include "recipes/fmRecipes.h"
#include "suppliers/fmSuppliers.h"

#include <QHash>

namespace Screens {
namespace {

QHash<QString, Entry> &table()
{
    static QHash<QString, Entry> entries;
    return entries;
}

} // namespace

void add(const QString &name, Entry entry) { table().insert(name, std::move(entry)); }

const Entry *find(const QString &name)
{
    auto it = table().constFind(name);
    return it == table().cend() ? nullptr : &it.value();
}

void clear() { table().clear(); }

void registerAll()
{
    add("fmCustomers", {[] { return new fmCustomers; }});
    add("fmInventory", {[] { return new fmInventory; }});
    add("fmOrders", {[] { return new fmOrders; }});
    add("fmAdministrative", {[] { return new fmAdministrative; }});
    add("fmBookkeeping", {[] { return new fmBookkeeping; }});
    add("fmSuppliers", {[] { return new fmSuppliers; }});
    add("fmRecipes", {[] { return new fmRecipes; }, false});
}

} // namespace Screens
