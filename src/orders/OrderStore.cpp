#include "orders/OrderStore.h"

#include "data/Dialect.h"
#include "data/TextRules.h"
#include "data/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using Orders::Order;
using Orders::OrderLine;
using Orders::ReorderReminder;

namespace OrderStore {
namespace {

constexpr int HighestOrderNum = 32767;

QString productName(const OrderLine &line)
{
    return line.product.isEmpty() ? QStringLiteral("Product number %1").arg(line.productNum) : line.product;
}

QVariant storedDate(const QDate &date)
{
    return date.isValid() ? QVariant(TextRules::toStoredDate(date)) : QVariant();
}

// What an order must be before anything is written.
Status checkOrder(const Order &order, const QDate &today)
{
    if (order.orderNum < 0 || order.orderNum > HighestOrderNum)
        return Status::failure(QStringLiteral("Order number %1 is outside 0 to %2.")
                                   .arg(order.orderNum)
                                   .arg(HighestOrderNum));
    if (order.status != Orders::Open && order.status != Orders::Closed)
        return Status::failure(
            QStringLiteral("An order is saved open (O) or closed (C), not with the status \"%1\".").arg(order.status));
    if (order.type != Orders::Party && order.type != Orders::Reorder)
        return Status::failure(
            QStringLiteral("An order is a party order (P) or a re-order (R), not of the type \"%1\".").arg(order.type));
    if (!order.orderDate.isValid())
        return Status::failure(QStringLiteral("The order date is not a real day."));
    if (order.status == Orders::Closed && !today.isValid())
        return Status::failure(QStringLiteral("The closing date is not a real day."));
    for (const OrderLine &line : order.lines) {
        if (line.quantity < 1)
            return Status::failure(QStringLiteral("The quantity of %1 must be a whole number of at least 1.")
                                       .arg(productName(line)));
    }
    return {};
}

struct StoredHeader
{
    bool found = false;
    QString status;
    int custNum = -1;
};

Status readHeader(QSqlDatabase db, int orderNum, StoredHeader &header)
{
    QSqlQuery q(db);
    Status s = execBound(q, QStringLiteral("SELECT order_status, cust_num FROM orders WHERE order_num = ?"), {orderNum});
    if (s && q.next()) {
        header.found = true;
        header.status = q.value(0).toString();
        header.custNum = q.value(1).toInt();
    }
    return s;
}

// The stored order that may still change: it must exist and be open.
Status readOpenHeader(QSqlDatabase db, int orderNum, StoredHeader &header)
{
    if (Status s = readHeader(db, orderNum, header); !s)
        return s;
    if (!header.found)
        return Status::failure(QStringLiteral("Order %1 is not stored.").arg(orderNum));
    if (header.status != Orders::Open)
        return Status::failure(QStringLiteral("Order %1 is not open, so it cannot be changed.").arg(orderNum));
    return {};
}

Status missingProduct(const OrderLine &line)
{
    return Status::failure(QStringLiteral("%1 is no longer in the inventory.").arg(productName(line)));
}

// Writes the lines under (orderNum, custNum), in their order. A line whose product
// is gone is named rather than left to the foreign key's bare message.
Status writeLines(QSqlDatabase db, int orderNum, int custNum, const std::vector<OrderLine> &lines)
{
    PreparedStatement product(db, QStringLiteral("SELECT 1 FROM inventory WHERE product_num = ?"));
    PreparedStatement insert(db, QStringLiteral("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty)"
                                                " VALUES (?, ?, ?, ?)"));
    for (const OrderLine &line : lines) {
        if (Status s = product.exec({line.productNum}); !s)
            return s;
        if (!product.query().next())
            return missingProduct(line);
        if (Status s = insert.exec({orderNum, custNum, line.productNum, line.quantity}); !s)
            return s;
    }
    return {};
}

// Closing: each line's quantity comes off its product's stock (which may go below
// 0), with a reminder for each line that leaves the product at reminderQty or below.
Status takeOffStock(QSqlDatabase db, const std::vector<OrderLine> &lines, qint16 reminderQty,
                    std::vector<ReorderReminder> &reminders)
{
    PreparedStatement update(db, QStringLiteral("UPDATE inventory SET qty = qty - ? WHERE product_num = ?"));
    PreparedStatement read(db, QStringLiteral("SELECT qty, product FROM inventory WHERE product_num = ?"));
    for (const OrderLine &line : lines) {
        if (Status s = update.exec({line.quantity, line.productNum}); !s)
            return s;
        if (update.query().numRowsAffected() != 1)
            return missingProduct(line);
        if (Status s = read.exec({line.productNum}); !s)
            return s;
        if (!read.query().next())
            return missingProduct(line);
        const qint64 left = read.query().value(0).toLongLong();
        if (left <= reminderQty)
            reminders.push_back({line.productNum, read.query().value(1).toString(), left});
    }
    return {};
}

Status insertOrder(QSqlDatabase db, const Order &order, qint16 reminderQty, const QDate &today,
                   std::vector<ReorderReminder> &reminders)
{
    Transaction tx(db);
    if (Status s = tx.begin(); !s)
        return s;
    StoredHeader existing;
    if (Status s = readHeader(db, order.orderNum, existing); !s)
        return s;
    if (existing.found)
        return Status::failure(QStringLiteral("Order number %1 is already used.").arg(order.orderNum));

    const bool closing = order.status == Orders::Closed;
    QSqlQuery insert(db);
    Status s = execBound(insert,
                   QStringLiteral("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type,"
                                  " subtotal, add_costs, discounts, total_price, out_of_town_order, close_date,"
                                  " comments) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {order.orderNum, order.custNum, storedDate(order.orderDate), order.status, order.type,
                    order.subtotal.units(), order.addCosts.units(), order.discounts.units(), order.total.units(),
                    order.outOfTown ? 1 : 0, closing ? storedDate(today) : QVariant(), order.comments});
    if (!s)
        return s;
    if (s = writeLines(db, order.orderNum, order.custNum, order.lines); !s)
        return s;
    if (closing && !(s = takeOffStock(db, order.lines, reminderQty, reminders)))
        return s;
    return tx.commit();
}

Status rewriteOrder(QSqlDatabase db, const Order &order, qint16 reminderQty, const QDate &today,
                    std::vector<ReorderReminder> &reminders)
{
    Transaction tx(db);
    if (Status s = tx.begin(); !s)
        return s;
    StoredHeader stored;
    if (Status s = readOpenHeader(db, order.orderNum, stored); !s)
        return s;

    // The close date is set when the order is closed now, and kept otherwise.
    const bool closing = order.status == Orders::Closed;
    QSqlQuery update(db);
    Status s = execBound(update,
                   QStringLiteral("UPDATE orders SET order_date = ?, comments = ?, total_price = ?, subtotal = ?,"
                                  " order_status = ?, add_costs = ?, discounts = ?, order_type = ?,"
                                  " close_date = COALESCE(?, close_date), out_of_town_order = ?"
                                  " WHERE order_num = ?"),
                   {storedDate(order.orderDate), order.comments, order.total.units(), order.subtotal.units(),
                    order.status, order.addCosts.units(), order.discounts.units(), order.type,
                    closing ? storedDate(today) : QVariant(), order.outOfTown ? 1 : 0, order.orderNum});
    if (!s)
        return s;
    // The lines stay with the stored customer: the update form cannot change it.
    QSqlQuery remove(db);
    if (s = execBound(remove, QStringLiteral("DELETE FROM order_detail WHERE order_num = ? AND cust_num = ?"),
                {order.orderNum, stored.custNum});
        !s)
        return s;
    if (s = writeLines(db, order.orderNum, stored.custNum, order.lines); !s)
        return s;
    if (closing && !(s = takeOffStock(db, order.lines, reminderQty, reminders)))
        return s;
    return tx.commit();
}

using Writer = Status (*)(QSqlDatabase, const Order &, qint16, const QDate &, std::vector<ReorderReminder> &);

// Checks the order, writes it, and hands out the reminders only once it is committed.
SaveResult save(Writer write, QSqlDatabase db, const Order &order, qint16 reminderQty, const QDate &today)
{
    SaveResult result;
    result.status = checkOrder(order, today);
    if (!result.status)
        return result;
    std::vector<ReorderReminder> reminders;
    result.status = write(db, order, reminderQty, today, reminders);
    if (result.status)
        result.reminders = std::move(reminders);
    return result;
}

} // namespace

SaveResult addOrder(QSqlDatabase db, const Order &order, qint16 reminderQty, const QDate &today)
{
    return save(insertOrder, db, order, reminderQty, today);
}

SaveResult replaceOrder(QSqlDatabase db, const Order &order, qint16 reminderQty, const QDate &today)
{
    return save(rewriteOrder, db, order, reminderQty, today);
}

Status markDeleted(QSqlDatabase db, int orderNum)
{
    Transaction tx(db);
    if (Status s = tx.begin(); !s)
        return s;
    StoredHeader stored;
    if (Status s = readOpenHeader(db, orderNum, stored); !s)
        return s;
    QSqlQuery update(db);
    if (Status s = execBound(update, QStringLiteral("UPDATE orders SET order_status = ? WHERE order_num = ?"),
                       {Orders::Deleted, orderNum});
        !s)
        return s;
    return tx.commit();
}

std::optional<StoredOrder> load(QSqlDatabase db, int orderNum, Status *status)
{
    Status ignored;
    Status &s = status ? *status : ignored;
    QSqlQuery header(db);
    s = execBound(header,
            QStringLiteral("SELECT o.cust_num, o.order_date, o.order_status, o.order_type, o.subtotal, o.add_costs,"
                           " o.discounts, o.total_price, o.out_of_town_order, o.close_date, o.comments,"
                           " c.address, c.phone, c.email"
                           " FROM orders o LEFT JOIN customer c ON c.cust_num = o.cust_num WHERE o.order_num = ?"),
            {orderNum});
    if (!s || !header.next())
        return std::nullopt;

    StoredOrder stored;
    Order &o = stored.order;
    o.orderNum = orderNum;
    o.custNum = header.value(0).toInt();
    o.orderDate = TextRules::fromStoredDate(header.value(1).toString());
    o.status = header.value(2).toString();
    o.type = header.value(3).toString();
    o.subtotal = Money::fromUnits(header.value(4).toLongLong());
    o.addCosts = Money::fromUnits(header.value(5).toLongLong());
    o.discounts = Money::fromUnits(header.value(6).toLongLong());
    o.total = Money::fromUnits(header.value(7).toLongLong());
    o.outOfTown = header.value(8).toInt() != 0;
    stored.closeDate = TextRules::fromStoredDate(header.value(9).toString());
    o.comments = header.value(10).toString();
    stored.customer.address = header.value(11).toString();
    stored.customer.phone = header.value(12).toString();
    stored.customer.email = header.value(13).toString();

    QSqlQuery lines(db);
    s = execBound(lines,
            QStringLiteral("SELECT d.product_num, c.product, c.product_refnum, c.cost, d.order_qty"
                           " FROM order_detail d INNER JOIN inventory c ON c.product_num = d.product_num"
                           " WHERE d.order_num = ? AND d.cust_num = ? ORDER BY ")
                + Dialect::insertionOrder(QStringLiteral("d")),
            {orderNum, o.custNum});
    if (!s)
        return std::nullopt;
    while (lines.next()) {
        StoredOrder::Line line;
        line.productNum = lines.value(0).toInt();
        line.product = lines.value(1).toString();
        line.productRefnum = lines.value(2).toString();
        line.cost = Money::fromUnits(lines.value(3).toLongLong());
        line.quantity = lines.value(4).toLongLong();
        o.lines.push_back({line.productNum, line.product, line.quantity});
        stored.lines.push_back(line);
    }
    return stored;
}

} // namespace OrderStore
