// The bookkeeping period, the sums over it, and the expense checks and storage.

#include "TestSupport.h"

#include "bookkeeping/Expenses.h"
#include "bookkeeping/Ledger.h"
#include "bookkeeping/Period.h"
#include "data/QueryModel.h"
#include "data/TextRules.h"

#include <QAbstractItemModelTester>
#include <QtTest>

using namespace Bookkeeping;

namespace {

struct Order
{
    int num;
    QString status;
    QVariant closeDate; // stored form, or null
    qint64 subtotal; // whole dollars
};

void insertCustomer(const TestDatabase &db, int num, const QString &first, const QString &last)
{
    QVERIFY(db.exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (?, ?, ?)", {num, first, last}));
}

void insertOrders(const TestDatabase &db, const QList<Order> &orders)
{
    insertCustomer(db, 1, "Ann", "Lee");
    for (const Order &o : orders) {
        QVERIFY(db.exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, subtotal, close_date)"
                        " VALUES (?, 1, '2004-01-05', ?, ?, ?)",
                        {o.num, o.status, o.subtotal * Money::UnitsPerDollar, o.closeDate}));
    }
}

void insertExpenses(const TestDatabase &db, const QList<std::pair<QString, qint64>> &datedDollars)
{
    int num = 1;
    for (const auto &[date, amount] : datedDollars)
        QVERIFY(db.exec("INSERT INTO expenses (expense_num, expense_desc, expense_amt, expense_date)"
                        " VALUES (?, 'x', ?, ?)",
                        {num++, amount * Money::UnitsPerDollar, date}));
}

Money dollars(double amount) { return Money::fromDouble(amount); }

} // namespace

