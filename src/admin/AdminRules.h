#pragma once

#include "data/Settings.h"
#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <optional>

// The plain rules of the administrative screen: what the rate boxes accept, the
// check of the typed defaults before they are stored, and the recipient list of
// the e-mail to all customers.
namespace AdminRules {

// The key filter of the three rate boxes: only the digits 0-9 and "." pass;
// every other typed character, Backspace (character 8) included, is discarded.
bool rateKeyPasses(QChar typed);

// A rate as typed: a percentage from 0 to 100, digits with at most one decimal
// point and at least one digit, optionally surrounded by blanks ("7.25", "8.",
// ".5"). Nothing otherwise (empty, ".", "7..5", "-1", "1e3", "$5", "100.5").
std::optional<double> parseRate(const QString &text);

// A rate as the box shows it for editing: every digit written out, no exponent,
// so that parseRate reads back exactly the same number ("7.25", "0.06125").
QString rateText(double rate);

// The reminder quantity as typed: a whole number (optional sign and blanks)
// from -32768 to 32767. Nothing otherwise ("2.5", "abc", "40000", "").
std::optional<qint16> parseReminderQty(const QString &text);

// The texts of the four boxes.
struct AdminTexts
{
    QString tax;
    QString shipping;
    QString shippingoot;
    QString invReminderqty;
};

// The outcome of checking the texts: the values to store, or the first problem
// with the objectName of the box that holds it.
struct AdminCheck
{
    AdminValues values;
    QString problem;
    QString box;
    bool ok() const { return problem.isEmpty(); }
};

AdminCheck checkAdminTexts(const AdminTexts &texts);

// The recipients of the e-mail to all customers: every address that is neither
// empty nor NULL, in the given order, joined by ", ". Addresses are taken as they
// are: nothing is trimmed, checked or de-duplicated.
QString recipientList(const QVariantList &emails);

// Every customer's email value, in the table's own order (insertion order).
Status readCustomerEmails(QSqlDatabase db, QVariantList &emails);

} // namespace AdminRules
