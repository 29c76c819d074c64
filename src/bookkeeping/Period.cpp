#include "bookkeeping/Period.h"

#include "data/TextRules.h"

#include <algorithm>

namespace Bookkeeping {
namespace {

std::optional<int> whole(const QString &text, int low, int high)
{
    const std::optional<qint64> n = TextRules::toWholeNumber(text);
    if (!n || *n < low || *n > high)
        return std::nullopt;
    return int(*n);
}

} // namespace

QStringList monthItems()
{
    QStringList items;
    for (int m = 1; m <= 12; ++m)
        items << QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
    return items;
}

QStringList yearItems(std::optional<int> earliestInData, int currentYear)
{
    const int first = std::min(FirstListedYear, earliestInData.value_or(FirstListedYear));
    QStringList items;
    for (int y = first; y <= std::max(first, currentYear); ++y)
        items << QString::number(y);
    return items;
}

std::optional<QDate> monthStart(const QString &month, const QString &year)
{
    const auto m = whole(month, 1, 12);
    const auto y = whole(year, 1, 9999);
    if (!m || !y)
        return std::nullopt;
    return QDate(*y, *m, 1);
}

std::optional<QDate> monthEnd(const QString &month, const QString &year)
{
    const std::optional<QDate> first = monthStart(month, year);
    if (!first)
        return std::nullopt;
    // QDate knows the Gregorian leap years: February 2004 has 29 days, 1900 28.
    return QDate(first->year(), first->month(), first->daysInMonth());
}

Period yearToDate(const QDate &today)
{
    return Period::between(QDate(today.year(), 1, 1),
                           QDate(today.year(), today.month(), today.daysInMonth()));
}

} // namespace Bookkeeping
