#include "admin/AdminRules.h"

#include "data/RecordSet.h"
#include "data/TextRules.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace AdminRules {

bool rateKeyPasses(QChar typed)
{
    return (typed >= u'0' && typed <= u'9') || typed == u'.';
}

std::optional<double> parseRate(const QString &text)
{
    static const QRegularExpression rate(QStringLiteral("^[0-9]*\\.?[0-9]*$"));
    const QString s = text.trimmed();
    if (!rate.match(s).hasMatch() || s == QStringLiteral(".") || s.isEmpty())
        return std::nullopt;
    const auto value = TextRules::toNumber(s);
    if (!value || !std::isfinite(*value) || *value > 100)
        return std::nullopt;
    return value;
}

QString rateText(double rate)
{
    return QString::number(rate, 'f', QLocale::FloatingPointShortest);
}

std::optional<qint16> parseReminderQty(const QString &text)
{
    const auto whole = TextRules::toWholeNumber(text);
    if (!whole || *whole < -32768 || *whole > 32767)
        return std::nullopt;
    return qint16(*whole);
}

AdminCheck checkAdminTexts(const AdminTexts &texts)
{
    AdminCheck check;
    const struct
    {
        const QString &text;
        double &target;
        const char *box;
        const char *problem;
    } rates[] = {
        {texts.tax, check.values.tax, "medtax",
         "The sales tax rate must be a number from 0 to 100, such as 7.25."},
        {texts.shipping, check.values.shipping, "medshipping",
         "The shipping rate must be a number from 0 to 100, such as 8.5."},
        {texts.shippingoot, check.values.shippingoot, "medShippingOOT",
         "The out of town shipping rate must be a number from 0 to 100, such as 12.5."},
    };
    for (const auto &r : rates) {
        const auto value = parseRate(r.text);
        if (!value) {
            check.problem = QString::fromLatin1(r.problem);
            check.box = QString::fromLatin1(r.box);
            return check;
        }
        r.target = *value;
    }
    const auto qty = parseReminderQty(texts.invReminderqty);
    if (!qty) {
        check.problem = QStringLiteral("The quantity for \"Notify me when Inventory is less than\" must "
                                       "be a whole number from -32768 to 32767, such as 5.");
        check.box = QStringLiteral("medInvQty");
        return check;
    }
    check.values.invReminderqty = *qty;
    return check;
}

QString recipientList(const QVariantList &emails)
{
    QStringList addresses;
    for (const QVariant &email : emails) {
        if (!email.isNull() && !email.toString().isEmpty())
            addresses << email.toString();
    }
    return addresses.join(QStringLiteral(", "));
}

Status readCustomerEmails(QSqlDatabase db, QVariantList &emails)
{
    RecordSet customers = RecordSet::table(db, QStringLiteral("customer"));
    if (Status s = customers.refresh(); !s)
        return s;
    emails.clear();
    for (customers.moveFirst(); !customers.eof(); customers.moveNext())
        emails << customers.value(QStringLiteral("email"));
    return {};
}

} // namespace AdminRules
