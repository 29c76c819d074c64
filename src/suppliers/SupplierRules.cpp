#include "suppliers/SupplierRules.h"

#include <QLocale>

namespace SupplierRules {
namespace {

QList<Check> checks(const Input &in, const QString &companyMessage)
{
    return {
        {"txtCompany", in.company.isEmpty(), companyMessage},
        {"txtPhone", in.phone.isEmpty(), "You must enter an phone number"},
    };
}

} // namespace

QList<Check> addChecks(const Input &input)
{
    return checks(input, "You must enter a Company name");
}

QList<Check> updateChecks(const Input &input)
{
    return checks(input, "You must enter a company name");
}

QStringList listLines(RecordSet &rs, const QDate &today)
{
    QStringList lines{QLocale::system().toString(today, QLocale::ShortFormat), " ", " "};
    for (; !rs.eof(); rs.moveNext()) {
        lines << rs.text("Company") << rs.text("Address") << rs.text("Phone") << rs.text("Email")
              << rs.text("Comments") << " ";
    }
    return lines;
}

} // namespace SupplierRules
