#include "orders/OrderView.h"

#include "data/QueryModel.h"
#include "data/Sql.h"
#include "data/TextRules.h"

namespace OrderView {
namespace {

// A stored amount (ten-thousandths); an empty one counts as 0.
Money storedMoney(const QVariant &value)
{
    return value.isNull() ? Money() : Money::fromUnits(value.toLongLong());
}

QString shownDate(const QString &stored)
{
    const QDate date = TextRules::fromStoredDate(stored);
    return date.isValid() ? TextRules::toUsDate(date) : stored;
}

} // namespace

QString linesQuery()
{
    return QStringLiteral(
               "SELECT a.order_date, a.order_num, a.cust_num, d.order_qty, b.last_name, b.first_name,"
               " b.address, b.phone, b.email, c.product_num, c.product, c.cost, c.product_refnum,"
               " a.comments, a.add_costs, a.discounts, a.out_of_town_order"
               " FROM orders a, customer b, inventory c, order_detail d"
               " WHERE a.cust_num = b.cust_num AND d.product_num = c.product_num"
               " AND a.cust_num = d.cust_num AND a.order_num = d.order_num AND a.order_num = ?"
               " ORDER BY ")
           + Sql::insertionOrder(QStringLiteral("d"));
}

Details readDetails(QueryModel &model, Status *status)
{
    while (model.canFetchMore())
        model.fetchMore();
    if (status)
        *status = model.lastStatus();

    Details d;
    const int rows = model.rowCount();
    if (rows == 0)
        return d;
    d.found = true;
    d.orderDate = shownDate(model.value(0, "order_date").toString());
    d.custNum = model.value(0, "cust_num").toInt();
    d.address = model.value(0, "address").toString();
    d.phone = model.value(0, "phone").toString();
    d.email = model.value(0, "email").toString();
    d.comments = model.value(0, "comments").toString();
    d.addCosts = storedMoney(model.value(0, "add_costs"));
    d.discounts = storedMoney(model.value(0, "discounts"));
    d.outOfTown = model.value(0, "out_of_town_order").toInt() != 0;
    d.lines.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        d.lines.push_back({model.value(row, "order_qty").toLongLong(), model.value(row, "product").toString(),
                           model.value(row, "product_refnum").toString(),
                           storedMoney(model.value(row, "cost"))});
    }
    return d;
}

QString statusWord(const QString &code)
{
    if (code == QLatin1String("O"))
        return QStringLiteral("Open");
    if (code == QLatin1String("C"))
        return QStringLiteral("Closed");
    if (code == QLatin1String("D"))
        return QStringLiteral("Deleted");
    return code;
}

QString mailProduct(const QString &product)
{
    return QString(product).replace(u'&', u'+');
}

QString itemText(const std::vector<Line> &lines)
{
    QString text;
    for (const Line &line : lines) {
        text += u'\n' + TextRules::shortest(double(line.quantity)) + QStringLiteral(" - ")
                + mailProduct(line.product) + QStringLiteral(" @ ") + TextRules::shortest(line.cost.toDouble());
    }
    return text;
}

MailMessage confirmation(const Confirmation &c)
{
    const QString body = c.orderCaption + u' ' + c.orderNum + u'\n'
                         + QStringLiteral("Customer: ") + c.customer + u'\n'
                         + QStringLiteral("Address: ") + c.address + u'\n'
                         + QStringLiteral("Phone: ") + c.phone + u'\n' + u'\n'
                         + QStringLiteral("Items: ") + u'\n' + c.items + u'\n' + u'\n'
                         + QStringLiteral("Additional Fees: ") + c.addCosts + u'\n'
                         + QStringLiteral("Discounts: ") + c.discounts + u'\n'
                         + QStringLiteral("Sub Total: ") + c.subtotal + u'\n'
                         + QStringLiteral("Tax: ") + c.tax + u'\n'
                         + QStringLiteral("Shipping: ") + c.shipping + u'\n'
                         + QStringLiteral("Total: ") + c.total + u'\n' + u'\n'
                         + QStringLiteral("Comments: ") + c.comments + u'\n' + u'\n'
                         + QStringLiteral("Thanks for your order.  Please let me know if you need anything else.");
    return MailMessage{c.email, QStringLiteral("Order Confirmation "), body, true};
}

} // namespace OrderView
