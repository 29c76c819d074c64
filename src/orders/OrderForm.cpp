#include "orders/OrderForm.h"

#include "data/Settings.h"
#include "data/TextRules.h"
#include "orders/OrderEntry.h"
#include "orders/OrderUi.h"
#include "orders/Pricing.h"
#include "orders/fmGetProduct.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString AmountFormat = QStringLiteral("$#0.00");

QLabel *caption(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A value label: plain text, framed like the boxes around it.
QLabel *valueLabel(QWidget *parent, const QString &name, int minWidth)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(minWidth);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMargin(2);
    return label;
}

MaskedEdit *amountBox(QWidget *parent, const QString &name)
{
    auto *box = new MaskedEdit(parent);
    box->setObjectName(name);
    box->setMask(QStringLiteral("$##.##"));
    box->setDisplayFormat(QStringLiteral("$##.00"));
    box->setFixedWidth(80);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false); // Enter in a box must not save or open a picker
    return b;
}

} // namespace

OrderForm::OrderForm(const OrderFormConfig &config, QWidget *parent) : QDialog(parent), m_config(config)
{
    setObjectName(m_config.name);
    setWindowTitle(m_config.caption);
    // Boxes the user cannot type into look like it.
    setStyleSheet(QStringLiteral("QLineEdit[readOnly=\"true\"] { background-color: palette(window); }"));
    createHeader();
    m_lines = new ItemLines(m_config.lines, this);
    createTotalsPanel();
    createLayout();
    connectHandlers();
    OrderLinesTarget::registerForm(m_config.callingForm, this);
}

OrderForm::~OrderForm()
{
    OrderLinesTarget::unregisterForm(this);
}

QLabel *OrderForm::createCaption(const QString &name, const QString &text)
{
    return caption(this, name, text);
}

QLabel *OrderForm::createValueLabel(const QString &name, int minWidth)
{
    return valueLabel(this, name, minWidth);
}

void OrderForm::createHeader()
{
    lblOrdNum = valueLabel(this, "lblOrdNum", 80);
    medDate = new MaskedEdit(this);
    medDate->setObjectName("medDate");
    medDate->setMask(QStringLiteral("##/##/####"));
    medDate->setDisplayFormat(QStringLiteral("mm/dd/yyyy"));
    medDate->setFixedWidth(100);
    lblAddress = valueLabel(this, "lblAddress", 300);
    lblPhone = valueLabel(this, "lblPhone", 140);
    lblEmail = valueLabel(this, "lblEmail", 200);
    lblCustNum = new QLabel(this);
    lblCustNum->setObjectName("lblCustNum");
    lblCustNum->hide();

    m_header = new QGridLayout;
    m_header->setHorizontalSpacing(8);
    m_header->addWidget(caption(this, "Label1", "Order #:"), 0, 0);
    m_header->addWidget(lblOrdNum, 0, 1, Qt::AlignLeft);
    m_header->addWidget(caption(this, "Label10", m_config.dateCaption), 0, 2);
    m_header->addWidget(medDate, 0, 3, Qt::AlignLeft);
    m_header->addWidget(caption(this, "Label3", "Customer:"), 1, 0);
    m_header->addWidget(caption(this, "Label4", "Address:"), 2, 0);
    m_header->addWidget(lblAddress, 2, 1, 1, 3);
    m_header->addWidget(caption(this, "Label6", "Phone:"), 3, 0);
    m_header->addWidget(lblPhone, 3, 1);
    m_header->addWidget(caption(this, "Label8", "Email:"), 3, 2);
    m_header->addWidget(lblEmail, 3, 3);
    m_header->setColumnStretch(3, 1);

    m_typeFrame = new QGroupBox(this);
    m_typeFrame->setObjectName(m_config.typeFrameName);
    optParty = new QRadioButton(QStringLiteral("Party"), m_typeFrame);
    optParty->setObjectName("optParty");
    optParty->setChecked(true);
    optReorder = new QRadioButton(QStringLiteral("Re-Order"), m_typeFrame);
    optReorder->setObjectName("optReorder");
    auto *types = new QVBoxLayout(m_typeFrame);
    types->addWidget(caption(m_typeFrame, m_config.typeLabelName, "Type of Order:"));
    types->addWidget(optParty);
    types->addWidget(optReorder);
}

