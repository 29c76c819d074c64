#pragma once

#include "data/Money.h"

#include <QDate>
#include <QString>
#include <optional>

// The number, date and text rules that every screen shares.
namespace TextRules {

// --- Reading text as a number -------------------------------------------------

// True when the text converts to a number: optional blanks, an optional sign,
// an optional leading "$", digits with optional thousands separators (",") and
// one optional decimal point, optionally enclosed in parentheses for a negative
// amount. Empty or blank-only text is not numeric; "." alone is not; "7..5" is not.
bool isNumeric(const QString &text);

// The value of numeric text (as isNumeric accepts it); nothing otherwise.
std::optional<double> toNumber(const QString &text);

// Numeric text in plain form ("-1234.5": sign, digits, point; no leading or
// trailing zeros), as isNumeric reads it; nothing when the text is not numeric.
std::optional<QString> plainNumber(const QString &text);

// Whole number (no decimals) with optional blanks and sign; nothing otherwise.
std::optional<qint64> toWholeNumber(const QString &text);

// --- Display formats ----------------------------------------------------------

// Formats an amount with one of the screens' format strings: "$#0.00",
// "$##0.00", "$#,##0.00", "$#,##0.00;($#,##0.00)", "#0.00", "#0", "$##.00".
// '0' is a forced digit, '#' an optional one, ',' between digit placeholders asks
// for thousands separators, '.' is the decimal point, anything else is literal.
// A second section after ';' formats negative values (without their sign);
// without one a negative value gets a leading "-". Rounds halves away from zero.
// Examples: ("$#0.00", 12.5) -> "$12.50"; ("$##.00", 0.5) -> "$.50";
// ("$#,##0.00;($#,##0.00)", -12) -> "($12.00)"; ("#0", 4.5) -> "5".
QString format(Money value, const QString &pattern);
QString format(double value, const QString &pattern);

// Formats numeric text (as isNumeric reads it) exactly as typed, digit by digit,
// with the same patterns and rounding as format(): no digit is lost to a double,
// however long the number. Nothing when the text is not numeric.
std::optional<QString> formatText(const QString &text, const QString &pattern);

// The shortest text of a double, up to 15 significant digits: 12.5, 25, 0.1, -3.25.
QString shortest(double value);

// A number as the printer prints it: a leading blank (or the minus sign), the
// shortest text, a trailing blank; no currency sign or separators: " 12 ", " 3.5 ", "-2 ".
QString printerNumber(double value);

// --- Whole numbers --------------------------------------------------------------

// A double as a 16-bit whole number, rounded halves to even (2.5 -> 2, 3.5 -> 4);
// nothing when the result is outside -32768..32767.
std::optional<qint16> toInt16(double value);

// --- Dates ------------------------------------------------------------------------

// "mm/dd/yyyy" (as typed in a "##/##/####" box; one-digit month or day also
// accepted) to a date; nothing when it is not a real calendar day.
std::optional<QDate> parseUsDate(const QString &text);
// A date as "mm/dd/yyyy"; empty text for a null date.
QString toUsDate(const QDate &date);
// The stored form: "yyyy-MM-dd"; empty text for a null date.
QString toStoredDate(const QDate &date);
// The stored form back to a date; a null date for empty or malformed text.
QDate fromStoredDate(const QString &text);
// The message shown when a typed date is not a real day.
QString invalidDateMessage(const QString &typed);

// --- Cutting text -------------------------------------------------------------------

// The length of the longest start of `text` that is at most `length` UTF-16 units
// long and does not end inside a character: a character outside the basic plane
// (an emoji, a surrogate pair) is kept or left out whole.
qsizetype wholeCharacterLength(const QString &text, qsizetype length);

// `text` without the halves of characters that lost their other half.
QString withoutBrokenCharacters(const QString &text);

} // namespace TextRules
