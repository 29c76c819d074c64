#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A money amount: a 64-bit count of ten-thousandths of a dollar ($12.50 is 125000).
// Exact in storage and arithmetic; conversions from doubles round to four decimals,
// halves to even.
class Money
{
public:
    static constexpr qint64 UnitsPerDollar = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { return Money(units); }
    static Money fromDouble(double value);
    // Reads a typed amount: "12.5", "$1,234.50", " $0.00 ", "-3", "($12.00)".
    // Digits beyond the fourth decimal are rounded halves to even. Empty or
    // malformed text gives nothing.
    static std::optional<Money> fromText(const QString &text);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / UnitsPerDollar; }

    // Roundings, each named where it is used.

    // A double to four decimals, halves to even (the currency conversion of the
    // order figures). Nothing for NaN, an infinity or a value beyond the range.
    static std::optional<Money> fromDoubleHalfEven(double value);
    // This amount, read as a number, times a rate (7.25 % is 0.0725), converted
    // to four decimals, halves to even. Nothing when the rate is not finite or
    // the result is beyond the range.
    std::optional<Money> timesRate(double rate) const;
    // To whole cents, halves away from zero, as the "$#0.00" display rounds.
    Money roundedToCents() const;

    // Arithmetic that reports an overflow as nothing.
    std::optional<Money> checkedPlus(Money other) const;
    std::optional<Money> checkedMinus(Money other) const;
    std::optional<Money> checkedTimes(qint64 quantity) const;

    friend constexpr Money operator+(Money a, Money b) { return Money(a.m_units + b.m_units); }
    friend constexpr Money operator-(Money a, Money b) { return Money(a.m_units - b.m_units); }
    friend constexpr Money operator-(Money a) { return Money(-a.m_units); }
    // Amount times a whole quantity (a line total).
    friend constexpr Money operator*(Money a, qint64 n) { return Money(a.m_units * n); }
    Money &operator+=(Money o) { m_units += o.m_units; return *this; }
    Money &operator-=(Money o) { m_units -= o.m_units; return *this; }
    friend constexpr auto operator<=>(Money, Money) = default;

private:
    constexpr explicit Money(qint64 units) : m_units(units) {}
    qint64 m_units = 0;
};
