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
