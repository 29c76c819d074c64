#include "orders/fmGetName.h"

#include "orders/OrderQueries.h"
#include "orders/OrderTargets.h"

#include <QRadioButton>
#include <QTableView>

using OrderQueries::CustomerOrder;

fmGetName::fmGetName(CustomerTarget &target, QWidget *parent)
    : PickerDialog(QStringLiteral("fmGetName"), QStringLiteral("Get Name"),
                   {{QStringLiteral("First_name"), QStringLiteral("first_name")},
                    {QStringLiteral("Last_name"), QStringLiteral("last_name")},
                    {QStringLiteral("Address"), QStringLiteral("address")},
                    {QStringLiteral("Phone"), QStringLiteral("phone")}},
                   2, parent),
      m_target(target)
{
    optSortLast = addSortOption("optSortLast", "Last Name",
                                [this] { readRows(OrderQueries::customers(CustomerOrder::LastName)); });
    optSortFirst = addSortOption("optSortFirst", "First Name",
                                 [this] { readRows(OrderQueries::customers(CustomerOrder::FirstName)); });
    // "First Name" is shown selected, yet the rows come in the table's own order.
    optSortFirst->setChecked(true);
    grid()->setToolTip(QStringLiteral("Click on row to select"));
    setSearchColumns({1, 0});
    readRows(OrderQueries::customers(CustomerOrder::Unsorted));
}

void fmGetName::cmOk_Click()
{
    const int row = currentRow();
    if (row >= 0) {
        const auto text = [&](const char *field) { return model()->value(row, field).toString(); };
        m_target.fillCustomer({text("cust_num"), text("first_name") + QLatin1Char(' ') + text("last_name"),
                               text("address"), text("phone"), text("email")});
    }
    accept();
}
