// The display formats of the screens: TextRules::format of money and of doubles
// with each screen's pattern gives exactly the text an independent layout of the
// rounded amount gives, and that text reads back (Money::fromText, toNumber) as
// the amount rounded to the pattern's decimals. Also shortest() and toInt16().

#include "FuzzSupport.h"

#include "data/Money.h"
#include "data/TextRules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

using FuzzSupport::printText;

// Each pattern the screens use, with the layout it asks for.
struct Layout
{
    const char16_t *pattern;
    const char16_t *prefix;
    bool grouping;
    int minWholeDigits;
    int decimals;
    bool parentheses;   // negative amounts as "(...)" instead of a leading "-"
};

constexpr Layout Layouts[] = {
    {u"$#0.00", u"$", false, 1, 2, false},
    {u"$##0.00", u"$", false, 1, 2, false},
    {u"$#,##0.00", u"$", true, 1, 2, false},
    {u"$#,##0.00;($#,##0.00)", u"$", true, 1, 2, true},
    {u"#0.00", u"", false, 1, 2, false},
    {u"#0", u"", false, 1, 0, false},
    {u"$##.00", u"$", false, 0, 2, false},
    {u"#0.0000", u"", false, 1, 4, false},
};

// The text of a rounded magnitude: `whole` without leading zeros, `fraction`
// with exactly the layout's decimals.
QString layOut(const Layout &layout, bool negative, const QString &whole, const QString &fraction)
{
    const bool zero = whole.isEmpty() && fraction.count(u'0') == fraction.size();
    QString digits = whole.rightJustified(layout.minWholeDigits, u'0');
    if (layout.grouping) {
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, u',');
    }
    QString body = QString::fromUtf16(layout.prefix) + digits;
    if (layout.decimals > 0)
        body += u'.' + fraction;
    if (!negative || zero)
        return body;
    return layout.parentheses ? u'(' + body + u')' : u'-' + body;
}

qint64 powerOfTen(int exponent)
{
    qint64 p = 1;
    while (exponent-- > 0)
        p *= 10;
    return p;
}

void checkMoney(qint64 units)
{
    const Money money = Money::fromUnits(units);
    for (const Layout &layout : Layouts) {
        const QString pattern = QString::fromUtf16(layout.pattern);
        // The amount rounded to the pattern's decimals, halves away from zero.
        const qint64 step = powerOfTen(4 - layout.decimals);
        const __int128 rest = units % step;
        __int128 rounded = __int128(units) - rest;
        if (rest * 2 >= step)
            rounded += step;
        else if (rest * 2 <= -step)
            rounded -= step;
        const bool negative = rounded < 0;
        const quint64 magnitude = quint64(negative ? -rounded : rounded);
        const quint64 wholeDollars = magnitude / Money::UnitsPerDollar;
        const QString whole = wholeDollars == 0 ? QString() : QString::number(wholeDollars);
        const QString fraction = QString::number((magnitude % Money::UnitsPerDollar) / quint64(step))
                                     .rightJustified(layout.decimals, u'0');
        const QString expected = layOut(layout, negative, whole, fraction);

        const QString text = TextRules::format(money, pattern);
        const auto report = [&] {
            std::fprintf(stderr, "  units: %lld\n", static_cast<long long>(units));
            printText("pattern", pattern);
            printText("formatted", text);
            printText("expected", expected);
        };
        FUZZ_CHECK(text == expected, report());

        const std::optional<Money> back = Money::fromText(text);
        const bool fits = rounded >= std::numeric_limits<qint64>::min()
                          && rounded <= std::numeric_limits<qint64>::max();
        FUZZ_CHECK(back.has_value() == fits, report());
        FUZZ_CHECK(!back || back->units() == qint64(rounded), report());
    }
}

// The shortest significant digits that read back as `magnitude` (from the standard
// library), written out in full with zeros: 2^63 gives 9223372036854776000.
void shortestDigits(double magnitude, QString &whole, QString &fraction)
{
    char buffer[64];
    const std::to_chars_result end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                                   std::chars_format::scientific);
    FUZZ_CHECK(end.ec == std::errc(), std::fprintf(stderr, "  value: %.17g\n", magnitude));
    const QString text = QString::fromLatin1(buffer, end.ptr - buffer);
    const qsizetype e = text.indexOf(u'e');
    QString digits = text.left(e);
    digits.remove(u'.');
    const int exponent = text.mid(e + 1).toInt();
    if (exponent < 0) {
        whole.clear();
        fraction = QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() <= exponent + 1) {
        whole = digits + QString(exponent + 1 - digits.size(), u'0');
        fraction.clear();
    } else {
        whole = digits.left(exponent + 1);
        fraction = digits.mid(exponent + 1);
    }
    if (whole == u"0")
        whole.clear();
}

