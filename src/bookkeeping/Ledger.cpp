#include "bookkeeping/Ledger.h"

#include "data/CsvExport.h"
#include "data/RowReader.h"
#include "data/TextRules.h"

#include <QMap>
#include <QSqlError>
#include <QSqlQuery>

namespace Bookkeeping {
namespace {

const QString Closed = QStringLiteral("C");

// Dates are stored as "YYYY-MM-DD" text, so a text range compares as dates.
// `dateColumn` is program text, never input.
Query inPeriod(const QString &dateColumn, const Period &period, Query q)
{
    if (period.all)
        return q;
    q.sql += (q.values.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
             + dateColumn + QStringLiteral(" BETWEEN ? AND ?");
    q.values << TextRules::toStoredDate(period.start) << TextRules::toStoredDate(period.end);
    return q;
}

Query closedOrders(const QString &from, const QString &dateColumn, const Period &period)
{
    return inPeriod(dateColumn, period, {from + QStringLiteral(" WHERE o.order_status = ?"), {Closed}});
}

Query datedExpenses(const QString &from, const Period &period)
{
    return inPeriod(QStringLiteral("expense_date"), period, {from, {}});
}

// The one value of a query that sums or picks a single value.
Status single(QSqlDatabase db, const Query &query, QVariant &value)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(query.sql))
        return Status::failure(q.lastError(), query.sql);
    for (const QVariant &v : query.values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        return Status::failure(q.lastError(), query.sql);
    value = q.value(0);
    return {};
}

} // namespace

Query salesQuery(const Period &period)
{
    Query q = closedOrders(QStringLiteral(
        "SELECT o.order_num, o.order_date, o.order_type, o.subtotal, o.close_date, o.order_status,"
        " o.cust_num, o.add_costs, o.discounts, o.comments, c.first_name, c.last_name,"
        " CASE WHEN c.cust_num IS NULL THEN 0 ELSE 1 END AS customer_found"
        " FROM orders o LEFT JOIN customer c ON c.cust_num = o.cust_num"), QStringLiteral("o.close_date"), period);
    q.sql += QStringLiteral(" ORDER BY o.order_num");
    return q;
}

Query expensesQuery(const Period &period)
{
    Query q = datedExpenses(
        QStringLiteral("SELECT expense_num, expense_date, expense_amt, expense_desc FROM expenses"), period);
    q.sql += QStringLiteral(" ORDER BY expense_num");
    return q;
}

Totals totals(QSqlDatabase db, const Period &period)
{
    // SUM skips empty amounts; COALESCE makes the sum of no rows 0.
    Totals t;
    QVariant sales;
    t.status = single(db, closedOrders(QStringLiteral("SELECT COALESCE(SUM(o.subtotal), 0) FROM orders o"),
                                       QStringLiteral("o.close_date"), period), sales);
    if (!t.status)
        return t;
    QVariant expenses;
    t.status = single(db, datedExpenses(QStringLiteral("SELECT COALESCE(SUM(expense_amt), 0) FROM expenses"),
                                        period), expenses);
    if (!t.status)
        return t;
    t.sales = Money::fromUnits(sales.toLongLong());
    t.expenses = Money::fromUnits(expenses.toLongLong());
    return t;
}

namespace {

// Adds the amounts of a query's rows (month, amount) to their months. The rows
// are summed here rather than grouped in SQL: grouping sorted every row of the
// period, which took several times as long as reading them.
Status addMonthSums(QSqlDatabase db, const Query &query, QMap<QString, MonthTotals> &months, Money MonthTotals::*field)
{
    bool overflow = false;
    const RowReader::Result read =
        RowReader::forEach(db, query.sql, query.values, 0, [&](const QVariantList &row) {
            const QString month = row[0].toString();
            MonthTotals &m = months[month];
            m.month = month;
            qint64 sum = 0;
            overflow = overflow || __builtin_add_overflow((m.*field).units(), row[1].toLongLong(), &sum);
            m.*field = Money::fromUnits(sum);
        });
    if (read.status && overflow)
        return Status::failure(QStringLiteral("A month's sum is too large to show (integer overflow)."), query.sql);
    return read.status;
}

} // namespace

Monthly monthlyTotals(QSqlDatabase db, const Period &period)
{
    Monthly result;
    QMap<QString, MonthTotals> months;
    const Query sales = closedOrders(QStringLiteral("SELECT SUBSTR(o.close_date, 1, 7), o.subtotal FROM orders o"),
                                     QStringLiteral("o.close_date"), period);
    if (!(result.status = addMonthSums(db, sales, months, &MonthTotals::sales)))
        return result;
    const Query expenses =
        datedExpenses(QStringLiteral("SELECT SUBSTR(expense_date, 1, 7), expense_amt FROM expenses"), period);
    if (!(result.status = addMonthSums(db, expenses, months, &MonthTotals::expenses)))
        return result;
    result.months = months.values();
    return result;
}

EarliestYear earliestYear(QSqlDatabase db)
{
    EarliestYear result;
    QVariant orders;
    result.status = single(db, closedOrders(QStringLiteral("SELECT MIN(o.close_date) FROM orders o"),
                                            QStringLiteral("o.close_date"), Period::everything()), orders);
    if (!result.status)
        return result;
    QVariant expenses;
    result.status = single(db, {QStringLiteral("SELECT MIN(expense_date) FROM expenses"), {}}, expenses);
    if (!result.status)
        return result;
    for (const QVariant &v : {orders, expenses}) {
        const QDate d = TextRules::fromStoredDate(v.toString());
        if (d.isValid() && (!result.year || d.year() < *result.year))
            result.year = d.year();
    }
    return result;
}

QList<CsvExport::Query> periodCsv(const Period &period)
{
    const Query sales = salesQuery(period);
    const Query expenses = expensesQuery(period);
    return {{QStringLiteral("period_sales.csv"), sales.sql, sales.values, QStringLiteral("orders")},
            {QStringLiteral("period_expenses.csv"), expenses.sql, expenses.values, QStringLiteral("expenses")}};
}

Status exportPeriod(QSqlDatabase db, const Period &period, const QString &folder)
{
    return CsvExport::write(db, periodCsv(period), folder);
}

} // namespace Bookkeeping
