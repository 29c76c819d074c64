#include "orders/fmShowOrder.h"

#include "data/Database.h"
#include "data/QueryModel.h"
#include "data/Settings.h"
#include "data/TextRules.h"
#include "orders/Pricing.h"
#include "shell/Messages.h"
#include "shell/Navigate.h"
#include "shell/Printer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString MoneyFormat = QStringLiteral("$#0.00");

// Sizes in twips (1440 to the inch) turned into pixels at 96 per inch.
constexpr int px(int twips)
{
    return twips * 96 / 1440;
}

QString shownMoney(Money value)
{
    return TextRules::format(value, MoneyFormat);
}

// Keeps a widget's place when it is hidden, so the printed sheet has the
// on-screen layout with the buttons and the out-of-town box left out.
void keepPlaceWhenHidden(QWidget *widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

} // namespace

fmShowOrder::fmShowOrder(const ShowOrderInputs &inputs, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmShowOrder"));
    setWindowTitle(QStringLiteral("Show Order Details"));
    // Printed "fi" and "fl" stay two letters, so the sheet's PDF text can be searched.
    setFont(Printer::withoutLigatures(font()));
    createLayout();
    Form_Load(inputs);
}

void fmShowOrder::createLayout()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 12, 14, 12);
    outer->setSpacing(10);
    outer->addWidget(createHeader());
    outer->addWidget(createGridRow(), 1);
    outer->addWidget(createUnderGrid());
    outer->addWidget(createBottomRow());

    // Never shown: the e-mail's item lines, one product name, the customer number.
    lblinfo = addLabel(this, QStringLiteral("lblinfo"));
    lbltemp = addLabel(this, QStringLiteral("lbltemp"));
    lblCustNum = addLabel(this, QStringLiteral("lblCustNum"));
    for (QLabel *hidden : {lblinfo, lbltemp, lblCustNum})
        hidden->hide();

    resize(px(10620), px(7860));
}

QWidget *fmShowOrder::createHeader()
{
    auto *header = new QWidget(this);
    auto *columns = new QHBoxLayout(header);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(24);

    auto *left = new QGridLayout;
    left->setHorizontalSpacing(10);
    left->setVerticalSpacing(4);
    Label1 = addLabel(header, QStringLiteral("Label1"), QStringLiteral("Order #:"));
    lblOrdNum = addLabel(header, QStringLiteral("lblOrdNum"));
    lblCust = addLabel(header, QStringLiteral("lblCust"));
    lblAddress = addLabel(header, QStringLiteral("lblAddress"));
    lblPhone = addLabel(header, QStringLiteral("lblPhone"));
    lblEmail = addLabel(header, QStringLiteral("lblEmail"));
    const struct
    {
        QString name, caption;
        QLabel *value;
    } rows[] = {
        {QStringLiteral("Label1"), {}, lblOrdNum},
        {QStringLiteral("Label3"), QStringLiteral("Customer:"), lblCust},
        {QStringLiteral("Label4"), QStringLiteral("Address:"), lblAddress},
        {QStringLiteral("Label6"), QStringLiteral("Phone:"), lblPhone},
        {QStringLiteral("Label8"), QStringLiteral("Email:"), lblEmail},
    };
    int row = 0;
    for (const auto &r : rows) {
        QLabel *caption = r.caption.isEmpty() ? Label1 : addLabel(header, r.name, r.caption);
        left->addWidget(caption, row, 0, Qt::AlignLeft | Qt::AlignTop);
        r.value->setWordWrap(true);
        left->addWidget(r.value, row, 1, Qt::AlignTop);
        ++row;
    }
    left->setColumnStretch(1, 1);
    left->setRowStretch(row, 1);

    auto *right = new QGridLayout;
    right->setHorizontalSpacing(10);
    right->setVerticalSpacing(4);
    lblDate = addLabel(header, QStringLiteral("lblDate"));
    lblOrderStatus = addLabel(header, QStringLiteral("lblOrderStatus"));
    right->addWidget(addLabel(header, QStringLiteral("Label10"), QStringLiteral("Order Date:")), 0, 0);
    right->addWidget(lblDate, 0, 1);
    right->addWidget(addLabel(header, QStringLiteral("Label14"), QStringLiteral("Order Status:")), 1, 0);
    right->addWidget(lblOrderStatus, 1, 1);
    right->addWidget(addLabel(header, QStringLiteral("Label22"), QStringLiteral("Type of Order:")), 2, 0,
                     Qt::AlignLeft | Qt::AlignVCenter);

    Frame2 = new QGroupBox(header);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *types = new QHBoxLayout(Frame2);
    types->setContentsMargins(8, 4, 8, 4);
    optParty = new QRadioButton(QStringLiteral("Party"), Frame2);
    optParty->setObjectName(QStringLiteral("optParty"));
    optReorder = new QRadioButton(QStringLiteral("Re-Order"), Frame2);
    optReorder->setObjectName(QStringLiteral("optReorder"));
    types->addWidget(optParty);
    types->addWidget(optReorder);
    right->addWidget(Frame2, 2, 1);
    right->setRowStretch(3, 1);

    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    return header;
}