void OrderForm::createTotalsPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName("Picture1");
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Picture1 = panel;

    chkOutofTown = new QCheckBox(QStringLiteral("Out of Town Order"), panel);
    chkOutofTown->setObjectName("chkOutofTown");
    txtComments = new QLineEdit(panel);
    txtComments->setObjectName("txtComments");
    txtComments->setMaxLength(99);
    medaddcosts = amountBox(panel, "medaddcosts");
    meddiscounts = amountBox(panel, "meddiscounts");

    auto *entries = new QGridLayout;
    entries->addWidget(chkOutofTown, 0, 0, 1, 2);
    entries->addWidget(caption(panel, m_config.commentsLabelName, "Comments:"), 1, 0);
    entries->addWidget(txtComments, 1, 1);
    entries->addWidget(caption(panel, "Label18", "Addt'l Fees:"), 2, 0);
    entries->addWidget(medaddcosts, 2, 1, Qt::AlignLeft);
    entries->addWidget(caption(panel, "Label17", "Discounts:"), 3, 0);
    entries->addWidget(meddiscounts, 3, 1, Qt::AlignLeft);
    entries->setColumnStretch(1, 1);
    entries->setRowStretch(4, 1);

    auto *paid = new QGroupBox(panel);
    paid->setObjectName(m_config.paidFrameName);
    optyes = new QRadioButton(QStringLiteral("Yes"), paid);
    optyes->setObjectName("optyes");
    optNo = new QRadioButton(QStringLiteral("No"), paid);
    optNo->setObjectName("optNo");
    optNo->setChecked(true);
    auto *question = caption(paid, m_config.paidLabelName, "Has this order been delivered and paid in full?");
    question->setWordWrap(true);
    auto *answers = new QHBoxLayout;
    answers->addWidget(optyes);
    answers->addWidget(optNo);
    answers->addStretch(1);
    auto *paidColumn = new QVBoxLayout(paid);
    paidColumn->addWidget(question);
    paidColumn->addLayout(answers);
    cmUpdateTotals = button(panel, m_config.updateTotalsName, m_config.updateTotalsCaption);

    auto *middle = new QVBoxLayout;
    middle->addWidget(paid);
    middle->addWidget(cmUpdateTotals, 0, Qt::AlignLeft);
    middle->addStretch(1);

    lblTotItems = valueLabel(panel, "lblTotItems", 90);
    lblsubtotal = valueLabel(panel, "lblsubtotal", 90);
    lblTax = valueLabel(panel, "lblTax", 90);
    lblShipping = valueLabel(panel, "lblShipping", 90);
    lblTotSale = valueLabel(panel, "lblTotSale", 90);
    QFont bold = lblTotSale->font();
    bold.setBold(true);
    lblTotSale->setFont(bold);
    auto *totals = new QGridLayout;
    const struct
    {
        QString name;
        const char *text;
        QLabel *value;
    } rows[] = {
        {m_config.totItemsLabelName, "Total Items:", lblTotItems},
        {m_config.subtotalLabelName, "Sub Total:", lblsubtotal},
        {QStringLiteral("Label14"), "Tax:", lblTax},
        {QStringLiteral("Label13"), "Shipping:", lblShipping},
        {QStringLiteral("Label12"), "Total Sale:", lblTotSale},
    };
    int row = 0;
    for (const auto &r : rows) {
        r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        totals->addWidget(caption(panel, r.name, r.text), row, 0, Qt::AlignRight);
        totals->addWidget(r.value, row, 1);
        ++row;
    }
    totals->setRowStretch(row, 1);

    auto *columns = new QHBoxLayout(panel);
    columns->setSpacing(18);
    columns->addLayout(entries, 3);
    columns->addLayout(middle, 2);
    columns->addLayout(totals, 0);
}

