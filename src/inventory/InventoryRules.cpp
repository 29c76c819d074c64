#include "inventory/InventoryRules.h"

#include "data/TextRules.h"

#include <QLocale>
#include <cmath>

namespace InventoryRules {
namespace {

Check productCheck(const Input &in) { return {"txtProduct", in.product.isEmpty(), "You must enter a product"}; }
Check costCheck(const Input &in) { return {"medcost", !TextRules::isNumeric(in.cost), "You must enter a valid cost"}; }
Check costRangeCheck(const Input &in)
{
    const std::optional<Money> cost = storedCost(in.cost);
    const bool outside = TextRules::isNumeric(in.cost) && (!cost || *cost > MaxCost || *cost < -MaxCost);
    return {"medcost", outside, "The cost must be from -$999,999,999.99 to $999,999,999.99."};
}
Check qtyCheck(const Input &in) { return {"txtQty", !storedQty(in.qty).has_value(), "You must enter a quanity"}; }

} // namespace

QList<Check> addChecks(const Input &in)
{
    return {productCheck(in), costCheck(in), costRangeCheck(in), qtyCheck(in)};
}

QList<Check> updateChecks(const Input &in)
{
    return {costCheck(in), costRangeCheck(in), productCheck(in), qtyCheck(in)};
}

QString storedRefNum(const QString &typed)
{
    return typed.isEmpty() ? QStringLiteral("99999") : typed;
}

std::optional<Money> storedCost(const QString &typed)
{
    return Money::fromText(typed);
}

std::optional<qint64> storedQty(const QString &typed)
{
    const auto value = TextRules::toNumber(typed);
    if (!value)
        return std::nullopt;
    const auto whole = TextRules::toInt16(*value);
    if (!whole)
        return std::nullopt;
    return *whole;
}

QString listLine(qint64 qty, const QString &product, const QString &refNum, Money cost)
{
    return TextRules::printerNumber(double(qty)) + " " + product + " " + refNum + " "
           + TextRules::printerNumber(cost.toDouble());
}

QStringList listLines(RecordSet &rs, const QDate &today)
{
    QStringList lines{QLocale::system().toString(today, QLocale::ShortFormat), " ", " "};
    for (; !rs.eof(); rs.moveNext()) {
        lines << listLine(rs.integer("qty"), rs.text("product"), rs.text("product_refnum"), rs.money("cost"))
              << " ";
    }
    return lines;
}

} // namespace InventoryRules