QWidget *fmShowOrder::createGridRow()
{
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(8);
    cmPrint = addButton(area, QStringLiteral("cmPrint"), QStringLiteral("Print"), &fmShowOrder::cmPrint_Click);
    cmEmail = addButton(area, QStringLiteral("cmEmail"), QStringLiteral("Send Email"), &fmShowOrder::cmEmail_Click);
    cmCancel = addButton(area, QStringLiteral("cmCancel"), QStringLiteral("Close"), &fmShowOrder::cmCancel_Click);
    for (QPushButton *button : {cmPrint, cmEmail, cmCancel}) {
        button->setMinimumWidth(90);
        keepPlaceWhenHidden(button);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    // The column captions of the old grid lie behind the grid and are never seen.
    for (const auto &[name, caption] : {std::pair{"Label5", "Products:"}, std::pair{"Label7", "Quantity:"},
                                        std::pair{"Label9", "Unit Cost:"}}) {
        addLabel(area, QString::fromLatin1(name), QString::fromLatin1(caption))->hide();
    }

    m_model = new QueryModel(this);
    m_model->setColumns({
        {QStringLiteral("Qty"), QStringLiteral("order_qty")},
        {QStringLiteral("Product Desc"), QStringLiteral("product")},
        {QStringLiteral("Product #"), QStringLiteral("product_refnum")},
        {QStringLiteral("Cost"), QStringLiteral("cost"),
         [](const QVariant &v) { return v.isNull() ? QString() : shownMoney(Money::fromUnits(v.toLongLong())); }},
    });
    DataGrid1 = new QTableView(area);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setModel(m_model);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->verticalHeader()->hide();
    QHeaderView *columns = DataGrid1->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionResizeMode(1, QHeaderView::Stretch);
    DataGrid1->setColumnWidth(0, 60);
    DataGrid1->setColumnWidth(2, 110);
    DataGrid1->setColumnWidth(3, 90);

    row->addLayout(buttons);
    row->addWidget(DataGrid1, 1);
    return area;
}

QWidget *fmShowOrder::createUnderGrid()
{
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(24);

    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(addLabel(area, QStringLiteral("Label16"), QStringLiteral("Comments:")));
    txtComments = new QPlainTextEdit(area);
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setReadOnly(true);
    txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtComments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtComments->setFixedHeight(px(1150));
    left->addWidget(txtComments);

    Frame1 = new QGroupBox(area);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    keepPlaceWhenHidden(Frame1);
    auto *frameRow = new QHBoxLayout(Frame1);
    frameRow->setContentsMargins(8, 4, 8, 4);
    chkOutofTown = new QCheckBox(QStringLiteral("Out of Town Order"), Frame1);
    chkOutofTown->setObjectName(QStringLiteral("chkOutofTown"));
    frameRow->addWidget(chkOutofTown);
    left->addWidget(Frame1, 0, Qt::AlignLeft);
    left->addStretch(1);

    auto *amounts = new QGridLayout;
    amounts->setHorizontalSpacing(10);
    amounts->setVerticalSpacing(4);
    auto addAmountBox = [&](const QString &name) {
        auto *box = new QLineEdit(area);
        box->setObjectName(name);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignRight);
        box->setFixedWidth(100);
        return box;
    };
    medaddcosts = addAmountBox(QStringLiteral("medaddcosts"));
    meddiscounts = addAmountBox(QStringLiteral("meddiscounts"));
    lblsubtotal = addLabel(area, QStringLiteral("lblsubtotal"));
    lblTax = addLabel(area, QStringLiteral("lblTax"));
    lblShipping = addLabel(area, QStringLiteral("lblShipping"));
    const struct
    {
        const char *name, *caption;
        QWidget *value;
    } rows[] = {
        {"Label18", "Addt'l Fees:", medaddcosts}, {"Label17", "Discounts:", meddiscounts},
        {"Label15", "Sub Total:", lblsubtotal},   {"Label2", "Tax:", lblTax},
        {"Label13", "Shipping:", lblShipping},
    };
    int line = 0;
    for (const auto &r : rows) {
        amounts->addWidget(addLabel(area, QString::fromLatin1(r.name), QString::fromUtf8(r.caption)), line, 0,
                           Qt::AlignRight | Qt::AlignVCenter);
        if (auto *label = qobject_cast<QLabel *>(r.value)) {
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setFixedWidth(100);
            // Right-aligned with the boxes' text above them.
            label->setContentsMargins(0, 0, 4, 0);
        }
        amounts->addWidget(r.value, line, 1);
        ++line;
    }
    amounts->setRowStretch(line, 1);

    row->addLayout(left, 1);
    row->addLayout(amounts, 0);
    return area;
}

