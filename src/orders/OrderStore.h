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
// Refused with nothing stored: an order number outside 0..32767 or already
// used, a status other than Open or Closed, a type other than Party or Reorder,
// an order date that is not a real day, a line quantity below 1 (the message
// names the product), a line whose product is no longer in the inventory (named
// too), and any failing statement (the driver's text).
SaveResult addOrder(QSqlDatabase db, const Orders::Order &order, qint16 reminderQty, const QDate &today);

// Replaces a stored open order: the header is rewritten, its stored lines are
// replaced by `order.lines`; closing it takes the stock off as addOrder does.
// The stored close date is kept unless the order is being closed, and so is the
// stored customer (`order.custNum` is not read). An order that is not stored or
// not open is refused; on any failure the order stays as it was, lines included.
SaveResult replaceOrder(QSqlDatabase db, const Orders::Order &order, qint16 reminderQty, const QDate &today);

// Marks an open order deleted ("D"); its lines, totals and the stock stay as they
// are. An order that is not stored or not open is refused.
Status markDeleted(QSqlDatabase db, int orderNum);

// A stored order with its customer's address, phone and e-mail, and its lines
// with the product names and today's costs, as the update form loads it (lines
// matched on order and customer number, in the order they were stored).
// `order.lines` holds the same lines.
// Nothing when the order is not stored (`status` then stays a success) or when
// reading fails (`status` says why).
struct StoredOrder
{
    Orders::Order order;
    QDate closeDate;
    struct Customer
    {
        QString address;
        QString phone;
        QString email;
    } customer;
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
