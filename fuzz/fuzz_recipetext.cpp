// The recipe splitter: RecipeText::split gives four columns that join back to
// exactly the directions, filled in order, none over its 250-character limit,
// each but the last full (one short only to keep a character whole), and never
// a character outside the basic plane cut into its two halves.

#include "FuzzSupport.h"

#include "recipes/RecipeText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

using FuzzSupport::printText;
using RecipeText::ColumnCount;
using RecipeText::ColumnLength;

// Characters as SQLite's length() counts them: a pair of surrogates is one.
qsizetype characters(const QString &text)
{
    return text.toUcs4().size();
}

bool splitsPair(const QString &before, const QString &after)
{
    return !before.isEmpty() && !after.isEmpty() && before.back().isHighSurrogate() && after.front().isLowSurrogate();
}

void check(const QString &directions)
{
    const QStringList columns = RecipeText::split(directions);
    const auto report = [&] {
        printText("directions", directions);
        for (qsizetype i = 0; i < columns.size(); ++i)
            std::fprintf(stderr, "  column %lld: %lld units, %lld characters\n", static_cast<long long>(i + 1),
                         static_cast<long long>(columns[i].size()), static_cast<long long>(characters(columns[i])));
    };
    FUZZ_CHECK(columns.size() == ColumnCount, report());
    FUZZ_CHECK(RecipeText::join(columns) == directions, report());
    // Stored columns are text, never NULL.
    for (const QString &column : columns)
        FUZZ_CHECK(!column.isNull(), report());

    for (int i = 0; i + 1 < ColumnCount; ++i) {
        const QString &column = columns[i];
        const QString &next = columns[i + 1];
        FUZZ_CHECK(characters(column) <= ColumnLength, report());
        FUZZ_CHECK(!column.isEmpty() || next.isEmpty(), report());
        // A column the text goes beyond is full; it gives up one place only so that
        // the next one starts with a whole character.
        if (!next.isEmpty()) {
            FUZZ_CHECK(column.size() == ColumnLength
                           || (column.size() == ColumnLength - 1 && next.size() >= 2 && next[0].isHighSurrogate()
                               && next[1].isLowSurrogate()),
                       report());
        }
        // The half-pair property: no boundary between the halves of one character.
        FUZZ_CHECK(!splitsPair(column, next), report());
    }
    // The last column keeps the limit whenever the text leaves room for the
    // places the earlier columns may give up.
    if (directions.size() <= RecipeText::MaxDirections - (ColumnCount - 1))
        FUZZ_CHECK(columns.back().size() <= ColumnLength, report());

    // Without characters outside the basic plane the columns are plain 250-unit slices.
    if (std::none_of(directions.cbegin(), directions.cend(), [](QChar c) { return c.isSurrogate(); })) {
        for (int i = 0; i < ColumnCount; ++i) {
            const QString slice = directions.mid(i * ColumnLength, i + 1 < ColumnCount ? ColumnLength : -1);
            FUZZ_CHECK(columns[i] == slice, report());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // Filler in front moves the fuzzed text over the column boundaries.
    const int filler = input.ConsumeIntegralInRange(0, RecipeText::MaxDirections);
    const bool utf16 = input.ConsumeBool();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const auto *raw = reinterpret_cast<const uint8_t *>(bytes.data());
    const QString text = utf16 ? FuzzSupport::utf16Units(raw, bytes.size())
                               : FuzzSupport::utf8Text(raw, bytes.size());
    check(QString(filler, u'x') + text);
    return 0;
}
