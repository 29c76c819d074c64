#include "customers/CustomerRules.h"

#include <QLocale>

namespace CustomerRules {

QList<Check> checks(const Input &in)
{
    return {
        {"txtLastname", in.lastName.isEmpty(), "You must enter a last name"},
        {"txtFirstname", in.firstName.isEmpty(), "You must enter a first name"},
        {"txtAddress", in.address.isEmpty(), "You must enter an address"},
        {"txtPhone", in.phone.isEmpty(), "You must enter an phone number"},
    };
}

QStringList listLines(RecordSet &rs, const QDate &today)
{
    QStringList lines{QLocale::system().toString(today, QLocale::ShortFormat), " "};
    for (; !rs.eof(); rs.moveNext()) {
        lines << rs.text("first_name") + rs.text("last_name") << rs.text("address") << rs.text("phone")
              << rs.text("email") << rs.text("comments") << " ";
    }
    return lines;
}

} // namespace CustomerRules
