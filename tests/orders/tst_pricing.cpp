#include "data/Money.h"
#include "data/TextRules.h"
#include "orders/Pricing.h"

#include <QTest>
#include <cmath>
#include <limits>

using Lines = std::vector<Pricing::Line>;
using StoredLines = std::vector<Pricing::StoredLine>;
Q_DECLARE_METATYPE(Lines)
Q_DECLARE_METATYPE(StoredLines)

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();
const Money MaxMoney = Money::fromUnits(std::numeric_limits<qint64>::max());
const Money MinMoney = Money::fromUnits(std::numeric_limits<qint64>::min());

QString shown(Money amount)
{
    return TextRules::format(amount, QStringLiteral("$#0.00"));
}

Money dollars(const char *text)
{
    return *Money::fromText(QString::fromLatin1(text));
}

StoredLines stored(std::initializer_list<std::pair<qint64, const char *>> lines)
{
    StoredLines out;
    for (const auto &[quantity, cost] : lines)
        out.push_back({quantity, dollars(cost)});
    return out;
}

} // namespace

class tst_Pricing : public QObject
{
    Q_OBJECT

private:
    static void addRateColumns()
    {
        QTest::addColumn<double>("taxRate");
        QTest::addColumn<double>("shippingRate");
        QTest::addColumn<double>("outOfTownRate");
        QTest::addColumn<bool>("outOfTown");
        QTest::addColumn<Money>("addCosts");
        QTest::addColumn<Money>("discounts");
    }

    static Pricing::Rates fetchRates()
    {
        QFETCH(double, taxRate);
        QFETCH(double, shippingRate);
        QFETCH(double, outOfTownRate);
        return {taxRate, shippingRate, outOfTownRate};
    }

private slots:
    // The order forms' totals, compared as the form shows them.
    void calcTotals_data()
    {
        QTest::addColumn<Lines>("lines");
        addRateColumns();
        QTest::addColumn<QStringList>("lineTotals");   // empty: the line is skipped
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("subtotal");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<qint64>("taxUnits");          // the tax as it enters the total
        QTest::addColumn<QString>("shipping");
        QTest::addColumn<QString>("total");

        const Money none;
        const Lines one = {{3, 2.5}};
        QTest::newRow("one line") << one << 0.08 << 0.04 << 0.10 << false << none << none
                                  << QStringList{"7.5"} << 3 << "$7.50" << "$0.60" << qint64(6000)
                                  << "$0.30" << "$8.40";
        QTest::newRow("out of town replaces shipping")
            << one << 0.08 << 0.04 << 0.10 << true << none << none << QStringList{"7.5"} << 3 << "$7.50"
            << "$0.60" << qint64(6000) << "$0.75" << "$8.85";
        QTest::newRow("fees and discounts added at the end")
            << one << 0.08 << 0.04 << 0.10 << false << dollars("$05.00") << dollars("$01.00")
            << QStringList{"7.5"} << 3 << "$7.50" << "$0.60" << qint64(6000) << "$0.30" << "$12.40";
        // 0.725 twice enters the total as 11.45, not as the shown 0.73 + 0.73.
        QTest::newRow("tax keeps four decimals")
            << Lines{{4, 2.5}} << 0.0725 << 0.0725 << 0.0 << false << none << none << QStringList{"10"}
            << 4 << "$10.00" << "$0.73" << qint64(7250) << "$0.73" << "$11.45";
        QTest::newRow("zero and negative quantities add nothing")
            << Lines{{0, 3}, {-2, 3}, {3, 2.5}} << 0.08 << 0.04 << 0.10 << false << none << none
            << QStringList{"", "", "7.5"} << 3 << "$7.50" << "$0.60" << qint64(6000) << "$0.30" << "$8.40";
        QTest::newRow("count rounded after each addition")
            << Lines{{1.5, 1}, {1.5, 1}} << 0.0 << 0.0 << 0.0 << false << none << none
            << QStringList{"1.5", "1.5"} << 4 << "$3.00" << "$0.00" << qint64(0) << "$0.00" << "$3.00";
        QTest::newRow("count halves to even") << Lines{{2.5, 1}} << 0.0 << 0.0 << 0.0 << false << none << none
                                              << QStringList{"2.5"} << 2 << "$2.50" << "$0.00" << qint64(0)
                                              << "$0.00" << "$2.50";
        QTest::newRow("zero rates: total is the subtotal")
            << Lines{{2, 1.25}, {1, 0.1}} << 0.0 << 0.0 << 0.0 << true << none << none
            << QStringList{"2.5", "0.1"} << 3 << "$2.60" << "$0.00" << qint64(0) << "$0.00" << "$2.60";
        // 10.045 shows $10.05; tax and shipping come from the shown 10.05 (1.005 each).
        QTest::newRow("fraction of a cent")
            << Lines{{5, 2.009}} << 0.10 << 0.10 << 0.0 << false << none << none << QStringList{"10.045"}
            << 5 << "$10.05" << "$1.01" << qint64(10050) << "$1.01" << "$12.06";
        QTest::newRow("no lines") << Lines{} << 0.08 << 0.04 << 0.10 << false << dollars("2") << none
                                  << QStringList{} << 0 << "$0.00" << "$0.00" << qint64(0) << "$0.00"
                                  << "$2.00";
    }

