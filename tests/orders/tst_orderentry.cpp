// The order forms' rules over their boxes: CheckOrder, the quantity check, the
// "Update Totals" rule, the amount boxes, and the order built for storing.
#include "orders/OrderEntry.h"

#include <QTest>

using OrderEntry::LineEntry;
using Lines = std::vector<LineEntry>;
Q_DECLARE_METATYPE(Lines)

namespace {

LineEntry line(const QString &qty, const QString &product, const QString &num = "1", const QString &cost = "2.5")
{
    return {qty, product, num, cost};
}

QStringList shown(const std::vector<OrderEntry::Problem> &problems)
{
    QStringList out;
    for (const auto &p : problems)
        out << p.title + ": " + p.text;
    return out;
}

} // namespace

class tst_OrderEntry : public QObject
{
    Q_OBJECT
private slots:
    void checkOrder_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QString>("custNum");
        QTest::addColumn<QStringList>("messages");
        const QString twice = "You have the same product listed twice.  Remove one of the entries.";
        QTest::newRow("passes") << Lines{line("2", "Fudge"), line("1", "Brittle", "2")} << "4" << QStringList();
        QTest::newRow("repeat titled with the product, later checks still run")
            << Lines{line("1", "Fudge"), line("2", "Brittle", "2"), line("1", "Fudge", "1")} << ""
            << QStringList{"Fudge: " + twice, "T: You must enter a customer"};
        QTest::newRow("only the first repeat") << Lines{line("1", "A"), line("1", "A"), line("1", "B"), line("1", "B")}
                                               << "4" << QStringList{"A: " + twice};
        QTest::newRow("repeat is case-sensitive") << Lines{line("1", "Fudge"), line("1", "fudge")} << "4"
                                                  << QStringList();
        QTest::newRow("no product on line 0") << Lines{line("0", "", "")} << "4"
                                              << QStringList{"T: You must enter a product"};
        QTest::newRow("line 0 emptied by Delete keeps its number") << Lines{line("0", "", "7", "$0.00")} << "4"
                                                                   << QStringList{"T: You must enter a quanity"};
        QTest::newRow("empty quantity") << Lines{line("", "Fudge")} << "4"
                                        << QStringList{"T: You must enter a quanity"};
        QTest::newRow("zero as a number") << Lines{line("0.00", "Fudge")} << "4"
                                          << QStringList{"T: You must enter a quanity"};
        QTest::newRow("only line 0 is examined") << Lines{line("1", "Fudge"), line("0", "", "")} << "4"
                                                 << QStringList();
    }
    void checkOrder()
    {
        QFETCH(Lines, lines);
        QFETCH(QString, custNum);
        QFETCH(QStringList, messages);
        QCOMPARE(shown(OrderEntry::checkOrder(lines, custNum, "T")), messages);
    }

    void quantityAndUpdateTotalsRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("afterUpdateTotals");
        QTest::addColumn<bool>("calculates");
        using C = OrderEntry::QuantityCheck;
        QTest::newRow("zero") << "0" << int(C::Zero) << "0" << true;
        QTest::newRow("letters") << "abc" << int(C::NotNumeric) << "0" << false;
        QTest::newRow("empty") << "" << int(C::NotNumeric) << "0" << true;
        QTest::newRow("negative accepted, refused by text order") << "-3" << int(C::Accepted) << "0" << false;
        QTest::newRow("fraction") << "1.5" << int(C::Accepted) << "1.5" << true;
        QTest::newRow("100 sorts before 99") << "100" << int(C::Accepted) << "100" << true;
        QTest::newRow("990 sorts after 99") << "990" << int(C::Accepted) << "0" << false;
        QTest::newRow("leading zero") << "00" << int(C::Accepted) << "00" << true;
    }
    void quantityAndUpdateTotalsRules()
    {
        QFETCH(QString, typed);
        QFETCH(int, check);
        QFETCH(QString, afterUpdateTotals);
        QFETCH(bool, calculates);
        QCOMPARE(int(OrderEntry::checkQuantity(typed)), check);
        const OrderEntry::UpdateTotalsStep step = OrderEntry::updateTotals(typed);
        QCOMPARE(step.quantity, afterUpdateTotals);
        QCOMPARE(step.calculate, calculates);
    }

    void amountBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("units"); // -1: not an amount
        QTest::newRow("as loaded") << "$00.00" << qint64(0);
        QTest::newRow("emptied box") << "$." << qint64(0);
        QTest::newRow("fees") << "$12.50" << qint64(125000);
        QTest::newRow("partly typed") << "$5." << qint64(50000);
        QTest::newRow("cents only") << "$.75" << qint64(7500);
        QTest::newRow("not an amount") << "abc" << qint64(-1);
    }
    void amountBoxes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, units);
        const std::optional<Money> m = OrderEntry::amount(text);
        QCOMPARE(m ? m->units() : -1, units);
    }

    // The update form fills its amount boxes from stored amounts through their mask.
    void maskedAmounts_data()
    {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("text");   // empty: does not fit the mask
        QTest::newRow("zero") << qint64(0) << "$00.00";
        QTest::newRow("one digit") << qint64(52500) << "$05.25";
        QTest::newRow("largest") << qint64(999900) << "$99.99";
        QTest::newRow("a hundred") << qint64(1000000) << "";
        QTest::newRow("negative") << qint64(-10000) << "";
        QTest::newRow("part of a cent") << qint64(51250) << "";
    }
    void maskedAmounts()
    {
        QFETCH(qint64, units);
        QFETCH(QString, text);
        QCOMPARE(OrderEntry::maskedAmount(Money::fromUnits(units)).value_or(QString()), text);
    }

    void updateStatusWords_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("word");
        QTest::newRow("open") << "O" << "Open";
        QTest::newRow("pending") << "P" << "Pending";
        QTest::newRow("deleted") << "D" << "Deleted";
        QTest::newRow("closed stays a code") << "C" << "C";
        QTest::newRow("lower case is another code") << "o" << "o";
    }
    void updateStatusWords()
    {
        QFETCH(QString, code);
        QFETCH(QString, word);
        QCOMPARE(OrderEntry::updateStatusWord(code), word);
    }

    void toOrder_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QList<int>>("storedProducts");
        QTest::newRow("lines without a product left out")
            << "12/06/2026" << Lines{line("2", "Fudge", "1"), line("0", "", ""), line("3", "Brittle", "2")} << ""
            << QList<int>{1, 2};
        QTest::newRow("whole quantity written with decimals") << "12/06/2026" << Lines{line("2.0", "Fudge")} << ""
                                                              << QList<int>{1};
        QTest::newRow("fraction refused, naming the product")
            << "12/06/2026" << Lines{line("3", "Fudge", "1"), line("0.5", "Salt & Pepper Cake", "2")}
            << "The quantity of Salt & Pepper Cake must be a whole number of at least 1.  The order was not saved."
            << QList<int>{};
        QTest::newRow("negative refused") << "12/06/2026" << Lines{line("-3", "Fudge")}
                                          << "The quantity of Fudge must be a whole number of at least 1.  "
                                             "The order was not saved."
                                          << QList<int>{};
        QTest::newRow("not a real day") << "02/30/2026" << Lines{line("1", "Fudge")}
                                        << "02/30/2026 is not a valid date.  Please enter the date as mm/dd/yyyy."
                                        << QList<int>{};
    }
    void toOrder()
    {
        QFETCH(QString, date);
        QFETCH(Lines, lines);
        QFETCH(QString, problem);
        QFETCH(QList<int>, storedProducts);
        OrderEntry::FormEntries e;
        e.orderNum = 42;
        e.custNum = "7";
        e.orderDate = date;
        e.status = Orders::Closed;
        e.party = false;
        e.outOfTown = true;
        e.comments = "ring twice";
        e.addCosts = "$05.00";
        e.discounts = "$.";
        e.subtotal = "$7.50";
        e.total = "$13.40";
        e.lines = lines;
        const OrderEntry::Built built = OrderEntry::toOrder(e);
        QCOMPARE(built.problem.text, problem);
        QCOMPARE(bool(built.order), problem.isEmpty());
        if (!built.order) {
            QCOMPARE(built.problem.title, QString("Error"));
            e.problemTitle = "Invalid Data";
            QCOMPARE(OrderEntry::toOrder(e).problem.title, QString("Invalid Data"));
            return;
        }
        const Orders::Order &o = *built.order;
        QList<int> products;
        for (const auto &l : o.lines)
            products << l.productNum;
        QCOMPARE(products, storedProducts);
        QCOMPARE(o.lines.front().quantity, qint64(2));
        QCOMPARE(o.orderNum, 42);
        QCOMPARE(o.custNum, 7);
        QCOMPARE(o.orderDate, QDate(2026, 12, 6));
        QCOMPARE(o.status, Orders::Closed);
        QCOMPARE(o.type, Orders::Reorder);
        QVERIFY(o.outOfTown);
        QCOMPARE(o.addCosts.units(), qint64(50000));
        QCOMPARE(o.discounts.units(), qint64(0));
        QCOMPARE(o.subtotal.units(), qint64(75000));
        QCOMPARE(o.total.units(), qint64(134000));
    }

    void reminderTexts()
    {
        const Orders::ReorderReminder r{3, "Fudge", -2};
        QCOMPARE(OrderEntry::reminderText("You now have ", r), QString("You now have -2 left of Fudge. Please restock item."));
        QCOMPARE(OrderEntry::reminderText("You are now have ", {3, "Fudge", 7}),
                 QString("You are now have 7 left of Fudge. Please restock item."));
    }
};

QTEST_APPLESS_MAIN(tst_OrderEntry)
#include "tst_orderentry.moc"
