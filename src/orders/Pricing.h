#pragma once

#include "data/Money.h"

#include <QtGlobal>
#include <optional>
#include <vector>

// An order's money figures as pure functions of its lines, the rates, the
// out-of-town flag and the amounts typed on the form. Every rounding is named
// where it happens; nothing here reads a widget or the database.
namespace Pricing {

// The business rates as fractions (7.25 % is 0.0725).
struct Rates
{
    double tax = 0;
    double shipping = 0;
    double shippingOutOfTown = 0;
};

// One item line as the order form holds it: quantity and unit price read from
// its boxes as numbers.
struct Line
{
    double quantity = 0;
    double price = 0;
};

struct Totals
{
    // Per line: price x quantity for a counted line; nothing for a line whose
    // quantity is not above 0 (its total box keeps what it showed).
    std::vector<std::optional<double>> lineTotals;
    qint16 totalItems = 0;
    Money subtotal;   // four decimals; shown "$#0.00"
    Money tax;        // from the subtotal as shown (cents), four decimals
    Money shipping;   // likewise, at the out-of-town rate when that applies
    Money total;      // four-decimal subtotal + tax + shipping + fees - discounts
};

// The order forms' totals (new-order form, and the update form throughout).
// Nothing when a figure cannot be computed: a quantity or price that is not a
// finite number, an item count beyond 32767, an amount beyond Money's range.
std::optional<Totals> calcTotals(const std::vector<Line> &lines, const Rates &rates, bool outOfTown,
                                 Money addCosts, Money discounts);

// One stored line as the order view reads it: stored quantity, current cost.
struct StoredLine
{
    qint64 quantity = 0;
    Money cost;
};

struct ViewTotals
{
    qint16 totalItems = 0;
    Money subtotal;   // goods + fees - discounts, four decimals; shown "$#0.00"
    Money tax;        // from the subtotal as shown (cents)
    Money shipping;   // from the unrounded subtotal
    Money total;      // subtotal + tax + shipping, rounded only when shown
};

// The order view's totals, computed afresh from today's costs and rates.
std::optional<ViewTotals> viewTotals(const std::vector<StoredLine> &lines, const Rates &rates, bool outOfTown,
                                     Money addCosts, Money discounts);

} // namespace Pricing