    void calcTotals()
    {
        QFETCH(Lines, lines);
        QFETCH(bool, outOfTown);
        QFETCH(Money, addCosts);
        QFETCH(Money, discounts);
        QFETCH(QStringList, lineTotals);
        QFETCH(int, items);
        QFETCH(QString, subtotal);
        QFETCH(QString, tax);
        QFETCH(qint64, taxUnits);
        QFETCH(QString, shipping);
        QFETCH(QString, total);

        const auto t = Pricing::calcTotals(lines, fetchRates(), outOfTown, addCosts, discounts);
        QVERIFY(t);
        QStringList shownLines;
        for (const std::optional<double> &line : t->lineTotals)
            shownLines << (line ? TextRules::shortest(*line) : QString());
        QCOMPARE(shownLines, lineTotals);
        QCOMPARE(int(t->totalItems), items);
        QCOMPARE(shown(t->subtotal), subtotal);
        QCOMPARE(shown(t->tax), tax);
        QCOMPARE(t->tax.units(), taxUnits);
        QCOMPARE(shown(t->shipping), shipping);
        QCOMPARE(shown(t->total), total);
    }

    // Figures that cannot be computed give nothing, never a wrapped or clamped value.
    void calcTotalsRefused_data()
    {
        QTest::addColumn<Lines>("lines");
        addRateColumns();
        const Money none;
        QTest::newRow("price not a number") << Lines{{1, NaN}} << 0.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("price infinite") << Lines{{1, Infinity}} << 0.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("quantity not a number") << Lines{{NaN, 1}} << 0.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("quantity infinite") << Lines{{Infinity, 1}} << 0.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("items beyond 32767") << Lines{{32767, 1}, {1, 1}} << 0.0 << 0.0 << 0.0 << false << none
                                            << none;
        QTest::newRow("line total overflows the double")
            << Lines{{1e300, 1e300}} << 0.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("line total beyond money") << Lines{{1, 1e15}} << 0.0 << 0.0 << 0.0 << false << none
                                                 << none;
        QTest::newRow("subtotal beyond money") << Lines{{1, 9e14}, {1, 9e14}} << 0.0 << 0.0 << 0.0 << false
                                               << none << none;
        QTest::newRow("tax beyond money") << Lines{{1, 9e14}} << 20.0 << 0.0 << 0.0 << false << none << none;
        QTest::newRow("rate not a number") << Lines{{1, 1}} << 0.0 << NaN << 0.0 << false << none << none;
        QTest::newRow("fees overflow") << Lines{{1, 1}} << 0.0 << 0.0 << 0.0 << false << MaxMoney << none;
        QTest::newRow("discounts overflow") << Lines{{1, 1}} << 0.0 << 0.0 << 0.0 << false << none << MinMoney;
    }