void OrderForm::createLayout()
{
    auto *content = new QWidget;
    content->setObjectName("OrderLines");
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(m_lines);
    column->addWidget(Picture1);
    column->addStretch(1);
    // The lines and the panel under them scroll together when an order has many lines.
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidget(content);
    // Not a Tab stop of its own (it shows no focus): Tab goes from the order type
    // straight to the first line.
    m_scroll->setFocusPolicy(Qt::NoFocus);

    cmSave = button(this, "cmSave", "Save");
    cmCancel = button(this, "cmCancel", "Cancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmSave);
    buttons->addWidget(cmCancel);

    auto *top = new QHBoxLayout;
    top->addLayout(m_header, 1);
    top->addSpacing(16);
    top->addWidget(m_typeFrame, 0, Qt::AlignTop);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addSpacing(6);
    outer->addWidget(m_scroll, 1);
    outer->addLayout(buttons);
    resize(900, 640);
}

void OrderForm::connectHandlers()
{
    connect(m_lines, &ItemLines::insertRowClicked, this, &OrderForm::cmInsertrow_Click);
    connect(m_lines, &ItemLines::getProductClicked, this, &OrderForm::cmGetProduct_Click);
    connect(m_lines, &ItemLines::deleteClicked, this, &OrderForm::txtDelete_Click);
    connect(m_lines, &ItemLines::quantityLeft, this, &OrderForm::txtQty_Validate);
    connect(chkOutofTown, &QCheckBox::clicked, this, &OrderForm::chkOutofTown_Click);
    connect(optyes, &QRadioButton::clicked, this, &OrderForm::optyes_Click);
    connect(optNo, &QRadioButton::clicked, this, &OrderForm::optNo_Click);
    connect(cmUpdateTotals, &QPushButton::clicked, this, [this] { updateTotals_Click(); });
    connect(cmSave, &QPushButton::clicked, this, &OrderForm::cmSave_Click);
    connect(cmCancel, &QPushButton::clicked, this, &OrderForm::cmCancel_Click);
}

void OrderForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Paint();
}

void OrderForm::Form_Paint()
{
    CalcTotals();
}

void OrderForm::fillLine(int index, const PickedProduct &product)
{
    m_lines->fillLine(index, product);
}

void OrderForm::cmGetProduct_Click(int index)
{
    if (!productPickerAllowed())
        return;
    Forms::showModal(this, new fmGetProduct(m_config.callingForm, index, this));
}

void OrderForm::cmInsertrow_Click()
{
    m_lines->addLine();
    m_lines->cmInsertrow()->setEnabled(false);
    // Bring the new line into view once the layout has placed it.
    QTimer::singleShot(0, this, [this] {
        if (m_lines->LastRow() >= 0)
            m_scroll->ensureWidgetVisible(m_lines->txtQty(m_lines->LastRow()));
    });
    cmGetProduct_Click(m_lines->LastRow());
}

void OrderForm::txtDelete_Click(int index)
{
    const QString question = QStringLiteral("Are you sure you want to delete this item?");
    const QString title = QStringLiteral("Delete?");
    if (m_lines->LastRow() == 0) {
        // The only line is emptied rather than removed, and only when it has a quantity.
        if (TextRules::toNumber(m_lines->txtQty(0)->text()).value_or(0) <= 0)
            return;
        if (Msg::show(this, question, title, Msg::Buttons::OkCancel) != Msg::Answer::Ok)
            return;
        m_lines->emptyLine(0);
    } else {
        if (Msg::show(this, question, title, Msg::Buttons::OkCancel) != Msg::Answer::Ok)
            return;
        m_lines->removeLine(index);
    }
    // The form's repaint after the question box closes.
    CalcTotals();
}

void OrderForm::txtQty_Validate(int index)
{
    QLineEdit *box = m_lines->txtQty(index);
    if (box->isReadOnly())
        return;
    switch (OrderEntry::checkQuantity(box->text())) {
    case OrderEntry::QuantityCheck::Zero:
        // The answer is not used: either way the quantity becomes 1.
        Msg::show(this, QStringLiteral("Quantity must be > 0"), QStringLiteral("Remove item?"), Msg::Buttons::OkCancel);
        box->setText(OrderEntry::QuantityReset);
        box->setFocus();
        break;
    case OrderEntry::QuantityCheck::NotNumeric:
        Msg::show(this, QStringLiteral("Invalid quantity entered"), QStringLiteral("Error"), Msg::Buttons::OkCancel);
        box->setText(OrderEntry::QuantityReset);
        box->setFocus();
        break;
    case OrderEntry::QuantityCheck::Accepted:
        break;
    }
    CalcTotals();
}

void OrderForm::chkOutofTown_Click()
{
    CalcTotals();
}

void OrderForm::optyes_Click()
{
    const Msg::Answer answer = Msg::show(
        this, QStringLiteral("By checking Yes, this order will be marked as closed, and inventory will be adjusted."),
        QStringLiteral("Close Order?"), Msg::Buttons::OkCancel);
    if (answer == Msg::Answer::Ok) {
        OrderStatus = Orders::Closed;
    } else {
        OrderStatus = Orders::Open;
        optNo->setChecked(true);
    }
}