QWidget *fmShowOrder::createBottomRow()
{
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    lblTotItems = addLabel(area, QStringLiteral("lblTotItems"));
    lblTotSale = addLabel(area, QStringLiteral("lblTotSale"));
    lblTotSale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTotSale->setFixedWidth(100);
    lblTotSale->setContentsMargins(0, 0, 4, 0);
    QFont bold = lblTotSale->font();
    bold.setBold(true);
    lblTotSale->setFont(bold);
    row->addWidget(addLabel(area, QStringLiteral("Label11"), QStringLiteral("Total Items:")));
    row->addWidget(lblTotItems);
    row->addStretch(1);
    auto *caption = addLabel(area, QStringLiteral("Label12"), QStringLiteral("Total Sale:"));
    caption->setFont(bold);
    row->addWidget(caption);
    row->addWidget(lblTotSale);
    return area;
}

QLabel *fmShowOrder::addLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    // Names, addresses and products are shown as typed, never read as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *fmShowOrder::addButton(QWidget *parent, const QString &name, const QString &caption,
                                    void (fmShowOrder::*handler)())
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void fmShowOrder::Form_Load(const ShowOrderInputs &inputs)
{
    lblOrdNum->setText(QString::number(inputs.orderNum));
    lblCust->setText(inputs.customer);
    lblOrderStatus->setText(OrderView::statusWord(inputs.statusCode));
    txtComments->setPlainText(inputs.comments);
    (inputs.orderType == QLatin1String("P") ? optParty : optReorder)->setChecked(true);
    // The order type and the out-of-town flag are shown, not changed.
    Frame1->setEnabled(false);
    Frame2->setEnabled(false);

    m_loadStatus = m_model->setQuery(Database::connection(), OrderView::linesQuery(), {inputs.orderNum});
    Status read;
    m_details = OrderView::readDetails(*m_model, &read);
    if (m_loadStatus)
        m_loadStatus = read;

    lblDate->setText(m_details.orderDate);
    lblAddress->setText(m_details.address);
    lblPhone->setText(m_details.phone);
    lblEmail->setText(m_details.email);
    lblCustNum->setText(m_details.found ? QString::number(m_details.custNum) : QString());
    chkOutofTown->setChecked(m_details.outOfTown);
    showTotals(inputs);
}