class tst_Ledger : public QObject
{
    Q_OBJECT
private slots:
    void monthEnds_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QDate>("end"); // invalid: no period end
        QTest::newRow("February of a leap year") << "02" << "2004" << QDate(2004, 2, 29);
        QTest::newRow("February of a common year") << "02" << "2005" << QDate(2005, 2, 28);
        QTest::newRow("century, not leap") << "02" << "1900" << QDate(1900, 2, 28);
        QTest::newRow("fourth century, leap") << "02" << "2000" << QDate(2000, 2, 29);
        QTest::newRow("thirty days") << "09" << "2005" << QDate(2005, 9, 30);
        QTest::newRow("thirty-one days") << "12" << "2012" << QDate(2012, 12, 31);
        QTest::newRow("no month 13") << "13" << "2005" << QDate();
        QTest::newRow("empty year") << "01" << "" << QDate();
    }
    void monthEnds()
    {
        QFETCH(QString, month);
        QFETCH(QString, year);
        QFETCH(QDate, end);
        QCOMPARE(monthEnd(month, year).value_or(QDate()), end);
        QCOMPARE(monthStart(month, year).value_or(QDate()), end.isValid() ? QDate(end.year(), end.month(), 1) : QDate());
    }

    void lists_data()
    {
        QTest::addColumn<int>("earliest"); // 0: no dated data
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("no data: from 2001") << 0 << 2025 << "2001" << "2025";
        QTest::newRow("later data: still 2001") << 2010 << 2025 << "2001" << "2025";
        QTest::newRow("earlier data first") << 1998 << 2025 << "1998" << "2025";
    }
    void lists()
    {
        QFETCH(int, earliest);
        QFETCH(int, current);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const QStringList years = yearItems(earliest ? std::optional<int>(earliest) : std::nullopt, current);
        QCOMPARE(years.first(), first);
        QCOMPARE(years.last(), last);
        QCOMPARE(years.size(), last.toInt() - first.toInt() + 1);
        QCOMPARE(monthItems().first(), QString("01"));
        QCOMPARE(monthItems().size(), 12);
    }

    void yearToDateEndsWithTheMonth()
    {
        const Period p = yearToDate(QDate(2024, 2, 3));
        QVERIFY(!p.all);
        QCOMPARE(p.start, QDate(2024, 1, 1));
        QCOMPARE(p.end, QDate(2024, 2, 29));
    }

    void earliestYearOfTheData()
    {
        TestDatabase db;
        QVERIFY(!earliestYear(db.db()).year);
        // Orders that are not closed do not count; a closed one and an expense do.
        insertOrders(db, {{1, "D", "1990-03-01", 10}, {2, "C", "1999-12-31", 10}});
        QCOMPARE(earliestYear(db.db()).year.value_or(0), 1999);
        insertExpenses(db, {{"1997-06-30", 5}});
        QCOMPARE(earliestYear(db.db()).year.value_or(0), 1997);
    }

    void totals_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QList<int>>("sales"); // order numbers listed, in order
        QTest::addColumn<Money>("salesTotal");
        QTest::addColumn<Money>("expensesTotal");
        QTest::addColumn<QString>("grossProfit");
        // Fixture: closed 2005-12-31 (100), closed 2006-01-01 (50), closed with no
        // close date (7), open and deleted orders dated 2005 (1000, 2000), closed
        // 2004-02-29 (30) and 2004-02-28 (20); expenses 2005-12-31 (40),
        // 2006-01-01 (25), 2004-02-29 (3).
        QTest::newRow("show all: every C, never O or D")
            << true << QDate() << QDate() << QList<int>{1, 2, 3, 6, 7} << dollars(207) << dollars(68) << "$139.00";
        QTest::newRow("last day of the period counted, the next day not")
            << false << QDate(2005, 1, 1) << QDate(2005, 12, 31) << QList<int>{1} << dollars(100) << dollars(40)
            << "$60.00";
        QTest::newRow("February 29 of a leap year counted")
            << false << *monthStart("02", "2004") << *monthEnd("02", "2004") << QList<int>{6, 7} << dollars(50)
            << dollars(3) << "$47.00";
        QTest::newRow("start after end: nothing")
            << false << QDate(2006, 1, 1) << QDate(2005, 1, 1) << QList<int>{} << Money() << Money() << "$0.00";
        QTest::newRow("a one-day period")
            << false << QDate(2006, 1, 1) << QDate(2006, 1, 1) << QList<int>{2} << dollars(50) << dollars(25)
            << "$25.00";
    }
    void totals()
    {
        QFETCH(bool, all);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QList<int>, sales);
        QFETCH(Money, salesTotal);
        QFETCH(Money, expensesTotal);
        QFETCH(QString, grossProfit);
        TestDatabase db;
        insertOrders(db, {{1, "C", "2005-12-31", 100}, {2, "C", "2006-01-01", 50}, {3, "C", {}, 7},
                          {4, "O", "2005-06-01", 1000}, {5, "D", "2005-06-01", 2000},
                          {6, "C", "2004-02-29", 30}, {7, "C", "2004-02-28", 20}});
        insertExpenses(db, {{"2005-12-31", 40}, {"2006-01-01", 25}, {"2004-02-29", 3}});
        const Period period = all ? Period::everything() : Period::between(start, end);

        const Totals t = Bookkeeping::totals(db.db(), period);
        QVERIFY2(t.status, qPrintable(t.status.message()));
        QCOMPARE(t.sales, salesTotal);
        QCOMPARE(t.expenses, expensesTotal);
        QCOMPARE(TextRules::format(t.grossProfit(), "$##0.00"), grossProfit);

        // The grid lists the orders the total sums.
        QueryModel model;
        const Query q = salesQuery(period);
        QVERIFY(model.setQuery(db.db(), q.sql, q.values));
        QList<int> listed;
        for (int r = 0; r < model.rowCount(); ++r)
            listed << model.value(r, "order_num").toInt();
        QCOMPARE(listed, sales);

        // The chart's months add up to the same totals.
        const Monthly monthly = monthlyTotals(db.db(), period);
        QVERIFY2(monthly.status, qPrintable(monthly.status.message()));
        Money monthSales, monthExpenses;
        for (const MonthTotals &m : monthly.months) {
            monthSales += m.sales;
            monthExpenses += m.expenses;
        }
        QCOMPARE(monthSales, salesTotal);
        QCOMPARE(monthExpenses, expensesTotal);
    }

    // Sums beyond the largest whole number are refused as SQL's SUM refuses them.
    void monthSumTooLarge()
    {
        TestDatabase db;
        insertCustomer(db, 1, "Ann", "Lee");
        for (int num : {1, 2})
            QVERIFY(db.exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, subtotal, close_date)"
                            " VALUES (?, 1, '2004-01-05', 'C', ?, '2004-02-01')",
                            {num, std::numeric_limits<qint64>::max() / 2 + 1}));
        QVERIFY(!Bookkeeping::totals(db.db(), Period::everything()).status);
        const Monthly monthly = monthlyTotals(db.db(), Period::everything());
        QVERIFY(!monthly.status);
        QVERIFY2(monthly.status.message().contains("too large"), qPrintable(monthly.status.message()));
    }

    void salesMinusExpensesBelowZero()
    {
        TestDatabase db;
        insertOrders(db, {{1, "C", "2005-03-01", 150}});
        insertExpenses(db, {{"2005-03-02", 200}});
        const Totals t = Bookkeeping::totals(db.db(), Period::everything());
        QCOMPARE(TextRules::format(t.grossProfit(), "$##0.00"), QString("-$50.00"));
        QCOMPARE(TextRules::format(t.sales, "$##0.00"), QString("$150.00"));
    }

    void expenseGridPagesInNumberOrder()
    {
        TestDatabase db;
        // More rows than one page, inserted out of number order.
        QList<std::pair<QString, qint64>> rows;
        for (int i = 0; i < QueryModel::PageSize + 10; ++i)
            rows.append({"2005-01-01", 1});
        QVERIFY(db.exec("BEGIN"));
        insertExpenses(db, rows);
        QVERIFY(db.exec("COMMIT"));
        QVERIFY(db.exec("UPDATE expenses SET expense_num = expense_num + 1000 WHERE expense_num <= 5"));
        QueryModel model;
        model.setColumns({{"Expense Date", "expense_date"}, {"Expense Amt", "expense_amt"}, {"Expense Desc", "expense_desc"}});
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const Query q = expensesQuery(Period::everything());
        QVERIFY(model.setQuery(db.db(), q.sql, q.values));
        while (model.canFetchMore())
            model.fetchMore();
        QCOMPARE(model.rowCount(), rows.size());
        QCOMPARE(model.value(0, "expense_num").toInt(), 6);
        QCOMPARE(model.value(model.rowCount() - 1, "expense_num").toInt(), 1005);
    }

    void expenseChecks_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("failedBox"); // empty: accepted
        QTest::addColumn<Money>("stored");
        const QString day = "03/14/2005";
        QTest::newRow("12") << "Flour" << "12" << day << "" << dollars(12);
        QTest::newRow("12.5") << "Flour" << "12.5" << day << "" << dollars(12.5);
        QTest::newRow("$12.50") << "Flour" << "$12.50" << day << "" << dollars(12.5);
        QTest::newRow("$1,234.50") << "Flour" << "$1,234.50" << day << "" << dollars(1234.5);
        QTest::newRow("description before amount") << "" << "abc" << day << "txtdesc" << Money();
        QTest::newRow("empty amount") << "Flour" << "" << day << "medAmt" << Money();
        QTest::newRow("letters") << "Flour" << "twelve" << day << "medAmt" << Money();
        QTest::newRow("amount before date") << "Flour" << "x" << "13/45/2005" << "medAmt" << Money();
        QTest::newRow("no such day") << "Flour" << "12" << "13/45/2005" << "medDate" << Money();
        QTest::newRow("prompt left as is") << "Flour" << "12" << "__/__/____" << "medDate" << Money();
        QTest::newRow("zeros") << "Flour" << "12" << "00/00/0000" << "medDate" << Money();
        QTest::newRow("February 29 of a common year") << "Flour" << "12" << "02/29/2005" << "medDate" << Money();
    }
    void expenseChecks()
    {
        QFETCH(QString, description);
        QFETCH(QString, amount);
        QFETCH(QString, date);
        QFETCH(QString, failedBox);
        QFETCH(Money, stored);
        const Expenses::Input input{description, amount, date};
        const QList<Check> failed = failedChecks(Expenses::checks(input), true);
        QCOMPARE(failed.isEmpty() ? QString() : failed.first().box, failedBox);
        const auto expense = Expenses::read(input);
        QCOMPARE(expense.has_value(), failedBox.isEmpty());
        if (expense) {
            QCOMPARE(expense->amount, stored);
            QCOMPARE(expense->date, QDate(2005, 3, 14));
        }
    }

    void changeAndRemove()
    {
        TestDatabase db;
        QVERIFY(Expenses::add(db.db(), 3, {"Jars", dollars(12.5), QDate(2004, 2, 29)}));
        QCOMPARE(db.scalar("SELECT expense_date || '|' || expense_amt FROM expenses WHERE expense_num = 3").toString(),
                 QString("2004-02-29|125000"));
        QVERIFY(Expenses::change(db.db(), 3, {"Lids", dollars(1234.5), QDate(2005, 1, 2)}));
        QCOMPARE(db.scalar("SELECT expense_desc || '|' || expense_date || '|' || expense_amt FROM expenses").toString(),
                 QString("Lids|2005-01-02|12345000"));
        // A number no longer stored is reported, not silently ignored.
        QVERIFY(!Expenses::change(db.db(), 4, {"Lids", Money(), QDate(2005, 1, 2)}));
        QVERIFY(!Expenses::remove(db.db(), 4));
        QVERIFY(Expenses::remove(db.db(), 3));
        QCOMPARE(db.count("expenses"), 0);
        // The same number twice is refused by the table.
        QVERIFY(Expenses::add(db.db(), 5, {"a", Money(), QDate(2005, 1, 2)}));
        QVERIFY(!Expenses::add(db.db(), 5, {"b", Money(), QDate(2005, 1, 2)}));
    }
};

QTEST_MAIN(tst_Ledger)
#include "tst_ledger.moc"
