// Reading numbers and money from typed text: TextRules::plainNumber, toNumber,
// isNumeric, toWholeNumber and Money::fromText agree with one another, the plain
// form reads back as itself, and an amount read as money formats back to a text
// that reads as the same amount.

#include "FuzzSupport.h"

#include "data/Money.h"
#include "data/TextRules.h"

#include <QRegularExpression>

#include <cmath>

namespace {

using FuzzSupport::printText;

void checkPlain(const QString &text, const QString &plain)
{
    // Sign, digits without leading zeros, a point only before a last digit that is not 0.
    static const QRegularExpression canonical(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?$"));
    FUZZ_CHECK(canonical.match(plain).hasMatch() && plain != u"-0",
               (printText("text", text), printText("plain", plain)));
    FUZZ_CHECK(TextRules::plainNumber(plain) == plain, (printText("text", text), printText("plain", plain)));
    FUZZ_CHECK(TextRules::toNumber(plain) == TextRules::toNumber(text),
               (printText("text", text), printText("plain", plain)));
    FUZZ_CHECK(Money::fromText(plain) == Money::fromText(text),
               (printText("text", text), printText("plain", plain)));
}

// The amount read as money is the plain number cut to four decimals, or one unit
// further from zero when the cut digits round it up; and it formats back exactly.
void checkMoney(const QString &text, const QString &plain, Money money, std::optional<double> number)
{
    const auto report = [&] {
        printText("text", text);
        printText("plain", plain);
        std::fprintf(stderr, "  money units: %lld\n", static_cast<long long>(money.units()));
    };
    FUZZ_CHECK(number.has_value(), report());

    const qsizetype point = plain.indexOf(u'.');
    const QString cut = point < 0 ? plain : plain.left(point + 5);
    const std::optional<Money> truncated = Money::fromText(cut);
    // Cutting digits never makes the amount larger, so the cut one fits too.
    FUZZ_CHECK(truncated.has_value(), report());
    const qint64 away = plain.startsWith(u'-') ? -1 : 1;
    FUZZ_CHECK(money == *truncated || money.units() == truncated->units() + away, report());
    if (cut == plain)
        FUZZ_CHECK(money == *truncated, report());

    const QString four = TextRules::format(money, QStringLiteral("#0.0000"));
    FUZZ_CHECK(Money::fromText(four) == money, (report(), printText("formatted", four)));
    if (cut == plain)
        FUZZ_CHECK(TextRules::plainNumber(four) == plain, (report(), printText("formatted", four)));

    // As doubles both are within rounding of each other.
    const double tolerance = 0.00005 * (1 + 1e-9) + std::fabs(*number) * 4e-16;
    FUZZ_CHECK(std::fabs(money.toDouble() - *number) <= tolerance,
               (report(), std::fprintf(stderr, "  number: %.17g\n", *number)));
}

void checkWhole(const QString &text, std::optional<QString> plain, std::optional<double> number)
{
    const std::optional<qint64> whole = TextRules::toWholeNumber(text);
    const auto report = [&] {
        printText("text", text);
        if (whole)
            std::fprintf(stderr, "  whole: %lld\n", static_cast<long long>(*whole));
    };
    if (whole) {
        const QString written = QString::number(*whole);
        FUZZ_CHECK(plain == written, report());
        FUZZ_CHECK(number == double(*whole), report());
        FUZZ_CHECK(TextRules::toWholeNumber(written) == whole, report());
        return;
    }
    // Sign and digits in the 64-bit range always read as a whole number.
    static const QRegularExpression signedDigits(QStringLiteral("^[+-]?[0-9]+$"));
    if (signedDigits.match(text.trimmed()).hasMatch() && plain) {
        bool fits = false;
        plain->toLongLong(&fits);
        FUZZ_CHECK(!fits, report());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzSupport::utf8Text(data, size);
    const std::optional<QString> plain = TextRules::plainNumber(text);
    const std::optional<double> number = TextRules::toNumber(text);
    const std::optional<Money> money = Money::fromText(text);

    FUZZ_CHECK(TextRules::isNumeric(text) == number.has_value(), printText("text", text));
    FUZZ_CHECK(!number || std::isfinite(*number), printText("text", text));
    if (!plain) {
        FUZZ_CHECK(!number && !money, printText("text", text));
    } else {
        checkPlain(text, *plain);
        if (money)
            checkMoney(text, *plain, *money, number);
    }
    checkWhole(text, plain, number);
    return 0;
}
