#pragma once

#include <QDate>
#include <QStringList>
#include <optional>

// The period the bookkeeping screen shows, built from its month and year lists.
namespace Bookkeeping {

// The year lists start here unless the data holds an earlier year.
inline constexpr int FirstListedYear = 2001;

// "01" to "12".
QStringList monthItems();
// From 2001 (or `earliestInData`, when earlier) to `currentYear`, ascending.
QStringList yearItems(std::optional<int> earliestInData, int currentYear);

// The first day of the month picked in a month list and a year list
// ("02", "2004" -> 02/01/2004); nothing for a text that is no month or year.
std::optional<QDate> monthStart(const QString &month, const QString &year);
// The last day of that month, leap years counted ("02", "2004" -> 02/29/2004).
std::optional<QDate> monthEnd(const QString &month, const QString &year);

// Every closed order and every expense, or those dated from `start` to `end`,
// both days included. A start after the end is an empty period.
struct Period
{
    bool all = true;
    QDate start;
    QDate end;

    static Period everything() { return {}; }
    static Period between(const QDate &start, const QDate &end) { return {false, start, end}; }
    friend bool operator==(const Period &, const Period &) = default;
};

// 01/01 of today's year to the last day of today's month.
Period yearToDate(const QDate &today);

} // namespace Bookkeeping
