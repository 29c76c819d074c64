#include "orders/fmGetProduct.h"

#include "data/Money.h"
#include "data/TextRules.h"
#include "orders/OrderEntry.h"
#include "orders/OrderQueries.h"
#include "orders/OrderTargets.h"

#include <QLabel>
#include <QRadioButton>

using OrderQueries::ProductOrder;

fmGetProduct::fmGetProduct(const QString &callingForm, int index, QWidget *parent)
    : PickerDialog(QStringLiteral("fmGetProduct"), QStringLiteral("Get Product Information"),
                   {{QStringLiteral("Product Number"), QStringLiteral("product_refnum")},
                    {QStringLiteral("Product"), QStringLiteral("product")},
                    {QStringLiteral("Unit Cost"), QStringLiteral("cost"),
                     [](const QVariant &v) {
                         return TextRules::format(Money::fromUnits(v.toLongLong()), QStringLiteral("$#,##0.00"));
                     }},
                    {QStringLiteral("Qty Avail."), QStringLiteral("qty")}},
                   1, parent)
{
    optSortNum = addSortOption("optSortNum", "Product Num",
                               [this] { readRows(OrderQueries::products(ProductOrder::ProductNum)); });
    optSortName = addSortOption("optSortName", "Product Name",
                                [this] { readRows(OrderQueries::products(ProductOrder::ProductName)); });
    optSortNum->setChecked(true);

    lblCalling_Form = new QLabel(callingForm, this);
    lblCalling_Form->setObjectName("lblCalling_Form");
    lblCalling_Form->hide();
    lblIndex = new QLabel(QString::number(index), this);
    lblIndex->setObjectName("lblIndex");
    lblIndex->hide();

    setSearchColumns({1, 0});
    readRows(OrderQueries::products(ProductOrder::Unsorted));
}

void fmGetProduct::cmOk_Click()
{
    const int row = currentRow();
    OrderLinesTarget *target = OrderLinesTarget::forCallingForm(lblCalling_Form->text());
    if (row >= 0 && target) {
        const auto text = [&](const char *field) { return model()->value(row, field).toString(); };
        const Money cost = Money::fromUnits(model()->value(row, "cost").toLongLong());
        target->fillLine(lblIndex->text().toInt(),
                         {text("product_num"), text("product"), OrderEntry::plainAmount(cost)});
    }
    accept();
}