void OrderForm::optNo_Click()
{
    OrderStatus = Orders::Open;
}

void OrderForm::updateTotals_Click()
{
    CalcTotals();
}

bool OrderForm::CheckOrder()
{
    const std::vector<OrderEntry::Problem> problems =
        OrderEntry::checkOrder(m_lines->entries(), lblCustNum->text(), m_config.checkTitle);
    for (const OrderEntry::Problem &p : problems)
        Msg::show(this, p.text, p.title);
    if (!problems.empty())
        DataError = QStringLiteral("Y");
    return problems.empty();
}

bool OrderForm::CalcTotals()
{
    const std::optional<Money> addCosts = OrderEntry::amount(medaddcosts->text());
    const std::optional<Money> discounts = OrderEntry::amount(meddiscounts->text());
    if (!addCosts || !discounts)
        return false;
    const Settings &s = Settings::current();
    const std::optional<Pricing::Totals> totals =
        Pricing::calcTotals(OrderEntry::pricingLines(m_lines->entries()),
                            {s.TaxRate, s.ShippingRate, s.ShippingOOTRate}, chkOutofTown->isChecked(),
                            *addCosts, *discounts);
    if (!totals)
        return false; // the figures shown stay as they were
    m_lines->showLineTotals(totals->lineTotals);
    lblsubtotal->setText(TextRules::format(totals->subtotal, AmountFormat));
    lblTotItems->setText(QString::number(totals->totalItems));
    lblTax->setText(TextRules::format(totals->tax, AmountFormat));
    lblShipping->setText(TextRules::format(totals->shipping, AmountFormat));
    lblTotSale->setText(TextRules::format(totals->total, AmountFormat));
    return true;
}

std::optional<Orders::Order> OrderForm::prepareOrder()
{
    DataError = QStringLiteral("N");
    CheckOrder();
    const bool priced = CalcTotals();
    if (DataError != QLatin1String("N"))
        return std::nullopt;
    const std::optional<int> number = numberToStore();
    if (!number)
        return std::nullopt;
    OrderEntry::FormEntries entries;
    entries.orderNum = *number;
    entries.custNum = lblCustNum->text();
    // The date as the box shows it, so a message names what the user sees.
    entries.orderDate = medDate->displayText();
    entries.status = OrderStatus;
    entries.party = optParty->isChecked();
    entries.outOfTown = chkOutofTown->isChecked();
    entries.comments = txtComments->text();
    entries.addCosts = medaddcosts->text();
    entries.discounts = meddiscounts->text();
    entries.subtotal = lblsubtotal->text();
    entries.total = lblTotSale->text();
    entries.lines = m_lines->entries();
    entries.problemTitle = m_config.checkTitle;
    // A quantity or date the order cannot take is named first: it is also why
    // the totals could not be computed.
    OrderEntry::Built built = OrderEntry::toOrder(entries);
    if (!built.order) {
        Msg::show(this, built.problem.text, built.problem.title);
        return std::nullopt;
    }
    if (!priced) {
        Msg::show(this,
                  QStringLiteral("The totals of this order cannot be computed from its quantities and prices.  "
                                 "The order was not saved."),
                  QStringLiteral("Error"));
        return std::nullopt;
    }
    return built.order;
}

void OrderForm::cmSave_Click()
{
    // A second Save while one runs (or after the order was stored) does nothing.
    if (m_saving || m_stored)
        return;
    const QScopedValueRollback saving(m_saving, true);
    const std::optional<Orders::Order> order = prepareOrder();
    if (!order || !confirmSave())
        return;
    cmSave->setEnabled(false);
    const OrderStore::SaveResult result = store(*order);
    if (!result.status) {
        cmSave->setEnabled(true);
        reportSaveFailure(result.status);
        return;
    }
    m_stored = true;
    showReminders(result.reminders);
    accept();
}

void OrderForm::cmCancel_Click()
{
    reject();
}

void OrderForm::reportSaveFailure(const Status &status)
{
    OrderUi::reportFailure(this, m_config.saveFailedText, status);
}

void OrderForm::showReminders(const std::vector<Orders::ReorderReminder> &reminders)
{
    for (const Orders::ReorderReminder &r : reminders)
        Msg::show(this, OrderEntry::reminderText(m_config.reminderPrefix, r), OrderEntry::ReminderTitle,
                  Msg::Buttons::Ok, Msg::Icon::Information);
}