void fmShowOrder::showTotals(const ShowOrderInputs &inputs)
{
    medaddcosts->setText(shownMoney(inputs.addCosts));
    meddiscounts->setText(shownMoney(inputs.discounts));

    std::vector<Pricing::StoredLine> lines;
    lines.reserve(m_details.lines.size());
    for (const OrderView::Line &line : m_details.lines)
        lines.push_back({line.quantity, line.cost});
    const Settings &settings = Settings::current();
    const Pricing::Rates rates{settings.TaxRate, settings.ShippingRate, settings.ShippingOOTRate};
    const std::optional<Pricing::ViewTotals> totals =
        Pricing::viewTotals(lines, rates, m_details.outOfTown, inputs.addCosts, inputs.discounts);
    if (!totals) {
        // Beyond what the figures can hold: nothing is shown rather than a wrong amount.
        for (QLabel *label : {lblsubtotal, lblTax, lblShipping, lblTotSale, lblTotItems})
            label->clear();
        return;
    }
    lblsubtotal->setText(shownMoney(totals->subtotal));
    lblTax->setText(shownMoney(totals->tax));
    lblShipping->setText(shownMoney(totals->shipping));
    lblTotSale->setText(shownMoney(totals->total));
    lblTotItems->setText(QString::number(totals->totalItems));
}

void fmShowOrder::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_loadStatus || m_loadReported)
        return;
    m_loadReported = true;
    // Told once the form is on screen, so the message stands over it.
    QTimer::singleShot(0, this, [this] {
        Msg::show(this, QStringLiteral("The order could not be read.\n\n") + m_loadStatus.message(),
                  QStringLiteral("Show Order Details"), Msg::Buttons::Ok, Msg::Icon::Critical);
    });
}

void fmShowOrder::setPrinting(bool printing)
{
    QPalette sheet = palette();
    sheet.setColor(QPalette::Window, printing ? QColor(Qt::white) : QPalette().color(QPalette::Window));
    setPalette(sheet);
    for (QWidget *w : std::initializer_list<QWidget *>{cmPrint, cmCancel, cmEmail, Frame1})
        w->setVisible(!printing);
}

void fmShowOrder::cmPrint_Click()
{
    setPrinting(true);
    const Printer::Result printed = Printer::printWidget(this, QStringLiteral("Order ") + lblOrdNum->text());
    setPrinting(false);
    if (!printed.ok) {
        Msg::show(this, QStringLiteral("The order could not be printed.\n\n") + printed.error,
                  QStringLiteral("Print"), Msg::Buttons::Ok, Msg::Icon::Critical);
    }
}

void fmShowOrder::cmEmail_Click()
{
    // The e-mail is built from the order as stored now: the query runs again.
    lblinfo->clear();
    Status read = m_model->refresh();
    Status fetched;
    const OrderView::Details stored = OrderView::readDetails(*m_model, &fetched);
    if (read)
        read = fetched;
    if (!read) {
        Msg::show(this, QStringLiteral("The order could not be read.\n\n") + read.message(),
                  QStringLiteral("Send Email"), Msg::Buttons::Ok, Msg::Icon::Critical);
        return;
    }
    if (!stored.lines.empty())
        lbltemp->setText(OrderView::mailProduct(stored.lines.back().product));
    lblinfo->setText(OrderView::itemText(stored.lines));

    OrderView::Confirmation mail;
    mail.email = lblEmail->text();
    mail.orderCaption = Label1->text();
    mail.orderNum = lblOrdNum->text();
    mail.customer = lblCust->text();
    mail.address = lblAddress->text();
    mail.phone = lblPhone->text();
    mail.items = lblinfo->text();
    // The stored amounts as plain numbers (5 rather than $5.00), as the order holds them.
    mail.addCosts = stored.found ? TextRules::shortest(stored.addCosts.toDouble()) : medaddcosts->text();
    mail.discounts = stored.found ? TextRules::shortest(stored.discounts.toDouble()) : meddiscounts->text();
    mail.subtotal = lblsubtotal->text();
    mail.tax = lblTax->text();
    mail.shipping = lblShipping->text();
    mail.total = lblTotSale->text();
    mail.comments = stored.found ? stored.comments : txtComments->toPlainText();
    Navigate(OrderView::confirmation(mail));
}

void fmShowOrder::cmCancel_Click()
{
    reject();
}