    void calcTotalsRefused()
    {
        QFETCH(Lines, lines);
        QFETCH(bool, outOfTown);
        QFETCH(Money, addCosts);
        QFETCH(Money, discounts);
        QVERIFY(!Pricing::calcTotals(lines, fetchRates(), outOfTown, addCosts, discounts));
    }

    // The order view's first repaint: fees and discounts inside the subtotal, tax
    // from the shown subtotal, shipping from the unrounded one.
    void viewTotals_data()
    {
        QTest::addColumn<StoredLines>("lines");
        addRateColumns();
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("subtotal");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("shipping");
        QTest::addColumn<QString>("total");

        const StoredLines example = stored({{2, "3.00"}, {1, "4.50"}});
        QTest::newRow("two lines with fees and discounts")
            << example << 0.07 << 0.10 << 0.20 << false << dollars("1.00") << dollars("0.50") << 3 << "$11.00"
            << "$0.77" << "$1.10" << "$12.87";
        QTest::newRow("out of town") << example << 0.07 << 0.10 << 0.20 << true << dollars("1.00")
                                     << dollars("0.50") << 3 << "$11.00" << "$0.77" << "$2.20" << "$13.97";
        // 10.045 shows $10.05: tax 10% of 10.05 is 1.005 ($1.01), shipping 10% of
        // 10.045 is 1.0045 ($1.00); the total 12.0545 is rounded once.
        QTest::newRow("fraction of a cent") << stored({{5, "2.009"}}) << 0.10 << 0.10 << 0.0 << false << Money()
                                            << Money() << 5 << "$10.05" << "$1.01" << "$1.00" << "$12.05";
        QTest::newRow("no lines") << StoredLines{} << 0.07 << 0.10 << 0.0 << false << dollars("2") << Money()
                                  << 0 << "$2.00" << "$0.14" << "$0.20" << "$2.34";
    }

    void viewTotals()
    {
        QFETCH(StoredLines, lines);
        QFETCH(bool, outOfTown);
        QFETCH(Money, addCosts);
        QFETCH(Money, discounts);
        QFETCH(int, items);
        QFETCH(QString, subtotal);
        QFETCH(QString, tax);
        QFETCH(QString, shipping);
        QFETCH(QString, total);

        const auto t = Pricing::viewTotals(lines, fetchRates(), outOfTown, addCosts, discounts);
        QVERIFY(t);
        QCOMPARE(int(t->totalItems), items);
        QCOMPARE(shown(t->subtotal), subtotal);
        QCOMPARE(shown(t->tax), tax);
        QCOMPARE(shown(t->shipping), shipping);
        QCOMPARE(shown(t->total), total);
    }

    void viewTotalsRefused_data()
    {
        QTest::addColumn<StoredLines>("lines");
        addRateColumns();
        QTest::newRow("items beyond 32767") << stored({{20000, "1"}, {20000, "1"}}) << 0.0 << 0.0 << 0.0 << false
                                            << Money() << Money();
        StoredLines huge{{2, MaxMoney}};
        QTest::newRow("line amount overflows") << huge << 0.0 << 0.0 << 0.0 << false << Money() << Money();
        QTest::newRow("fees overflow") << stored({{1, "1"}}) << 0.0 << 0.0 << 0.0 << false << MaxMoney << Money();
        QTest::newRow("rate not a number") << stored({{1, "1"}}) << NaN << 0.0 << 0.0 << false << Money()
                                           << Money();
    }

    void viewTotalsRefused()
    {
        QFETCH(StoredLines, lines);
        QFETCH(bool, outOfTown);
        QFETCH(Money, addCosts);
        QFETCH(Money, discounts);
        QVERIFY(!Pricing::viewTotals(lines, fetchRates(), outOfTown, addCosts, discounts));
    }
};

QTEST_GUILESS_MAIN(tst_Pricing)
#include "tst_pricing.moc"
