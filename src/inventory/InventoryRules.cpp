#include "inventory/InventoryRules.h"

#include <QSqlError>
#include <QSqlQuery>

#include "data/TextRules.h"

#include <QLocale>
#include <cmath>

namespace InventoryRules {
namespace {

Check productCheck(const Input &in) { return {"txtProduct", in.product.isEmpty(), "You must enter a product"}; }
Check costCheck(const Input &in) { return {"medcost", !TextRules::isNumeric(in.cost), "You must enter a valid cost"}; }
Check costRangeCheck(const Input &in)
{
    const std::optional<Money> cost = storedCost(in.cost);
    const bool outside = TextRules::isNumeric(in.cost) && (!cost || *cost > MaxCost || *cost < -MaxCost);
    return {"medcost", outside, "The cost must be from -$999,999,999.99 to $999,999,999.99."};
}
Check qtyCheck(const Input &in) { return {"txtQty", !storedQty(in.qty).has_value(), "You must enter a quanity"}; }

} // namespace

QList<Check> addChecks(const Input &in)
{
    return {productCheck(in), costCheck(in), costRangeCheck(in), qtyCheck(in)};
}

QList<Check> updateChecks(const Input &in)
{
    return {costCheck(in), costRangeCheck(in), productCheck(in), qtyCheck(in)};
}

QString storedRefNum(const QString &typed)
{
    return typed.isEmpty() ? QStringLiteral("99999") : typed;
}

std::optional<Money> storedCost(const QString &typed)
{
    return Money::fromText(typed);
}

std::optional<qint64> storedQty(const QString &typed)
{
    const auto value = TextRules::toNumber(typed);
    if (!value)
        return std::nullopt;
    const auto whole = TextRules::toInt16(*value);
    if (!whole)
        return std::nullopt;
    return *whole;
}

QString listLine(qint64 qty, const QString &product, const QString &refNum, Money cost)
{
    return TextRules::printerNumber(double(qty)) + " " + product + " " + refNum + " "
           + TextRules::printerNumber(cost.toDouble());
}

QStringList listLines(RecordSet &rs, const QDate &today)
{
    QStringList lines{QLocale::system().toString(today, QLocale::ShortFormat), " ", " "};
    for (; !rs.eof(); rs.moveNext()) {
        lines << listLine(rs.integer("qty"), rs.text("product"), rs.text("product_refnum"), rs.money("cost"))
              << " ";
    }
    return lines;
}

Status reorderRows(QSqlDatabase db, qint64 reminderQty, QList<ReorderRow> &rows)
{
    // Open lines are matched to their order on both the order and the customer
    // number, as the order's key is the pair.
    const QString sql = QStringLiteral(
        "SELECT i.product, i.product_refnum, i.qty, COALESCE(SUM(w.order_qty), 0) "
        "FROM inventory i LEFT JOIN "
        "(SELECT d.product_num, d.order_qty FROM order_detail d JOIN orders o "
        " ON o.order_num = d.order_num AND o.cust_num = d.cust_num WHERE o.order_status = ?) w "
        "ON w.product_num = i.product_num "
        "WHERE i.qty <= ? "
        "GROUP BY i.product_num, i.product, i.product_refnum, i.qty "
        "ORDER BY i.product, i.product_num");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return Status::failure(q.lastError(), sql);
    q.addBindValue(QStringLiteral("O"));
    q.addBindValue(reminderQty);
    if (!q.exec())
        return Status::failure(q.lastError(), sql);
    rows.clear();
    while (q.next()) {
        ReorderRow row;
        row.product = q.value(0).toString();
        row.refNum = q.value(1).toString();
        row.onHand = q.value(2).toLongLong();
        row.wanted = q.value(3).toLongLong();
        rows << row;
    }
    return {};
}

QStringList reorderLines(const QList<ReorderRow> &rows, const QDate &today)
{
    QStringList lines{QLocale::system().toString(today, QLocale::ShortFormat), " ",
                      QStringLiteral("Reorder List"), " "};
    for (const ReorderRow &r : rows) {
        lines << QStringLiteral("%1 %2  on hand %3  wanted %4  short %5")
                     .arg(r.product, r.refNum)
                     .arg(r.onHand)
                     .arg(r.wanted)
                     .arg(r.shortfall());
    }
    if (rows.isEmpty())
        lines << QStringLiteral("No product is at or below the reminder quantity.");
    return lines;
}

} // namespace InventoryRules
