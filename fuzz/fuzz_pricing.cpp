// Order pricing: Pricing::calcTotals and Pricing::viewTotals give nothing or
// finite figures; every figure they give equals the same sum done without any
// overflow (so no total ever changes sign by wrapping round), tax and shipping
// carry the sign of their base times the rate, and ordinary orders always get
// their figures.

#include "FuzzSupport.h"

#include "orders/Pricing.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using Wide = __int128;

constexpr Wide Lowest = std::numeric_limits<qint64>::min();
constexpr Wide Highest = std::numeric_limits<qint64>::max();

int sign(Wide v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

int sign(double v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

// A figure taken from `base` at `rate` has the sign of base x rate (or is zero).
bool signFollows(Money figure, Money base, double rate)
{
    return figure.units() == 0 || sign(Wide(figure.units())) == sign(Wide(base.units())) * sign(rate);
}

double anyDouble(FuzzedDataProvider &input)
{
    const quint64 bits = input.ConsumeIntegral<quint64>();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Mostly what a form holds (a few decimals, moderate size), sometimes any double.
double typedNumber(FuzzedDataProvider &input, qint64 limit)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return anyDouble(input);
    case 1:
        return double(input.ConsumeIntegral<qint64>()) / 10000.0;
    default:
        return double(input.ConsumeIntegralInRange<qint64>(-limit, limit)) / 100.0;
    }
}

double rate(FuzzedDataProvider &input)
{
    // A percentage with up to four decimals, as the defaults screen stores it, or any double.
    return input.ConsumeBool() ? anyDouble(input) : double(input.ConsumeIntegralInRange(0, 1000000)) / 1000000.0;
}

Money amount(FuzzedDataProvider &input)
{
    return Money::fromUnits(input.ConsumeBool() ? input.ConsumeIntegral<qint64>()
                                                : input.ConsumeIntegralInRange<qint64>(-1'000'000'000, 1'000'000'000));
}

bool moderateRate(double r)
{
    return r >= 0 && r <= 1;
}

bool moderateAmount(Money m)
{
    return m.units() >= -1'000'000'000'000'000 && m.units() <= 1'000'000'000'000'000;
}

void reportRates(const Pricing::Rates &rates, bool outOfTown, Money addCosts, Money discounts)
{
    std::fprintf(stderr, "  rates: tax %.17g shipping %.17g out of town %.17g (out of town: %d)\n", rates.tax,
                 rates.shipping, rates.shippingOutOfTown, outOfTown ? 1 : 0);
    std::fprintf(stderr, "  fees %lld discounts %lld\n", static_cast<long long>(addCosts.units()),
                 static_cast<long long>(discounts.units()));
}

void checkForm(FuzzedDataProvider &input)
{
    std::vector<Pricing::Line> lines(input.ConsumeIntegralInRange(0, 40));
    for (Pricing::Line &line : lines) {
        line.quantity = typedNumber(input, 100000);
        line.price = typedNumber(input, 100000000);
    }
    Pricing::Rates rates{rate(input), rate(input), rate(input)};
    const bool outOfTown = input.ConsumeBool();
    const Money addCosts = amount(input);
    const Money discounts = amount(input);
    const std::optional<Pricing::Totals> t = Pricing::calcTotals(lines, rates, outOfTown, addCosts, discounts);

    const auto report = [&] {
        for (const Pricing::Line &line : lines)
            std::fprintf(stderr, "  line: quantity %.17g price %.17g\n", line.quantity, line.price);
        reportRates(rates, outOfTown, addCosts, discounts);
        if (t)
            std::fprintf(stderr, "  items %d subtotal %lld tax %lld shipping %lld total %lld\n", t->totalItems,
                         static_cast<long long>(t->subtotal.units()), static_cast<long long>(t->tax.units()),
                         static_cast<long long>(t->shipping.units()), static_cast<long long>(t->total.units()));
        else
            std::fprintf(stderr, "  no totals\n");
    };

    // An ordinary order always gets its figures.
    bool ordinary = moderateRate(rates.tax) && moderateRate(rates.shipping) && moderateRate(rates.shippingOutOfTown)
                    && moderateAmount(addCosts) && moderateAmount(discounts);
    double counted = 0;
    for (const Pricing::Line &line : lines) {
        ordinary = ordinary && std::isfinite(line.quantity) && std::isfinite(line.price)
                   && std::fabs(line.price) <= 1e9;
        if (line.quantity > 0)
            counted += line.quantity + 0.5;
    }
    ordinary = ordinary && counted <= 32767;
    FUZZ_CHECK(t.has_value() || !ordinary, report());
    if (!t)
        return;

    FUZZ_CHECK(t->lineTotals.size() == lines.size(), report());
    Wide subtotal = 0;
    bool wholeQuantities = true;
    Wide items = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<double> &lineTotal = t->lineTotals[i];
        FUZZ_CHECK(lineTotal.has_value() == (lines[i].quantity > 0), report());
        if (!lineTotal)
            continue;
        FUZZ_CHECK(std::isfinite(*lineTotal), report());
        const std::optional<Money> amount = Money::fromDoubleHalfEven(*lineTotal);
        FUZZ_CHECK(amount.has_value(), report());
        subtotal += amount->units();
        wholeQuantities = wholeQuantities && lines[i].quantity == std::floor(lines[i].quantity);
        items += Wide(lines[i].quantity);
    }
    FUZZ_CHECK(Wide(t->subtotal.units()) == subtotal, report());
    if (wholeQuantities)
        FUZZ_CHECK(Wide(t->totalItems) == items, report());
    FUZZ_CHECK(t->totalItems >= 0, report());

    const Money shown = t->subtotal.roundedToCents();
    FUZZ_CHECK(signFollows(t->tax, shown, rates.tax), report());
    FUZZ_CHECK(signFollows(t->shipping, shown, outOfTown ? rates.shippingOutOfTown : rates.shipping), report());
    const Wide total = subtotal + t->tax.units() + t->shipping.units() + addCosts.units() - discounts.units();
    FUZZ_CHECK(total >= Lowest && total <= Highest && Wide(t->total.units()) == total, report());
}

