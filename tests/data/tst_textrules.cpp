#include "data/Money.h"
#include "data/TextRules.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace TextRules;

constexpr qint64 MaxUnits = std::numeric_limits<qint64>::max();
constexpr qint64 MinUnits = std::numeric_limits<qint64>::min();
constexpr double Infinity = std::numeric_limits<double>::infinity();

class tst_TextRules : public QObject
{
    Q_OBJECT

private slots:
    // The same grammar feeds Money::fromText and toNumber; "money" is false where only the
    // 64-bit unit count overflows.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("money");
        QTest::addColumn<qint64>("units");
        QTest::newRow("dollar grouped") << " $1,234.50 " << true << 1234.5 << true << qint64(12345000);
        QTest::newRow("plus") << "+3" << true << 3.0 << true << qint64(30000);
        QTest::newRow("sign before $") << "-$12.25" << true << -12.25 << true << qint64(-122500);
        QTest::newRow("sign after $") << "$-12.25" << true << -12.25 << true << qint64(-122500);
        QTest::newRow("parentheses") << "($12.00)" << true << -12.0 << true << qint64(-120000);
        QTest::newRow("leading point") << ".5" << true << 0.5 << true << qint64(5000);
        QTest::newRow("trailing point") << "7." << true << 7.0 << true << qint64(70000);
        QTest::newRow("loose grouping") << "1,2,3" << true << 123.0 << true << qint64(1230000);
        QTest::newRow("half to even down") << "0.00005" << true << 0.00005 << true << qint64(0);
        QTest::newRow("half to even up") << "0.00015" << true << 0.00015 << true << qint64(2);
        QTest::newRow("above half") << "0.000051" << true << 0.000051 << true << qint64(1);
        QTest::newRow("leading zeros") << "0000000000000000000000012" << true << 12.0 << true << qint64(120000);
        QTest::newRow("max") << "922337203685477.5807" << true << 922337203685477.5807 << true << MaxUnits;
        QTest::newRow("min") << "-922337203685477.5808" << true << -922337203685477.5808 << true << MinUnits;
        QTest::newRow("over max") << "922337203685477.5808" << true << 922337203685477.5808 << false << qint64(0);
        QTest::newRow("rounds over max") << "922337203685477.58075" << true << 922337203685477.58075 << false << qint64(0);
        QTest::newRow("huge") << "12345678901234567890123" << true << 1.2345678901234568e22 << false << qint64(0);
        const QString tiny = u'.' + QString(323, u'0') + u'1';
        QTest::newRow("below smallest double") << tiny << true << 0.0 << true << qint64(0);
        QTest::newRow("below smallest double, negative") << u'-' + tiny << true << 0.0 << true << qint64(0);
        const QStringList malformed = {"", "   ", ".", "7..5", "1e5", "5-", "-$-5", "(-5)", "(5",
                                       ",5", "5,", "1,,5"};
        for (const QString &text : malformed)
            QTest::addRow("malformed '%s'", qPrintable(text)) << text << false << 0.0 << false << qint64(0);
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        QFETCH(bool, money);
        QFETCH(qint64, units);
        QCOMPARE(isNumeric(text), numeric);
        const std::optional<double> number = toNumber(text);
        QCOMPARE(number.has_value(), numeric);
        if (numeric)
            QCOMPARE(*number, value);
        const std::optional<Money> amount = Money::fromText(text);
        QCOMPARE(amount.has_value(), money);
        if (money)
            QCOMPARE(amount->units(), units);
    }

    void wholeNumber()
    {
        QCOMPARE(toWholeNumber(" -17 "), std::optional<qint64>(-17));
        for (const QString text : {"4.0", "-", "", "9223372036854775808"})
            QVERIFY2(!toWholeNumber(text), qPrintable(text));
    }

    void moneyFromDouble_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("units");
        // Odd multiples of 1/32 are exact and land on a half unit, so only the tie rule decides.
        QTest::newRow("312.5 units to even down") << 0.03125 << qint64(312);
        QTest::newRow("937.5 units to even up") << 0.09375 << qint64(938);
        QTest::newRow("-937.5 units") << -0.09375 << qint64(-938);
        QTest::newRow("nan") << std::nan("") << qint64(0);
        QTest::newRow("infinity") << Infinity << MaxUnits;
        QTest::newRow("minus infinity") << -Infinity << MinUnits;
    }

    void moneyFromDouble()
    {
        QFETCH(double, value);
        QFETCH(qint64, units);
        QCOMPARE(Money::fromDouble(value).units(), units);
    }

    // The checked conversion: the same tie rule, but nothing where fromDouble clamps.
    void moneyFromDoubleHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<qint64>("units");
        QTest::newRow("312.5 units to even down") << 0.03125 << true << qint64(312);
        QTest::newRow("937.5 units to even up") << 0.09375 << true << qint64(938);
        QTest::newRow("-312.5 units to even") << -0.03125 << true << qint64(-312);
        QTest::newRow("nan") << std::nan("") << false << qint64(0);
        QTest::newRow("infinity") << Infinity << false << qint64(0);
        QTest::newRow("beyond the range") << 1e15 << false << qint64(0);
        QTest::newRow("most negative") << -922337203685477.5808 << true << MinUnits;
    }

    void moneyFromDoubleHalfEven()
    {
        QFETCH(double, value);
        QFETCH(bool, converts);
        QFETCH(qint64, units);
        const std::optional<Money> m = Money::fromDoubleHalfEven(value);
        QCOMPARE(m.has_value(), converts);
        if (converts)
            QCOMPARE(m->units(), units);
    }

    // Halves away from zero, as "$#0.00" shows them, up to both ends of the range.
    void moneyRoundedToCents_data()
    {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("half up") << qint64(100050) << qint64(100100);
        QTest::newRow("below half") << qint64(100049) << qint64(100000);
        QTest::newRow("negative half") << qint64(-100050) << qint64(-100100);
        QTest::newRow("negative below half") << qint64(-100049) << qint64(-100000);
        QTest::newRow("largest") << MaxUnits << MaxUnits - 7;
        QTest::newRow("rounds up near the top") << MaxUnits - 50 << MaxUnits - 7;
        QTest::newRow("most negative") << MinUnits << MinUnits + 8;
        QTest::newRow("rounds down near the bottom") << MinUnits + 50 << MinUnits + 8;
    }

    void moneyRoundedToCents()
    {
        QFETCH(qint64, units);
        QFETCH(qint64, cents);
        QCOMPARE(Money::fromUnits(units).roundedToCents().units(), cents);
    }

    // Doubles and money amounts through the same patterns.
    void format_data()
    {
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dollars") << QVariant(12.5) << "$#0.00" << "$12.50";
        QTest::newRow("no grouping") << QVariant(1234.5) << "$##0.00" << "$1234.50";
        QTest::newRow("grouping") << QVariant(1234.5) << "$#,##0.00" << "$1,234.50";
        QTest::newRow("negative section") << QVariant(-12.0) << "$#,##0.00;($#,##0.00)" << "($12.00)";
        QTest::newRow("positive with sections") << QVariant(12.0) << "$#,##0.00;($#,##0.00)" << "$12.00";
        QTest::newRow("minus in front") << QVariant(-12.5) << "$#0.00" << "-$12.50";
        QTest::newRow("half away 2.5") << QVariant(2.5) << "#0" << "3";
        QTest::newRow("no whole digit") << QVariant(0.5) << "$##.00" << "$.50";
        // Rounded once, on the shortest text that reads back as the same double.
        QTest::newRow("half cent") << QVariant(12.345) << "$#0.00" << "$12.35";
        QTest::newRow("below half cent") << QVariant(12.344999) << "$#0.00" << "$12.34";
        QTest::newRow("negative rounds to zero") << QVariant(-0.004) << "#0.00" << "0.00";
        QTest::newRow("negative zero section") << QVariant(-0.004) << "$#,##0.00;($#,##0.00)" << "$0.00";
        QTest::newRow("carry into group") << QVariant(999999.995) << "$#,##0.00" << "$1,000,000.00";
        QTest::newRow("fifth decimal half") << QVariant(0.00005) << "#0.0000" << "0.0001";
        QTest::newRow("beyond money range") << QVariant(1e20) << "#,##0" << "100,000,000,000,000,000,000";
        const auto money = [](qint64 units) { return QVariant::fromValue(Money::fromUnits(units)); };
        QTest::newRow("money: exact half cent") << money(123450) << "$#0.00" << "$12.35";
        QTest::newRow("money: one unit") << money(1) << "#0.0000" << "0.0001";
        QTest::newRow("money: max") << money(MaxUnits) << "$#,##0.00" << "$922,337,203,685,477.58";
        QTest::newRow("money: min") << money(MinUnits) << "$#,##0.00;($#,##0.00)" << "($922,337,203,685,477.58)";
        QTest::newRow("money: min, one section") << money(MinUnits) << "#0" << "-922337203685478";
        // Typed text is formatted digit by digit: nothing is lost to a double, and
        // it is rounded once, not first to a money amount's four decimals.
        QTest::newRow("typed: beyond a double") << QVariant("123456789012345678.875") << "$##.00"
                                                << "$123456789012345678.88";
        QTest::newRow("typed: rounded once") << QVariant("1.004951") << "#0.00" << "1.00";
        QTest::newRow("typed: grouped, in parentheses") << QVariant("($1,234.5)") << "$#,##0.00;($#,##0.00)"
                                                        << "($1,234.50)";
        QTest::newRow("typed: not a number") << QVariant("12a") << "$##.00" << "(none)";
    }

    void format()
    {
        QFETCH(QVariant, amount);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        if (amount.metaType() == QMetaType::fromType<Money>())
            QCOMPARE(TextRules::format(amount.value<Money>(), pattern), expected);
        else if (amount.metaType() == QMetaType::fromType<QString>())
            QCOMPARE(TextRules::formatText(amount.toString(), pattern).value_or("(none)"), expected);
        else
            QCOMPARE(TextRules::format(amount.toDouble(), pattern), expected);
    }

    void shortestText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        QTest::newRow("negative") << -3.25 << "-3.25" << "-3.25 ";
        QTest::newRow("minus zero") << -0.0 << "0" << " 0 ";
        QTest::newRow("sum noise") << 0.1 + 0.2 << "0.3" << " 0.3 ";
        QTest::newRow("small") << 0.00001 << "0.00001" << " 0.00001 ";
        QTest::newRow("large") << 1e15 << "1000000000000000" << " 1000000000000000 ";
    }

    void shortestText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(QString, printed);
        QCOMPARE(shortest(value), text);
        QCOMPARE(printerNumber(value), printed);
    }

    void int16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected"); // empty: out of range
        QTest::newRow("2.5") << 2.5 << "2";
        QTest::newRow("3.5") << 3.5 << "4";
        QTest::newRow("max + 0.4") << 32767.4 << "32767";
        QTest::newRow("max + 0.5") << 32767.5 << "";
        QTest::newRow("min - 0.5") << -32768.5 << "-32768";
        QTest::newRow("min - 0.6") << -32768.6 << "";
        QTest::newRow("nan") << std::nan("") << "";
    }

    void int16()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        const std::optional<qint16> result = toInt16(value);
        QCOMPARE(result ? QString::number(*result) : QString(), expected);
    }

    void usDates_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short, blanks") << " 3/7/2005 " << QDate(2005, 3, 7) << "03/07/2005";
        QTest::newRow("leap day") << "02/29/2024" << QDate(2024, 2, 29) << "02/29/2024";
        QTest::newRow("year 100") << "01/01/0100" << QDate(100, 1, 1) << "01/01/0100";
        QTest::newRow("year 99") << "01/01/0099" << QDate() << "";
        QTest::newRow("not leap") << "02/29/2023" << QDate() << "";
        QTest::newRow("mask") << "__/__/____" << QDate() << "";
        QTest::newRow("empty") << "" << QDate() << "";
    }

    void usDates()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QFETCH(QString, shown);
        const std::optional<QDate> parsed = parseUsDate(typed);
        QCOMPARE(parsed.has_value(), date.isValid());
        if (parsed)
            QCOMPARE(*parsed, date);
        QCOMPARE(toUsDate(date), shown);
    }

    // Month and day told apart: a swap would read 2005-03-07 as July 3rd and
    // 2024-12-31 as no date at all.
    void storedDates_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QDate>("date");
        QTest::newRow("month before day") << "2005-03-07" << QDate(2005, 3, 7);
        QTest::newRow("day past twelve") << "2024-12-31" << QDate(2024, 12, 31);
        QTest::newRow("year 100") << "0100-01-01" << QDate(100, 1, 1);
        for (const QString text : {"2023-02-29", "2005-3-7", "2005-03-07x", "2005-13-01", ""})
            QTest::addRow("not a date '%s'", qPrintable(text)) << text << QDate();
    }

    void storedDates()
    {
        QFETCH(QString, stored);
        QFETCH(QDate, date);
        QCOMPARE(fromStoredDate(stored), date);
        QCOMPARE(toStoredDate(date), date.isValid() ? stored : QString());
    }

    void wholeCharacters_data()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, two UTF-16 units
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("kept");
        QTest::newRow("pair across the limit") << "ab" + smile + "c" << 3 << 2;
        QTest::newRow("pair just inside") << "ab" + smile + "c" << 4 << 4;
        QTest::newRow("pair at the start") << smile + "c" << 1 << 0;
        QTest::newRow("plain text") << QString("abcdef") << 3 << 3;
        QTest::newRow("limit past the end") << "a" + smile << 9 << 3;
        QTest::newRow("nothing") << QString("abc") << 0 << 0;
    }

    void wholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(int, kept);
        QCOMPARE(wholeCharacterLength(text, limit), qsizetype(kept));
    }

    void brokenCharactersRemoved()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QChar high = smile.at(0), low = smile.at(1);
        QCOMPARE(withoutBrokenCharacters("a" + smile + "b"), "a" + smile + "b");
        QCOMPARE(withoutBrokenCharacters(QString("a") + high + "b" + low + low + smile + high),
                 "ab" + smile);
    }
};

QTEST_APPLESS_MAIN(tst_TextRules)
#include "tst_textrules.moc"
