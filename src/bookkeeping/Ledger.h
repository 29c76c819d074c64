#pragma once

#include "bookkeeping/Period.h"
#include "data/CsvExport.h"
#include "data/Money.h"
#include "data/Status.h"

#include <QSqlDatabase>
#include <QVariantList>
#include <optional>

// What the bookkeeping screen reads for a period: the rows of its two grids and
// the totals, summed by the database so that a file at its limits stays quick.
namespace Bookkeeping {

// SQL text with its bound values.
struct Query
{
    QString sql;
    QVariantList values;
};

// The closed orders ("C") whose close date lies in the period, by order number,
// with their customer's first and last name (empty when the customer is gone;
// `customer_found` tells). Columns: order_num, order_date, order_type, subtotal,
// close_date, order_status, cust_num, add_costs, discounts, comments,
// first_name, last_name, customer_found.
Query salesQuery(const Period &period);
// The expenses dated in the period, by number. Columns: expense_num,
// expense_date, expense_amt, expense_desc.
Query expensesQuery(const Period &period);

// The period's two lists as CSV files: period_sales.csv and period_expenses.csv.
QList<CsvExport::Query> periodCsv(const Period &period);
Status exportPeriod(QSqlDatabase db, const Period &period, const QString &folder);

struct Totals
{
    Status status;      // a failure to read
    Money sales;        // sum of the subtotals of the period's closed orders
    Money expenses;     // sum of the period's expense amounts
    Money grossProfit() const { return sales - expenses; }
};
// The period's totals; an empty amount counts as 0.
Totals totals(QSqlDatabase db, const Period &period);

// One month's sums, for the chart. `month` is "YYYY-MM"; empty for closed orders
// without a close date (counted only when every order is shown).
struct MonthTotals
{
    QString month;
    Money sales;
    Money expenses;
    Money grossProfit() const { return sales - expenses; }
};
struct Monthly
{
    Status status;
    QList<MonthTotals> months;   // in month order, only months with a sale or an expense
};
// The period's sales and expenses per month; together they make totals().
Monthly monthlyTotals(QSqlDatabase db, const Period &period);

struct EarliestYear
{
    Status status;
    std::optional<int> year;    // nothing when no closed order or expense has a date
};
// The earliest year of a closed order's close date or an expense's date.
EarliestYear earliestYear(QSqlDatabase db);

} // namespace Bookkeeping
