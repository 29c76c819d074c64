#include "orders/OrderUi.h"

#include "data/Database.h"
#include "shell/Messages.h"

namespace OrderUi {

void reportFailure(QWidget *opener, const QString &what, const Status &status)
{
    Msg::show(opener, what + QStringLiteral("\n\n") + status.message(), QStringLiteral("Error"), Msg::Buttons::Ok,
              Msg::Icon::Critical);
}

std::optional<bool> hasRows(QWidget *opener, OrderQueries::Table table)
{
    const OrderQueries::Count count = OrderQueries::rowCount(Database::connection(), table);
    if (!count.status) {
        reportFailure(opener, QStringLiteral("The records could not be read."), count.status);
        return std::nullopt;
    }
    return count.rows > 0;
}

} // namespace OrderUi
