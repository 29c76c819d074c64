#include "orders/OrderEntry.h"

#include "data/TextRules.h"

#include <cmath>
#include <limits>

namespace OrderEntry {
namespace {

// A stored quantity: a whole number from 1 to the largest item count.
std::optional<qint64> storedQuantity(const QString &text)
{
    const std::optional<double> q = TextRules::toNumber(text);
    if (!q || !std::isfinite(*q) || *q < 1 || *q > std::numeric_limits<qint16>::max() || std::floor(*q) != *q)
        return std::nullopt;
    return qint64(*q);
}

std::optional<int> wholeNumber(const QString &text)
{
    const std::optional<qint64> n = TextRules::toWholeNumber(text);
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*n);
}

} // namespace

std::vector<Problem> checkOrder(const std::vector<LineEntry> &lines, const QString &custNum,
                                const QString &title)
{
    std::vector<Problem> problems;
    // Only the first repeated pair is reported; the checks below still run.
    bool repeated = false;
    for (size_t i = 0; i < lines.size() && !repeated; ++i) {
        for (size_t j = i + 1; j < lines.size() && !repeated; ++j) {
            if (lines[i].product == lines[j].product) {
                problems.push_back({QStringLiteral("You have the same product listed twice.  Remove one of the entries."),
                                    lines[i].product});
                repeated = true;
            }
        }
    }
    // Only line 0 is examined for a product and a quantity.
    const LineEntry first = lines.empty() ? LineEntry{} : lines.front();
    const std::optional<double> quantity = TextRules::toNumber(first.quantity);
    if (custNum.isEmpty())
        problems.push_back({QStringLiteral("You must enter a customer"), title});
    else if (first.productNum.isEmpty())
        problems.push_back({QStringLiteral("You must enter a product"), title});
    else if (first.quantity.isEmpty() || (quantity && *quantity == 0))
        problems.push_back({QStringLiteral("You must enter a quanity"), title});
    return problems;
}

QuantityCheck checkQuantity(const QString &quantity)
{
    if (quantity == QLatin1String("0"))
        return QuantityCheck::Zero;
    if (!TextRules::isNumeric(quantity))
        return QuantityCheck::NotNumeric;
    return QuantityCheck::Accepted;
}

UpdateTotalsStep updateTotals(const QString &quantity)
{
    const QString q = quantity.isEmpty() ? QStringLiteral("0") : quantity;
    // Compared as text, character by character: "abc" and "-2" are out, "100" is not.
    if (QString::compare(q, QLatin1String("99")) > 0 || QString::compare(q, QLatin1String("0")) < 0)
        return {QStringLiteral("0"), false};
    return {q, true};
}

std::optional<Money> amount(const QString &boxText)
{
    QString t = boxText;
    t.remove(QLatin1Char('_'));
    t = t.trimmed();
    if (t.isEmpty() || t == QLatin1String("$") || t == QLatin1String("$.") || t == QLatin1String("."))
        return Money();
    return Money::fromText(t);
}

std::optional<QString> maskedAmount(Money value)
{
    constexpr qint64 Cent = Money::UnitsPerDollar / 100;
    if (value.units() < 0 || value.units() >= 100 * Money::UnitsPerDollar || value.units() % Cent != 0)
        return std::nullopt;
    return TextRules::format(value, QStringLiteral("$00.00"));
}

QString plainAmount(Money value)
{
    return TextRules::shortest(value.toDouble());
}

QString updateStatusWord(const QString &code)
{
    if (code == Orders::Open)
        return QStringLiteral("Open");
    if (code == QLatin1String("P"))
        return QStringLiteral("Pending");
    if (code == Orders::Deleted)
        return QStringLiteral("Deleted");
    return code;
}

std::vector<Pricing::Line> pricingLines(const std::vector<LineEntry> &lines)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<Pricing::Line> result;
    result.reserve(lines.size());
    for (const LineEntry &l : lines)
        result.push_back({TextRules::toNumber(l.quantity).value_or(nan), TextRules::toNumber(l.cost).value_or(nan)});
    return result;
}

Built toOrder(const FormEntries &entries)
{
    Built built;
    const std::optional<QDate> date = TextRules::parseUsDate(entries.orderDate);
    if (!date) {
        built.problem = {TextRules::invalidDateMessage(entries.orderDate), entries.problemTitle};
        return built;
    }
    const std::optional<int> custNum = wholeNumber(entries.custNum);
    if (!custNum) {
        built.problem = {QStringLiteral("You must enter a customer"), entries.problemTitle};
        return built;
    }

    Orders::Order order;
    for (const LineEntry &l : entries.lines) {
        const std::optional<int> productNum = wholeNumber(l.productNum);
        if (l.product.isEmpty() || !productNum)
            continue; // a line whose product was never chosen
        const std::optional<qint64> quantity = storedQuantity(l.quantity);
        if (!quantity) {
            built.problem = {QStringLiteral("The quantity of %1 must be a whole number of at least 1.  "
                                            "The order was not saved.").arg(l.product),
                             entries.problemTitle};
            return built;
        }
        order.lines.push_back({*productNum, l.product, *quantity});
    }
    if (order.lines.empty()) {
        built.problem = {QStringLiteral("You must enter a product"), entries.problemTitle};
        return built;
    }

    const std::optional<Money> addCosts = amount(entries.addCosts);
    const std::optional<Money> discounts = amount(entries.discounts);
    const std::optional<Money> subtotal = Money::fromText(entries.subtotal);
    const std::optional<Money> total = Money::fromText(entries.total);
    if (!addCosts || !discounts || !subtotal || !total) {
        built.problem = {QStringLiteral("The order's amounts could not be read.  The order was not saved."),
                         entries.problemTitle};
        return built;
    }

    order.orderNum = entries.orderNum;
    order.custNum = *custNum;
    order.orderDate = *date;
    order.status = entries.status;
    order.type = entries.party ? Orders::Party : Orders::Reorder;
    order.subtotal = *subtotal;
    order.addCosts = *addCosts;
    order.discounts = *discounts;
    order.total = *total;
    order.outOfTown = entries.outOfTown;
    order.comments = entries.comments;
    built.order = std::move(order);
    return built;
}

QString reminderText(const QString &prefix, const Orders::ReorderReminder &reminder)
{
    return prefix + QString::number(reminder.quantity) + QStringLiteral(" left of ") + reminder.product
        + QStringLiteral(". Please restock item.");
}

} // namespace OrderEntry
