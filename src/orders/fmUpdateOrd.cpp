#include "orders/fmUpdateOrd.h"

#include "data/Database.h"
#include "data/Settings.h"
#include "data/TextRules.h"
#include "orders/OrderEntry.h"
#include "orders/OrderUi.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

OrderFormConfig updateOrderConfig()
{
    OrderFormConfig c;
    c.name = QStringLiteral("fmUpdateOrd");
    c.caption = QStringLiteral("Update Order");
    c.callingForm = QStringLiteral("U");
    c.lines.priceHeading = QStringLiteral("Unit Cost:");
    c.lines.pickerTooltip = QStringLiteral("Click here to retrieve product information");
    c.lines.totalHeadingName = QStringLiteral("TotalHeading");
    c.dateCaption = QStringLiteral("Order Date:");
    c.typeLabelName = QStringLiteral("Label22");
    c.typeFrameName = QStringLiteral("Frame2");
    c.commentsLabelName = QStringLiteral("Label11");
    c.totItemsLabelName = QStringLiteral("Label23");
    c.subtotalLabelName = QStringLiteral("Label19");
    c.paidFrameName = QStringLiteral("Frame1");
    c.paidLabelName = QStringLiteral("Label15");
    c.updateTotalsName = QStringLiteral("cmUpdate_totals");
    c.updateTotalsCaption = QStringLiteral("Update Totals");
    c.checkTitle = QStringLiteral("Invalid Data");
    c.reminderPrefix = QStringLiteral("You are now have ");
    c.saveFailedText = QStringLiteral("The order could not be saved, and the stored order was not changed.  "
                                      "Everything you entered is still on the form.");
    return c;
}

} // namespace

fmUpdateOrd::fmUpdateOrd(int orderNum, const QString &customer, QWidget *parent)
    : OrderForm(updateOrderConfig(), parent), m_orderNum(orderNum)
{
    lblCust = createValueLabel(QStringLiteral("lblCust"), 200);
    lblStatus = createValueLabel(QStringLiteral("lblStatus"), 80);
    headerGrid()->addWidget(lblCust, 1, 1);
    headerGrid()->addWidget(createCaption(QStringLiteral("Label2"), QStringLiteral("Order Status:")), 1, 2);
    headerGrid()->addWidget(lblStatus, 1, 3, Qt::AlignLeft);

    // What the order list writes into the form before showing it.
    lblCust->setText(customer);
    lblOrdNum->setText(QString::number(orderNum));
    Form_Load();
}

void fmUpdateOrd::Form_Load()
{
    FirstPaint = true;
    medaddcosts->setText(QStringLiteral("$00.00"));
    meddiscounts->setText(QStringLiteral("$00.00"));
    // Set from the stored status when the order is loaded.
    OrderStatus.clear();
}

void fmUpdateOrd::Form_Paint()
{
    if (FirstPaint) {
        FirstPaint = false;
        loadOrder();
    }
    // The figures shown are always those Save stores.
    cmUpdate_totals_Click();
    setWindowTitle(QStringLiteral("Update Order For: ") + lblCust->text());
}

void fmUpdateOrd::loadOrder()
{
    Status status;
    const std::optional<OrderStore::StoredOrder> stored = OrderStore::load(Database::connection(), m_orderNum, &status);
    if (!stored) {
        if (!status)
            OrderUi::reportFailure(this, QStringLiteral("The order could not be read."), status);
        else
            Msg::show(this, QStringLiteral("Order %1 is not stored.").arg(m_orderNum), QStringLiteral("Error"));
        return;
    }
    const Orders::Order &o = stored->order;
    medDate->setText(TextRules::toUsDate(o.orderDate));
    lblStatus->setText(OrderEntry::updateStatusWord(o.status));
    if (o.status == Orders::Open)
        OrderStatus = Orders::Open;
    lblAddress->setText(stored->customer.address);
    lblPhone->setText(stored->customer.phone);
    lblEmail->setText(stored->customer.email);
    lblCustNum->setText(QString::number(o.custNum));
    (o.type == Orders::Party ? optParty : optReorder)->setChecked(true);
    chkOutofTown->setChecked(o.outOfTown);
    // A longer comment from an older file is shown whole, so that saving cannot cut it.
    if (o.comments.size() > txtComments->maxLength())
        txtComments->setMaxLength(int(o.comments.size()));
    txtComments->setText(o.comments);
    showAmount(medaddcosts, o.addCosts);
    showAmount(meddiscounts, o.discounts);

    ItemLines *items = lines();
    for (size_t i = 0; i < stored->lines.size(); ++i) {
        const OrderStore::StoredOrder::Line &l = stored->lines[i];
        // Further lines are added as "Add Item" adds them, without opening the
        // picker; their quantities stay locked until their product is picked again.
        if (i > 0)
            items->addLine();
        const int at = int(i);
        items->setLine(at, {QString::number(l.quantity), l.product, QString::number(l.productNum),
                            OrderEntry::plainAmount(l.cost)});
        items->txtTot(at)->setEnabled(true);
    }
    if (!stored->lines.empty()) {
        items->setQuantityEditable(0, true);
        // The last line has its product, so a further line may be added.
        items->cmInsertrow()->setEnabled(true);
    }
    m_loaded = true;
}

void fmUpdateOrd::showAmount(MaskedEdit *box, Money value)
{
    if (const std::optional<QString> text = OrderEntry::maskedAmount(value)) {
        box->setText(*text);
        return;
    }
    // An amount the box's mask cannot hold is shown whole, without the mask,
    // so that saving does not change it.
    box->setMask(QString());
    box->setText(TextRules::format(value, QStringLiteral("$#0.00;($#0.00)")));
}

void fmUpdateOrd::cmUpdate_totals_Click()
{
    CalcTotals();
}

std::optional<int> fmUpdateOrd::numberToStore()
{
    const QString title = QStringLiteral("Error");
    if (!m_loaded) {
        Msg::show(this, QStringLiteral("Order %1 could not be read, so it cannot be saved.").arg(m_orderNum), title);
        return std::nullopt;
    }
    if (OrderStatus != Orders::Open && OrderStatus != Orders::Closed) {
        Msg::show(this, QStringLiteral("Order %1 is not open, so it cannot be changed.").arg(m_orderNum), title);
        return std::nullopt;
    }
    return m_orderNum;
}

bool fmUpdateOrd::confirmSave()
{
    return Msg::show(this, QStringLiteral("Update record?"), QStringLiteral("Update Order"), Msg::Buttons::OkCancel)
        == Msg::Answer::Ok;
}

OrderStore::SaveResult fmUpdateOrd::store(const Orders::Order &order)
{
    return OrderStore::replaceOrder(Database::connection(), order, Settings::current().ReminderQty,
                                    QDate::currentDate());
}
