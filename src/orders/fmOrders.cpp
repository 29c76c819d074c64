#include "orders/fmOrders.h"

#include "data/Database.h"
#include "data/KeyNumbering.h"
#include "data/QueryModel.h"
#include "data/TextRules.h"
#include "orders/OrderStore.h"
#include "orders/OrderUi.h"
#include "orders/fmAddOrder.h"
#include "orders/fmShowOrder.h"
#include "orders/fmUpdateOrd.h"
#include "shell/DataGrid.h"
#include "shell/Messages.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

using OrderQueries::ListOrder;

namespace {

fmOrders::ShowOrderOpener &showOrderOpener()
{
    static fmOrders::ShowOrderOpener opener = [](const ShowOrderInputs &inputs, QWidget *parent) {
        return new fmShowOrder(inputs, parent);
    };
    return opener;
}

fmOrders::UpdateOrderOpener &updateOrderOpener()
{
    static fmOrders::UpdateOrderOpener opener = [](int orderNum, const QString &customer, QWidget *parent) {
        return new fmUpdateOrd(orderNum, customer, parent);
    };
    return opener;
}

QString usDate(const QVariant &stored)
{
    return TextRules::toUsDate(TextRules::fromStoredDate(stored.toString()));
}

} // namespace

void fmOrders::setShowOrderForm(ShowOrderOpener opener) { showOrderOpener() = std::move(opener); }
void fmOrders::setUpdateOrderForm(UpdateOrderOpener opener) { updateOrderOpener() = std::move(opener); }

fmOrders::fmOrders(QWidget *parent) : QWidget(parent)
{
    setObjectName("fmOrders");
    setWindowTitle("Orders");
    m_model = new QueryModel(this);
    m_model->setColumns({{QStringLiteral("Order Date"), QStringLiteral("order_date"), usDate},
                         {QStringLiteral("Customer"), QStringLiteral("customer")},
                         {QStringLiteral("Order Number"), QStringLiteral("order_num")},
                         {QStringLiteral("Party/Re-Order"), QStringLiteral("order_type")}});
    createLayout();
    // The list is read when the screen is shown: open orders, newest first.
}

void fmOrders::createLayout()
{
    auto *heading = new QLabel(QStringLiteral("Orders:"), this);
    heading->setObjectName("Label1");
    QFont font = heading->font();
    font.setPointSize(font.pointSize() + 6);
    font.setBold(true);
    heading->setFont(font);

    DataGrid1 = createDataGrid(this, m_model);
    DataGrid1->setToolTip(QStringLiteral("Click on item to display order data"));
    DataGrid1->horizontalHeader()->setStretchLastSection(false);
    DataGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    DataGrid1->setColumnWidth(0, 100);
    DataGrid1->setColumnWidth(2, 110);
    DataGrid1->setColumnWidth(3, 120);
    DataGrid1->setMinimumSize(580, 320);
    connect(DataGrid1, &QTableView::clicked, this, [this] { DataGrid1_Click(); });
    connect(DataGrid1, &QTableView::doubleClicked, this, [this] { DataGrid1_DblClick(); });

    const auto option = [](QWidget *frame, const char *name, const char *text) {
        auto *o = new QRadioButton(QString::fromLatin1(text), frame);
        o->setObjectName(name);
        frame->layout()->addWidget(o);
        return o;
    };
    auto *display = new QGroupBox(QStringLiteral("Display:"), this);
    display->setObjectName("Frame2");
    new QVBoxLayout(display);
    optOpen = option(display, "optOpen", "Open Orders");
    optClosed = option(display, "optClosed", "Closed Orders");
    optDeleted = option(display, "optDeleted", "Deleted Orders");
    optOpen->setChecked(true);
    auto *sort = new QGroupBox(QStringLiteral("Sort By:"), this);
    sort->setObjectName("Frame1");
    new QVBoxLayout(sort);
    optDate = option(sort, "optDate", "Date");
    optName = option(sort, "optName", "Last Name");
    optDate->setChecked(true);
    for (QRadioButton *o : {optOpen, optClosed, optDeleted})
        connect(o, &QRadioButton::clicked, this, &fmOrders::statusOption_Click);
    connect(optDate, &QRadioButton::clicked, this, &fmOrders::optDate_Click);
    connect(optName, &QRadioButton::clicked, this, &fmOrders::optName_Click);

    const auto button = [this](const char *name, const char *text, void (fmOrders::*handler)()) {
        auto *b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    cmNew = button("cmNew", "New", &fmOrders::cmNew_Click);
    cmDetails = button("cmDetails", "Details:", &fmOrders::cmDetails_Click);
    cmUpdate = button("cmUpdate", "Update", &fmOrders::cmUpdate_Click);
    cmDelete = button("cmDelete", "Delete Order", &fmOrders::cmDelete_Click);
    setRowButtons(false, false);

    auto *side = new QVBoxLayout;
    side->addWidget(display);
    side->addWidget(sort);
    side->addSpacing(12);
    for (QPushButton *b : {cmNew, cmDetails, cmUpdate, cmDelete})
        side->addWidget(b);
    side->addStretch(1);

    auto *left = new QVBoxLayout;
    left->addWidget(heading);
    left->addWidget(DataGrid1, 1);

    auto *outer = new QHBoxLayout(this);
    outer->addLayout(left, 1);
    outer->addSpacing(8);
    outer->addLayout(side);
}

void fmOrders::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Form_Paint();
}

QString fmOrders::statusCode() const
{
    if (optOpen->isChecked())
        return Orders::Open;
    if (optClosed->isChecked())
        return Orders::Closed;
    if (optDeleted->isChecked())
        return Orders::Deleted;
    return {};
}

