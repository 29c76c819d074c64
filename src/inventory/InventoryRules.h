#pragma once

#include "data/Checks.h"
#include "data/Money.h"
#include "data/RecordSet.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>
#include <optional>

namespace InventoryRules {

// What a product form holds, as typed.
struct Input
{
    QString product, prodNum, cost, qty;
};

// The product checks in the add form's order (product, cost, quantity) or the
// update form's (cost, product, quantity). The cost and quantity must read as
// numbers, the cost within MaxCost either way.
QList<Check> addChecks(const Input &input);
QList<Check> updateChecks(const Input &input);

// The largest cost either way: more than the box's nine typed characters can
// reach, and small enough that order lines and totals computed from it stay exact.
inline constexpr Money MaxCost = Money::fromUnits(9'999'999'999'900); // $999,999,999.99

// The cost box is reset to this before its message is shown.
inline const QString ResetCost = QStringLiteral("$0.00");

// The stored product number: "99999" for an empty box.
QString storedRefNum(const QString &typed);
// The stored amount and quantity of text that passed the checks (a quantity with
// decimals is rounded halves to even, as the whole-number column stores it).
std::optional<Money> storedCost(const QString &typed);
std::optional<qint64> storedQty(const QString &typed);

// The printed inventory list: the date, two blank lines, then for every row from
// the current one to the end: quantity, name, product number and cost on one
// line (numbers as the printer prints them), then a blank line.
QStringList listLines(RecordSet &rs, const QDate &today);
QString listLine(qint64 qty, const QString &product, const QString &refNum, Money cost);

// One product of the reorder list: its stock is at or below the reminder
// quantity. `wanted` is what open orders ask for; the shortfall is how many
// more are needed to fill them (never below 0).
struct ReorderRow
{
    QString product, refNum;
    qint64 onHand = 0, wanted = 0;
    qint64 shortfall() const { return wanted > onHand ? wanted - onHand : 0; }
};

// The products with a quantity on hand at or below reminderQty, by name, each
// with the sum of its lines on open orders.
Status reorderRows(QSqlDatabase db, qint64 reminderQty, QList<ReorderRow> &rows);

// The printed reorder list: the date, a heading, then one line per product.
QStringList reorderLines(const QList<ReorderRow> &rows, const QDate &today);

} // namespace InventoryRules
