#include "data/Money.h"

#include "data/TextRules.h"

#include <QtNumeric>
#include <cmath>
#include <limits>

namespace {

// Rounds the digits that follow the fourth decimal: true when the kept part goes up.
bool roundsUp(QStringView dropped, bool keptIsOdd)
{
    if (dropped.isEmpty() || dropped[0] < u'5')
        return false;
    if (dropped[0] > u'5')
        return true;
    for (QChar c : dropped.mid(1)) {
        if (c != u'0')
            return true;
    }
    return keptIsOdd;
}

// Appends decimal digits to an unsigned count, failing on overflow.
bool appendDigits(quint64 &value, QStringView digits)
{
    for (QChar c : digits) {
        if (qMulOverflow<quint64>(value, 10, &value)
            || qAddOverflow<quint64>(value, quint64(c.unicode() - u'0'), &value))
            return false;
    }
    return true;
}

} // namespace

// NaN reads as zero; infinities and values beyond the 64-bit range clamp to its ends.
Money Money::fromDouble(double value)
{
    if (std::isnan(value))
        return Money();
    const double scaled = value * UnitsPerDollar;
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (scaled >= limit)
        return Money(std::numeric_limits<qint64>::max());
    if (scaled < -limit)
        return Money(std::numeric_limits<qint64>::min());
    return Money(qint64(std::nearbyint(scaled)));
}

std::optional<Money> Money::fromDoubleHalfEven(double value)
{
    const double scaled = value * UnitsPerDollar;
    if (!std::isfinite(scaled))
        return std::nullopt;
    // The tie rule is spelled out rather than left to the floating-point mode.
    double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (whole >= limit || whole < -limit)
        return std::nullopt;
    return Money(qint64(whole));
}

std::optional<Money> Money::timesRate(double rate) const
{
    return fromDoubleHalfEven(toDouble() * rate);
}

Money Money::roundedToCents() const
{
    constexpr qint64 UnitsPerCent = UnitsPerDollar / 100;
    const qint64 rest = m_units % UnitsPerCent;   // takes the sign of m_units
    // The range ends at ...807 and -...808, so neither step can leave it.
    qint64 cents = m_units - rest;
    if (rest >= UnitsPerCent / 2)
        cents += UnitsPerCent;
    else if (rest <= -UnitsPerCent / 2)
        cents -= UnitsPerCent;
    return Money(cents);
}

std::optional<Money> Money::checkedPlus(Money other) const
{
    qint64 sum = 0;
    if (qAddOverflow(m_units, other.m_units, &sum))
        return std::nullopt;
    return Money(sum);
}

std::optional<Money> Money::checkedMinus(Money other) const
{
    qint64 difference = 0;
    if (qSubOverflow(m_units, other.m_units, &difference))
        return std::nullopt;
    return Money(difference);
}

std::optional<Money> Money::checkedTimes(qint64 quantity) const
{
    qint64 product = 0;
    if (qMulOverflow(m_units, quantity, &product))
        return std::nullopt;
    return Money(product);
}

std::optional<Money> Money::fromText(const QString &text)
{
    const std::optional<QString> plain = TextRules::plainNumber(text);
    if (!plain)
        return std::nullopt;

    QStringView rest(*plain);
    const bool negative = rest.startsWith(u'-');
    if (negative)
        rest = rest.mid(1);
    const qsizetype point = rest.indexOf(u'.');
    const QStringView whole = point < 0 ? rest : rest.left(point);
    QString fraction = point < 0 ? QString() : rest.mid(point + 1).toString();
    const QString dropped = fraction.mid(4);
    fraction = fraction.left(4).leftJustified(4, u'0');

    quint64 magnitude = 0;
    if (!appendDigits(magnitude, whole) || !appendDigits(magnitude, fraction))
        return std::nullopt;
    const bool keptIsOdd = (fraction.back().unicode() - u'0') % 2 == 1;
    if (roundsUp(dropped, keptIsOdd) && qAddOverflow<quint64>(magnitude, 1, &magnitude))
        return std::nullopt;

    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    // Unsigned negation then conversion wraps to the exact negative count, 2^63 included.
    return Money(negative ? qint64(0 - magnitude) : qint64(magnitude));
}
