#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>

// The SQL text of the order list and the pickers: plain standard SQL, every
// value bound, each ordering complete (it ends with a unique column) so the
// grids can read their rows in pages.
namespace OrderQueries {

// The order list: orders of one status (the one bound value) with their
// customer; "customer" is first name, one blank, last name.
enum class ListOrder { Date, LastName };
QString orderList(ListOrder order);

// The customer picker: the table's own order (by key, which is the order the
// rows were stored in), or case-free by first or last name.
enum class CustomerOrder { Unsorted, FirstName, LastName };
QString customers(CustomerOrder order);

// The product picker: the table's own order, or case-free by the user's
// product number or by name.
enum class ProductOrder { Unsorted, ProductNum, ProductName };
QString products(ProductOrder order);

// The number of rows of the customer or the inventory table.
enum class Table { Customer, Inventory };
struct Count
{
    Status status;
    int rows = 0;
};
Count rowCount(QSqlDatabase db, Table table);

} // namespace OrderQueries
