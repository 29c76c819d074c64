#pragma once

#include "data/Status.h"
#include "orders/Order.h"

#include <QDate>
#include <QSqlDatabase>
#include <optional>
#include <vector>

// Writes orders: each operation is one transaction, stored whole or not at all.
// The screens never write orders through a record set.
namespace OrderStore {

struct SaveResult
{
    Status status;
    // For a closed order: one reminder per stored line whose product is at or
    // below the reminder quantity after the order was taken off (in line order).
    std::vector<Orders::ReorderReminder> reminders;
};

// Stores a new order: its header and its lines. A closed order gets `today`
// as its close date and takes each line's quantity off its product's stock.
SaveResult addOrder(QSqlDatabase db, const Orders::Order &order, qint16 reminderQty, const QDate &today);

// Replaces a stored open order: the header is rewritten, its stored lines are
// replaced by `order.lines`; closing it takes the stock off as addOrder does.
// The stored close date is kept unless the order is being closed.
SaveResult replaceOrder(QSqlDatabase db, const Orders::Order &order, qint16 reminderQty, const QDate &today);

// Marks an order deleted ("D"); its lines, totals and the stock stay as they are.
Status markDeleted(QSqlDatabase db, int orderNum);

// A stored order with its lines, the product names and today's costs, as the
// update form and the order view load it (lines matched on order and customer
// number, in the order they were stored). Nothing when the order is not stored.
struct StoredOrder
{
    Orders::Order order;
    QDate closeDate;
    struct Line
    {
        int productNum = -1;
        QString product;
        QString productRefnum;
        Money cost;
        qint64 quantity = 0;
    };
    std::vector<Line> lines;
};
std::optional<StoredOrder> load(QSqlDatabase db, int orderNum, Status *status = nullptr);

} // namespace OrderStore