void checkView(FuzzedDataProvider &input)
{
    std::vector<Pricing::StoredLine> lines(input.ConsumeIntegralInRange(0, 40));
    for (Pricing::StoredLine &line : lines) {
        line.quantity = input.ConsumeBool() ? input.ConsumeIntegral<qint64>() : input.ConsumeIntegralInRange(-100, 1000);
        line.cost = amount(input);
    }
    Pricing::Rates rates{rate(input), rate(input), rate(input)};
    const bool outOfTown = input.ConsumeBool();
    const Money addCosts = amount(input);
    const Money discounts = amount(input);
    const std::optional<Pricing::ViewTotals> t = Pricing::viewTotals(lines, rates, outOfTown, addCosts, discounts);

    const auto report = [&] {
        for (const Pricing::StoredLine &line : lines)
            std::fprintf(stderr, "  stored line: quantity %lld cost %lld\n", static_cast<long long>(line.quantity),
                         static_cast<long long>(line.cost.units()));
        reportRates(rates, outOfTown, addCosts, discounts);
        if (t)
            std::fprintf(stderr, "  items %d subtotal %lld tax %lld shipping %lld total %lld\n", t->totalItems,
                         static_cast<long long>(t->subtotal.units()), static_cast<long long>(t->tax.units()),
                         static_cast<long long>(t->shipping.units()), static_cast<long long>(t->total.units()));
        else
            std::fprintf(stderr, "  no totals\n");
    };

    Wide goods = 0;
    Wide items = 0;
    bool ordinary = moderateRate(rates.tax) && moderateRate(rates.shipping) && moderateRate(rates.shippingOutOfTown)
                    && moderateAmount(addCosts) && moderateAmount(discounts);
    bool huge = false;   // beyond even the wide sum: no figures can be given
    for (const Pricing::StoredLine &line : lines) {
        huge = huge || __builtin_add_overflow(goods, Wide(line.cost.units()) * line.quantity, &goods);
        items += line.quantity;
        ordinary = ordinary && line.quantity >= -100 && line.quantity <= 1000 && moderateAmount(line.cost)
                   && std::abs(line.cost.units()) <= 1'000'000'000'000;
    }
    ordinary = ordinary && items >= -32768 && items <= 32767;
    FUZZ_CHECK(t.has_value() || !ordinary, report());
    FUZZ_CHECK(!t || !huge, report());
    if (!t)
        return;

    FUZZ_CHECK(Wide(t->totalItems) == items, report());
    const Wide subtotal = goods + addCosts.units() - discounts.units();
    FUZZ_CHECK(Wide(t->subtotal.units()) == subtotal, report());
    FUZZ_CHECK(signFollows(t->tax, t->subtotal.roundedToCents(), rates.tax), report());
    FUZZ_CHECK(signFollows(t->shipping, t->subtotal, outOfTown ? rates.shippingOutOfTown : rates.shipping), report());
    const Wide total = subtotal + t->tax.units() + t->shipping.units();
    FUZZ_CHECK(total >= Lowest && total <= Highest && Wide(t->total.units()) == total, report());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        checkForm(input);
    else
        checkView(input);
    return 0;
}
