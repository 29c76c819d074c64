#include "orders/OrderQueries.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace OrderQueries {

QString orderList(ListOrder order)
{
    static const QString head = QStringLiteral(
        "SELECT b.order_date, a.first_name || ' ' || a.last_name AS customer, a.last_name, a.first_name,"
        " b.order_num, b.order_status, b.add_costs, b.discounts, b.comments, b.order_type, b.cust_num"
        " FROM customer a, orders b"
        " WHERE a.cust_num = b.cust_num AND b.order_status = ?");
    // Newest first, the later number first on the same day; names without regard to case.
    return head + (order == ListOrder::Date ? QStringLiteral(" ORDER BY b.order_date DESC, b.order_num DESC")
                                            : QStringLiteral(" ORDER BY lower(a.last_name), b.order_num"));
}

QString customers(CustomerOrder order)
{
    static const QString head =
        QStringLiteral("SELECT cust_num, first_name, last_name, address, phone, email FROM customer");
    switch (order) {
    case CustomerOrder::FirstName: return head + QStringLiteral(" ORDER BY lower(first_name), cust_num");
    case CustomerOrder::LastName: return head + QStringLiteral(" ORDER BY lower(last_name), cust_num");
    case CustomerOrder::Unsorted: break;
    }
    return head + QStringLiteral(" ORDER BY cust_num");
}

QString products(ProductOrder order)
{
    static const QString head =
        QStringLiteral("SELECT product_num, product_refnum, product, cost, qty FROM inventory");
    switch (order) {
    case ProductOrder::ProductNum: return head + QStringLiteral(" ORDER BY lower(product_refnum), product_num");
    case ProductOrder::ProductName: return head + QStringLiteral(" ORDER BY lower(product), product_num");
    case ProductOrder::Unsorted: break;
    }
    return head + QStringLiteral(" ORDER BY product_num");
}

Count rowCount(QSqlDatabase db, Table table)
{
    const QString sql = table == Table::Customer ? QStringLiteral("SELECT count(*) FROM customer")
                                                 : QStringLiteral("SELECT count(*) FROM inventory");
    Count count;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql) || !q.next()) {
        count.status = Status::failure(q.lastError(), sql);
        return count;
    }
    count.rows = q.value(0).toInt();
    return count;
}

} // namespace OrderQueries