// Rounds decimal digits halves away from zero, growing the whole part on a carry.
void roundDigits(QString &whole, QString &fraction, int decimals)
{
    const bool up = fraction.size() > decimals && fraction[decimals] >= u'5';
    fraction = fraction.left(decimals).leftJustified(decimals, u'0');
    QString all = whole + fraction;
    if (up) {
        qsizetype i = all.size() - 1;
        for (; i >= 0 && all[i] == u'9'; --i)
            all[i] = u'0';
        if (i >= 0)
            all[i] = QChar(all[i].unicode() + 1);
        else
            all.prepend(u'1');
    }
    whole = all.left(all.size() - decimals);
    fraction = all.right(decimals);
}

void checkDouble(double value)
{
    if (!std::isfinite(value)) {
        for (const Layout &layout : Layouts)
            (void)TextRules::format(value, QString::fromUtf16(layout.pattern));
        return;
    }
    for (const Layout &layout : Layouts) {
        const QString pattern = QString::fromUtf16(layout.pattern);
        QString whole;
        QString fraction;
        shortestDigits(std::fabs(value), whole, fraction);
        roundDigits(whole, fraction, layout.decimals);
        const QString expected = layOut(layout, value < 0, whole, fraction);

        const QString text = TextRules::format(value, pattern);
        const auto report = [&] {
            std::fprintf(stderr, "  value: %.17g\n", value);
            printText("pattern", pattern);
            printText("formatted", text);
            printText("expected", expected);
        };
        FUZZ_CHECK(text == expected, report());

        // Read back, the text is the value to within half the last shown digit.
        const std::optional<double> back = TextRules::toNumber(text);
        FUZZ_CHECK(back.has_value(), report());
        const double tolerance = 0.5 * std::pow(10.0, -layout.decimals) * (1 + 1e-9)
                                 + std::fabs(value) * 4e-16;
        FUZZ_CHECK(std::fabs(*back - value) <= tolerance, report());
    }
}

void checkShortest(double value)
{
    const QString text = TextRules::shortest(value);
    if (!std::isfinite(value))
        return;
    const auto report = [&] {
        std::fprintf(stderr, "  value: %.17g\n", value);
        printText("shortest", text);
    };
    bool ok = false;
    const double back = QLocale::c().toDouble(text, &ok);
    // Fifteen digits of the very largest doubles round past the largest one:
    // 1.79769313486232e+308 does not read back. Nothing the screens show comes near.
    if (!ok && std::fabs(value) > 1.79769313486231e308)
        return;
    FUZZ_CHECK(ok, report());
    // Fifteen significant digits: read back and written again, the text is the same.
    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 1e-14, report());
    FUZZ_CHECK(TextRules::shortest(back) == text, report());
    if (!text.contains(u'e'))
        FUZZ_CHECK(TextRules::toNumber(text).has_value(), report());
}

void checkInt16(double value)
{
    const std::optional<qint16> whole = TextRules::toInt16(value);
    const auto report = [&] { std::fprintf(stderr, "  value: %.17g -> %d\n", value, whole ? *whole : -99999); };
    // Halves go to even, so 32767.5 leaves the range and -32768.5 does not.
    FUZZ_CHECK(whole.has_value() == (value >= -32768.5 && value < 32767.5), report());
    if (whole) {
        const double distance = std::fabs(value - *whole);
        FUZZ_CHECK(distance <= 0.5, report());
        FUZZ_CHECK(distance < 0.5 || *whole % 2 == 0, report());
    }
}

void checkValue(double value)
{
    checkDouble(value);
    checkShortest(value);
    checkInt16(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        checkMoney(input.ConsumeIntegral<qint64>());
        break;
    case 1: {
        // Any double, from its bits: infinities and NaNs included.
        const quint64 bits = input.ConsumeIntegral<quint64>();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        checkValue(any);
        break;
    }
    default: {
        // An amount as typed: whole units with a few decimals, often near a half.
        const qint64 count = input.ConsumeIntegral<qint64>();
        const int decimals = input.ConsumeIntegralInRange(0, 8);
        checkValue(double(count) / double(powerOfTen(decimals)));
        break;
    }
    }
    return 0;
}
