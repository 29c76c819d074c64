#include "orders/fmAddOrder.h"

#include "data/Database.h"
#include "data/KeyNumbering.h"
#include "data/Settings.h"
#include "data/TextRules.h"
#include "orders/OrderUi.h"
#include "orders/fmGetName.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

OrderFormConfig addOrderConfig()
{
    OrderFormConfig c;
    c.name = QStringLiteral("fmAddOrder");
    c.caption = QStringLiteral("Add Order");
    c.callingForm = QStringLiteral("A");
    c.dateCaption = QStringLiteral("Date:");
    c.typeLabelName = QStringLiteral("Label19");
    c.typeFrameName = QStringLiteral("Frame1");
    c.commentsLabelName = QStringLiteral("Label16");
    c.totItemsLabelName = QStringLiteral("Label11");
    c.subtotalLabelName = QStringLiteral("Label15_1");
    c.paidFrameName = QStringLiteral("Frame2");
    c.paidLabelName = QStringLiteral("Label15_0");
    c.updateTotalsName = QStringLiteral("Command2");
    c.updateTotalsCaption = QStringLiteral("Update Totals:");
    c.checkTitle = QStringLiteral("Error");
    c.reminderPrefix = QStringLiteral("You now have ");
    c.saveFailedText = QStringLiteral("The order could not be saved, and nothing of it was stored.  "
                                      "Everything you entered is still on the form.");
    return c;
}

} // namespace

fmAddOrder::fmAddOrder(QWidget *parent) : OrderForm(addOrderConfig(), parent)
{
    txtCust = new QLineEdit(this);
    txtCust->setObjectName("txtCust");
    txtCust->setReadOnly(true);
    cmGetName = new QPushButton(QStringLiteral("..."), this);
    cmGetName->setObjectName("cmGetName");
    cmGetName->setToolTip(QStringLiteral("Click to retrieve customer information"));
    cmGetName->setAutoDefault(false);
    cmGetName->setFixedWidth(32);
    auto *customer = new QHBoxLayout;
    customer->addWidget(txtCust, 1);
    customer->addWidget(cmGetName);
    headerGrid()->addLayout(customer, 1, 1, 1, 3);
    connect(cmGetName, &QPushButton::clicked, this, &fmAddOrder::cmGetName_Click);
    setTabOrder(medDate, cmGetName);
    Form_Load();
}

void fmAddOrder::Form_Load()
{
    medDate->setText(TextRules::toUsDate(QDate::currentDate()));
    // A number that could not be read now (the file in use, say) is read
    // again at Save; only numbers really used up refuse the order.
    const Keys::NewKey &key = m_number.choose(Database::connection());
    if (!key.status)
        OrderUi::reportFailure(this, QStringLiteral("The order number could not be read; Save will try again."),
                               key.status);
    NewOrderNum = key.number;
    lblOrdNum->setText(NewOrderNum ? QString::number(*NewOrderNum) : QString());
    // Also for the very first order (number 0) the amounts read as zero.
    medaddcosts->setText(QStringLiteral("$00.00"));
    meddiscounts->setText(QStringLiteral("$00.00"));
    OrderStatus = Orders::Open;
}

void fmAddOrder::fillCustomer(const PickedCustomer &customer)
{
    txtCust->setText(customer.name);
    lblAddress->setText(customer.address);
    lblPhone->setText(customer.phone);
    lblEmail->setText(customer.email);
    lblCustNum->setText(customer.custNum);
}

void fmAddOrder::cmGetName_Click()
{
    const std::optional<bool> customers = OrderUi::hasRows(this, OrderQueries::Table::Customer);
    if (!customers)
        return;
    if (!*customers) {
        Msg::show(this,
                  QStringLiteral("You have no customers to choose from.  Please go to the customer screen, "
                                 "and enter a customer."),
                  QStringLiteral("Error Getting Customer Information"));
        return;
    }
    Forms::showModal(this, new fmGetName(*this, this));
}

bool fmAddOrder::productPickerAllowed()
{
    const std::optional<bool> products = OrderUi::hasRows(this, OrderQueries::Table::Inventory);
    if (!products || *products)
        return products.value_or(false);
    Msg::show(this,
              QStringLiteral("You have no products to choose from.  Please go to the inventory screen, "
                             "and enter a product."),
              QStringLiteral("Error Getting Product Information"));
    return false;
}

void fmAddOrder::Command2_Click()
{
    QLineEdit *qty = lines()->txtQty(0);
    const OrderEntry::UpdateTotalsStep step = OrderEntry::updateTotals(qty->text());
    qty->setText(step.quantity);
    if (step.calculate)
        CalcTotals();
}

std::optional<int> fmAddOrder::numberToStore()
{
    const Keys::NewKey &key = m_number.confirm(Database::connection());
    NewOrderNum = key.number;
    lblOrdNum->setText(NewOrderNum ? QString::number(*NewOrderNum) : QString());
    if (key.usedUp())
        Msg::show(this, key.limitMessage, QStringLiteral("Error"), Msg::Buttons::Ok, Msg::Icon::Critical);
    else if (!key.status)
        OrderUi::reportFailure(this, QStringLiteral("The order number could not be read."), key.status);
    return NewOrderNum;
}

OrderStore::SaveResult fmAddOrder::store(const Orders::Order &order)
{
    return OrderStore::addOrder(Database::connection(), order, Settings::current().ReminderQty,
                                QDate::currentDate());
}
