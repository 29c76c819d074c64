#include "orders/Pricing.h"

#include "data/TextRules.h"

#include <cmath>

namespace Pricing {
namespace {

double shippingRate(const Rates &rates, bool outOfTown)
{
    // The out-of-town rate replaces the ordinary one; they are never added.
    return outOfTown ? rates.shippingOutOfTown : rates.shipping;
}

// Adds the amounts in the order given; nothing at the first overflow.
std::optional<Money> sum(std::initializer_list<Money> amounts)
{
    Money total;
    for (Money amount : amounts) {
        const std::optional<Money> next = total.checkedPlus(amount);
        if (!next)
            return std::nullopt;
        total = *next;
    }
    return total;
}

} // namespace

std::optional<Totals> calcTotals(const std::vector<Line> &lines, const Rates &rates, bool outOfTown,
                                 Money addCosts, Money discounts)
{
    Totals t;
    t.lineTotals.reserve(lines.size());
    for (const Line &line : lines) {
        if (std::isnan(line.quantity))
            return std::nullopt;
        if (!(line.quantity > 0)) {
            t.lineTotals.push_back(std::nullopt);
            continue;
        }
        // The count is rounded after each addition: 1.5 + 1.5 counts 4.
        const std::optional<qint16> items = TextRules::toInt16(line.quantity + t.totalItems);
        const double lineTotal = line.price * line.quantity;
        if (!items || !std::isfinite(lineTotal))
            return std::nullopt;
        const std::optional<Money> amount = Money::fromDoubleHalfEven(lineTotal);
        const std::optional<Money> subtotal = amount ? t.subtotal.checkedPlus(*amount) : std::nullopt;
        if (!subtotal)
            return std::nullopt;
        t.totalItems = *items;
        t.subtotal = *subtotal;
        t.lineTotals.push_back(lineTotal);
    }

    // Tax and shipping are taken from the subtotal as shown, in cents.
    const Money shown = t.subtotal.roundedToCents();
    const std::optional<Money> tax = shown.timesRate(rates.tax);
    const std::optional<Money> shipping = shown.timesRate(shippingRate(rates, outOfTown));
    if (!tax || !shipping)
        return std::nullopt;
    t.tax = *tax;
    t.shipping = *shipping;

    // The total adds the four-decimal figures, not the shown ones.
    const std::optional<Money> beforeDiscounts = sum({t.subtotal, t.tax, t.shipping, addCosts});
    const std::optional<Money> total = beforeDiscounts ? beforeDiscounts->checkedMinus(discounts)
                                                       : std::nullopt;
    if (!total)
        return std::nullopt;
    t.total = *total;
    return t;
}

std::optional<ViewTotals> viewTotals(const std::vector<StoredLine> &lines, const Rates &rates, bool outOfTown,
                                     Money addCosts, Money discounts)
{
    qint64 items = 0;
    Money goods;
    for (const StoredLine &line : lines) {
        const std::optional<Money> lineAmount = line.cost.checkedTimes(line.quantity);
        const std::optional<Money> next = lineAmount ? goods.checkedPlus(*lineAmount) : std::nullopt;
        if (!next || qAddOverflow(items, line.quantity, &items))
            return std::nullopt;
        goods = *next;
    }
    if (items < -32768 || items > 32767)
        return std::nullopt;

    ViewTotals t;
    t.totalItems = qint16(items);
    const std::optional<Money> withFees = goods.checkedPlus(addCosts);
    const std::optional<Money> subtotal = withFees ? withFees->checkedMinus(discounts) : std::nullopt;
    if (!subtotal)
        return std::nullopt;
    t.subtotal = *subtotal;

    // Tax from the subtotal as shown (cents), shipping from the unrounded one.
    const std::optional<Money> tax = t.subtotal.roundedToCents().timesRate(rates.tax);
    const std::optional<Money> shipping = t.subtotal.timesRate(shippingRate(rates, outOfTown));
    const std::optional<Money> total = tax && shipping ? sum({t.subtotal, *tax, *shipping}) : std::nullopt;
    if (!total)
        return std::nullopt;
    t.tax = *tax;
    t.shipping = *shipping;
    t.total = *total;
    return t;
}

} // namespace Pricing
