// Dates: a typed "mm/dd/yyyy" and a stored "yyyy-MM-dd" read as a real day or
// not at all, and written back give the text that was read (with one-digit
// month and day padded); every day the date boxes can hold survives both
// round trips, and no round trip ever gives a different day.

#include "FuzzSupport.h"

#include "data/TextRules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QRegularExpression>

namespace {

using FuzzSupport::printText;

void reportDate(const char *label, const QDate &date)
{
    std::fprintf(stderr, "  %s: %s (julian day %lld)\n", label, qPrintable(date.toString(Qt::ISODate)),
                 static_cast<long long>(date.toJulianDay()));
}

void checkTyped(const QString &text)
{
    const std::optional<QDate> date = TextRules::parseUsDate(text);
    if (!date)
        return;
    const auto report = [&] {
        printText("typed", text);
        reportDate("read", *date);
    };
    FUZZ_CHECK(date->isValid() && date->year() >= 100 && date->year() <= 9999, report());
    const QStringList parts = text.trimmed().split(u'/');
    FUZZ_CHECK(parts.size() == 3, report());
    const QString padded = parts[0].rightJustified(2, u'0') + u'/' + parts[1].rightJustified(2, u'0') + u'/'
                           + parts[2];
    FUZZ_CHECK(TextRules::toUsDate(*date) == padded, (report(), printText("written", TextRules::toUsDate(*date))));
    FUZZ_CHECK(TextRules::fromStoredDate(TextRules::toStoredDate(*date)) == *date, report());
}

void checkStored(const QString &text)
{
    const QDate date = TextRules::fromStoredDate(text);
    if (date.isNull())
        return;
    const auto report = [&] {
        printText("stored", text);
        reportDate("read", date);
    };
    FUZZ_CHECK(date.isValid(), report());
    FUZZ_CHECK(TextRules::toStoredDate(date) == text.trimmed(), report());
}

// Any day: stored and typed forms read back as the same day, or (outside what a
// date box can hold) as nothing, never as another day.
void checkDay(const QDate &date)
{
    const QString stored = TextRules::toStoredDate(date);
    const QString typed = TextRules::toUsDate(date);
    const auto report = [&] {
        reportDate("day", date);
        printText("stored", stored);
        printText("typed", typed);
    };
    FUZZ_CHECK(stored.isEmpty() == !date.isValid() && typed.isEmpty() == !date.isValid(), report());
    if (!date.isValid())
        return;

    const QDate fromStored = TextRules::fromStoredDate(stored);
    const std::optional<QDate> fromTyped = TextRules::parseUsDate(typed);
    FUZZ_CHECK(fromStored.isNull() || fromStored == date, report());
    FUZZ_CHECK(!fromTyped || *fromTyped == date, report());
    if (date.year() >= 1 && date.year() <= 9999) {
        static const QRegularExpression storedShape(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        FUZZ_CHECK(storedShape.match(stored).hasMatch(), report());
        FUZZ_CHECK(fromStored == date, report());
    }
    if (date.year() >= 100 && date.year() <= 9999)
        FUZZ_CHECK(fromTyped == date, report());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // Any day of the years -20000 to 20000.
    const qint64 first = QDate(-20000, 1, 1).toJulianDay();
    const qint64 last = QDate(20000, 12, 31).toJulianDay();
    checkDay(QDate::fromJulianDay(input.ConsumeIntegralInRange(first, last)));

    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(rest.data(), qsizetype(rest.size()));
    checkTyped(text);
    checkStored(text);
    return 0;
}