void fmOrders::sortList(ListOrder order)
{
    const QString code = statusCode();
    if (code.isEmpty()) {
        runQuery();
        return;
    }
    readList([&] { return m_model->setQuery(Database::connection(), OrderQueries::orderList(order), {code}); });
}

void fmOrders::runQuery()
{
    readList([&] { return m_model->refresh(); });
}

void fmOrders::readList(const std::function<Status()> &read)
{
    // The failure message repaints the screen as it closes, which reads again: while
    // the file keeps failing that would be one message after another. Read once.
    if (m_reading)
        return;
    const QScopedValueRollback reading(m_reading, true);
    if (const Status s = read(); !s)
        OrderUi::reportFailure(this, QStringLiteral("The orders could not be read."), s);
    if (m_highlight)
        selectGridRow(DataGrid1, 0);
}

void fmOrders::refresh_table()
{
    optDate_Click();
}

void fmOrders::Form_Paint()
{
    // The sort option stays as it is: after a repaint the list is in date order.
    optDate_Click();
}

void fmOrders::optDate_Click()
{
    sortList(ListOrder::Date);
}

void fmOrders::optName_Click()
{
    sortList(ListOrder::LastName);
}

void fmOrders::statusOption_Click()
{
    optDate_Click();
    if (!optDate->isChecked()) {
        optDate->setChecked(true);
        optDate_Click();
    }
    setRowButtons(false, false);
}

void fmOrders::setRowButtons(bool details, bool updateAndDelete)
{
    cmDetails->setEnabled(details);
    cmUpdate->setEnabled(updateAndDelete);
    cmDelete->setEnabled(updateAndDelete);
}

std::optional<int> fmOrders::currentRow() const
{
    const int row = currentGridRow(DataGrid1);
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

void fmOrders::DataGrid1_Click()
{
    if (!currentRow())
        return;
    m_highlight = true;
    // Closed and deleted orders can only be viewed.
    const bool open = optOpen->isChecked();
    setRowButtons(true, open);
}

void fmOrders::DataGrid1_DblClick()
{
    if (currentRow())
        cmDetails_Click();
}

void fmOrders::cmNew_Click()
{
    const QString title = QStringLiteral("Order Error");
    const std::optional<bool> customers = OrderUi::hasRows(this, OrderQueries::Table::Customer);
    if (!customers)
        return;
    if (!*customers) {
        Msg::show(this, QStringLiteral("You must enter a customer before making an order."), title);
        return;
    }
    const std::optional<bool> products = OrderUi::hasRows(this, OrderQueries::Table::Inventory);
    if (!products)
        return;
    if (!*products) {
        Msg::show(this, QStringLiteral("You must enter inventory before making an order."), title);
        return;
    }
    // No order may be stored under a number past the highest one.
    const Keys::NewKey key = Keys::next(Database::connection(), Keys::Kind::Order);
    if (!key.status) {
        OrderUi::reportFailure(this, QStringLiteral("The order numbers could not be read."), key.status);
        return;
    }
    if (!key.number) {
        Msg::show(this,
                  QStringLiteral("No more order numbers are left: the highest order number is %1.  "
                                 "No new order can be taken.")
                      .arg(Keys::rule(Keys::Kind::Order).limit),
                  title, Msg::Buttons::Ok, Msg::Icon::Critical);
        return;
    }
    Forms::showModal(this, new fmAddOrder(this));
}

void fmOrders::cmDetails_Click()
{
    const std::optional<int> row = currentRow();
    if (!row || !showOrderOpener())
        return;
    const auto value = [&](const char *field) { return m_model->value(*row, field); };
    ShowOrderInputs inputs;
    inputs.orderNum = value("order_num").toInt();
    inputs.customer = value("first_name").toString() + QLatin1Char(' ') + value("last_name").toString();
    inputs.statusCode = value("order_status").toString();
    inputs.addCosts = Money::fromUnits(value("add_costs").toLongLong());
    inputs.discounts = Money::fromUnits(value("discounts").toLongLong());
    inputs.comments = value("comments").toString();
    inputs.orderType = value("order_type").toString();
    Forms::showModal(this, showOrderOpener()(inputs, this));
}

void fmOrders::cmUpdate_Click()
{
    const std::optional<int> row = currentRow();
    if (!row || !updateOrderOpener())
        return;
    const auto value = [&](const char *field) { return m_model->value(*row, field); };
    const QString customer = value("first_name").toString() + QLatin1Char(' ') + value("last_name").toString();
    Forms::showModal(this, updateOrderOpener()(value("order_num").toInt(), customer, this));
}

void fmOrders::cmDelete_Click()
{
    const std::optional<int> row = currentRow();
    if (!row)
        return;
    // The order is taken before the question: the list re-reads when the box closes.
    const int orderNum = m_model->value(*row, "order_num").toInt();
    if (Msg::show(this, QStringLiteral("Are you sure you want to delete this order?"), QStringLiteral("Delete?"),
                  Msg::Buttons::OkCancel)
        != Msg::Answer::Ok)
        return;
    if (const Status s = OrderStore::markDeleted(Database::connection(), orderNum); !s)
        OrderUi::reportFailure(this, QStringLiteral("The order could not be marked deleted."), s);
    // The list's steps afterwards: it ends on the selected status in date order.
    runQuery();
    if (!optName->isChecked()) {
        optName->setChecked(true);
        optName_Click();
    }
    optName_Click();
    statusOption_Click();
}
