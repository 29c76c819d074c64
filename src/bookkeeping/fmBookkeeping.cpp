#include "bookkeeping/fmBookkeeping.h"

#include "bookkeeping/ExpenseForms.h"
#include "bookkeeping/Ledger.h"
#include "data/Database.h"
#include "data/QueryModel.h"
#include "data/TextRules.h"
#include "shell/Messages.h"
#include "shell/Printer.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString TotalsFormat = QStringLiteral("$##0.00");
const QString GridMoneyFormat = QStringLiteral("$#,##0.00");
// The most months the chart labels one by one.
constexpr int ReadableMonths = 36;

QString dateText(const QVariant &stored)
{
    const QDate d = TextRules::fromStoredDate(stored.toString());
    return d.isValid() ? TextRules::toUsDate(d) : stored.toString();
}

QString moneyText(const QVariant &units)
{
    return units.isNull() ? QString() : TextRules::format(Money::fromUnits(units.toLongLong()), GridMoneyFormat);
}

QLabel *label(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QComboBox *list(QWidget *parent, const QString &name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumContentsLength(4);
    return combo;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

ShowOrderInputs showOrderInputs(const QueryModel &sales, int row)
{
    ShowOrderInputs in;
    in.orderNum = sales.value(row, "order_num").toInt();
    if (sales.value(row, "customer_found").toInt() == 1)
        in.customer = sales.value(row, "first_name").toString() + QLatin1Char(' ')
                      + sales.value(row, "last_name").toString();
    in.statusCode = sales.value(row, "order_status").toString();
    in.addCosts = Money::fromUnits(sales.value(row, "add_costs").toLongLong());
    in.discounts = Money::fromUnits(sales.value(row, "discounts").toLongLong());
    in.comments = sales.value(row, "comments").toString();
    in.orderType = sales.value(row, "order_type").toString();
    return in;
}

fmBookkeeping::fmBookkeeping(QWidget *parent, const QDate &today) : QWidget(parent), m_today(today)
{
    setObjectName("fmBookkeeping");
    setWindowTitle("BookKeeping");
    m_expenses = new QueryModel(this);
    m_sales = new QueryModel(this);
    createLayout();
    configureGrids();
    fillLists();
}

void fmBookkeeping::createLayout()
{
    auto *outer = new QHBoxLayout(this);
    auto *grids = new QVBoxLayout;
    grids->addWidget(label(this, "Label1", "Expenses:"));
    DataGrid1 = new QTableView(this);
    DataGrid1->setObjectName("DataGrid1");
    grids->addWidget(DataGrid1, 1);
    grids->addSpacing(6);
    grids->addWidget(label(this, "Label2", "Income:"));
    DataGrid2 = new QTableView(this);
    DataGrid2->setObjectName("DataGrid2");
    grids->addWidget(DataGrid2, 1);
    grids->addWidget(label(this, "Label14", "* Note: Only Closed orders will be processed as income."));
    chartSales = new QChartView(this);
    chartSales->setObjectName("chartSales");
    chartSales->setRenderHint(QPainter::Antialiasing);
    chartSales->setMinimumHeight(240);
    grids->addWidget(chartSales, 1);
    outer->addLayout(grids, 1);

    auto *side = new QVBoxLayout;
    side->addWidget(createPeriodPanel());
    cmUpdateDisplay = button(this, "cmUpdateDisplay", "Update Display");
    side->addWidget(cmUpdateDisplay);
    side->addSpacing(12);
    cmExpense = button(this, "cmExpense", "Add Expense");
    cmUpdate = button(this, "cmUpdate", "Update Expense");
    cmUpdate->setEnabled(false);
    side->addWidget(cmExpense);
    side->addWidget(cmUpdate);
    side->addSpacing(12);
    side->addWidget(createTotalsPanel());
    auto *printChart = button(this, "cmPrintChart", "Print Chart");
    connect(printChart, &QPushButton::clicked, this, &fmBookkeeping::cmPrintChart_Click);
    side->addWidget(printChart);
    side->addStretch(1);
    outer->addLayout(side);

    connect(cmUpdateDisplay, &QPushButton::clicked, this, &fmBookkeeping::cmUpdateDisplay_Click);
    connect(cmExpense, &QPushButton::clicked, this, &fmBookkeeping::cmExpense_Click);
    connect(cmUpdate, &QPushButton::clicked, this, &fmBookkeeping::cmUpdate_Click);
    connect(DataGrid1, &QTableView::clicked, this, &fmBookkeeping::DataGrid1_Click);
    connect(DataGrid1, &QTableView::doubleClicked, this, &fmBookkeeping::DataGrid1_DblClick);
    connect(DataGrid2, &QTableView::clicked, this, &fmBookkeeping::DataGrid2_Click);
    connect(DataGrid2, &QTableView::doubleClicked, this, &fmBookkeeping::DataGrid2_DblClick);
}

QWidget *fmBookkeeping::createPeriodPanel()
{
    auto *panel = new QWidget(this);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *frame = new QFrame(panel);
    frame->setObjectName("Frame1");
    frame->setFrameShape(QFrame::StyledPanel);
    auto *options = new QVBoxLayout(frame);
    optAll = new QRadioButton("Show All", frame);
    optAll->setObjectName("optAll");
    optAll->setChecked(true);
    optDate = new QRadioButton("Show Date Range:", frame);
    optDate->setObjectName("optDate");
    options->addWidget(optAll);
    options->addWidget(optDate);
    layout->addWidget(frame);

    auto *range = new QGridLayout;
    cmbStartmm = list(panel, "cmbStartmm");
    cmbstartyr = list(panel, "cmbstartyr");
    cmbendmm = list(panel, "cmbendmm");
    cmbendyr = list(panel, "cmbendyr");
    range->addWidget(label(panel, "Label8", "From:"), 0, 0, 1, 2);
    range->addWidget(label(panel, "Label9", "Month"), 1, 0);
    range->addWidget(label(panel, "Label10", "Year"), 1, 1);
    range->addWidget(cmbStartmm, 2, 0);
    range->addWidget(cmbstartyr, 2, 1);
    range->addWidget(label(panel, "Label13", "To:"), 3, 0, 1, 2);
    range->addWidget(label(panel, "Label11", "Month"), 4, 0);
    range->addWidget(label(panel, "Label12", "Year"), 4, 1);
    range->addWidget(cmbendmm, 5, 0);
    range->addWidget(cmbendyr, 5, 1);
    range->setRowMinimumHeight(3, 28);
    range->setContentsMargins(8, 0, 0, 0);
    layout->addLayout(range);

    connect(optAll, &QRadioButton::clicked, this, &fmBookkeeping::optAll_Click);
    connect(optDate, &QRadioButton::clicked, this, &fmBookkeeping::optDate_Click);
    return panel;
}

QWidget *fmBookkeeping::createTotalsPanel()
{
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QGridLayout(panel);
    const auto value = [panel](const QString &name) {
        auto *l = label(panel, name, QString());
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumWidth(100);
        return l;
    };
    lblTotExp = value("lblTotExp");
    lblTotSales = value("lblTotSales");
    lblNet = value("lblNet");
    QFont bold = lblNet->font();
    bold.setBold(true);
    lblNet->setFont(bold);
    layout->addWidget(label(panel, "Label3", "Total Expenses:"), 0, 0);
    layout->addWidget(lblTotExp, 0, 1);
    layout->addWidget(label(panel, "Label4", "Total Sales:"), 1, 0);
    layout->addWidget(lblTotSales, 1, 1);
    auto *net = label(panel, "Label6", "Gross Profit:");
    net->setFont(bold);
    layout->addWidget(net, 2, 0);
    layout->addWidget(lblNet, 2, 1);
    return panel;
}

void fmBookkeeping::configureGrids()
{
    m_expenses->setColumns({
        {"Expense Date", "expense_date", dateText},
        {"Expense Amt", "expense_amt", moneyText},
        {"Expense Desc", "expense_desc"},
    });
    m_sales->setColumns({
        {"Order #", "order_num"},
        {"Order Date", "order_date", dateText},
        {"Party/Reorder", "order_type"},
        {"Total    (less tax + shipping)", "subtotal", moneyText},
        {"Close Date", "close_date", dateText},
    });
    for (auto [grid, model] : {std::pair{DataGrid1, m_expenses}, std::pair{DataGrid2, m_sales}}) {
        grid->setModel(model);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setAlternatingRowColors(true);
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        grid->setMinimumSize(600, 180);
    }
}

void fmBookkeeping::fillLists()
{
    const Bookkeeping::EarliestYear earliest = Bookkeeping::earliestYear(Database::connection());
    if (!earliest.status)
        reportFailure(earliest.status);
    const QStringList months = Bookkeeping::monthItems();
    const QStringList years = Bookkeeping::yearItems(earliest.year, m_today.year());
    cmbStartmm->addItems(months);
    cmbendmm->addItems(months);
    cmbstartyr->addItems(years);
    cmbendyr->addItems(years);

    // This year to date, shown in the four lists.
    const Bookkeeping::Period range = Bookkeeping::yearToDate(m_today);
    PeriodStart = range.start;
    PeriodEnd = range.end;
    cmbStartmm->setCurrentText(TextRules::toUsDate(PeriodStart).left(2));
    cmbstartyr->setCurrentText(QString::number(PeriodStart.year()));
    cmbendmm->setCurrentText(TextRules::toUsDate(PeriodEnd).left(2));
    cmbendyr->setCurrentText(QString::number(PeriodEnd.year()));
    setListsEnabled(false);

    connect(cmbStartmm, &QComboBox::currentIndexChanged, this, &fmBookkeeping::cmbStartmm_Click);
    connect(cmbstartyr, &QComboBox::currentIndexChanged, this, &fmBookkeeping::cmbstartyr_Click);
    connect(cmbendmm, &QComboBox::currentIndexChanged, this, &fmBookkeeping::cmbendmm_Click);
    connect(cmbendyr, &QComboBox::currentIndexChanged, this, &fmBookkeeping::cmbendyr_Click);
}

void fmBookkeeping::setListsEnabled(bool enabled)
{
    for (QComboBox *combo : {cmbStartmm, cmbstartyr, cmbendmm, cmbendyr})
        combo->setEnabled(enabled);
}

QSize fmBookkeeping::sizeHint() const
{
    // Room for every grid column and a dozen rows in each grid.
    return QWidget::sizeHint().expandedTo(QSize(900, 640));
}

void fmBookkeeping::reportFailure(const Status &status)
{
    Msg::show(this, QStringLiteral("The bookkeeping figures could not be read.\n\n") + status.message(),
              QStringLiteral("Error"), Msg::Buttons::Ok, Msg::Icon::Critical);
}

bool fmBookkeeping::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Show && !event->spontaneous())
        Form_Paint();
    else if (event->type() == QEvent::WindowActivate && isWindow())
        Form_Paint();
    return handled;
}

Bookkeeping::Period fmBookkeeping::shownPeriod() const
{
    return ShowAll ? Bookkeeping::Period::everything() : Bookkeeping::Period::between(PeriodStart, PeriodEnd);
}

QList<CsvExport::Query> fmBookkeeping::csvQueries() const
{
    return Bookkeeping::periodCsv(shownPeriod());
}

void fmBookkeeping::Form_Paint()
{
    // A failure message closing over the screen repaints it; read once.
    if (m_painting)
        return;
    const QScopedValueRollback painting(m_painting, true);
    const Bookkeeping::Period period = shownPeriod();
    const std::pair current{Database::changeMark(), period};
    if (m_shown == current)
        return;
    m_shown.reset();
    QSqlDatabase db = Database::connection();

    const int expenseNum = m_expenses->value(currentRow(DataGrid1), "expense_num").toInt();
    const Bookkeeping::Query expenses = Bookkeeping::expensesQuery(period);
    bool gridsRead = true;
    if (Status s = m_expenses->setQuery(db, expenses.sql, expenses.values); !s) {
        gridsRead = false;
        reportFailure(s);
    }
    const Bookkeeping::Query sales = Bookkeeping::salesQuery(period);
    if (Status s = m_sales->setQuery(db, sales.sql, sales.values); !s) {
        gridsRead = false;
        reportFailure(s);
    }
    keepExpense(expenseNum);

    const Bookkeeping::Totals totals = Bookkeeping::totals(db, period);
    if (!totals.status) {
        for (QLabel *l : {lblTotSales, lblTotExp, lblNet})
            l->clear();
        reportFailure(totals.status);
        return;
    }
    lblTotSales->setText(TextRules::format(totals.sales, TotalsFormat));
    lblTotExp->setText(TextRules::format(totals.expenses, TotalsFormat));
    lblNet->setText(TextRules::format(totals.grossProfit(), TotalsFormat));

    const Bookkeeping::Monthly monthly = Bookkeeping::monthlyTotals(db, period);
    if (!monthly.status) {
        fillChart({});
        reportFailure(monthly.status);
        return;
    }
    fillChart(monthly.months);
    if (gridsRead)
        m_shown = current;
}

void fmBookkeeping::fillChart(const QList<Bookkeeping::MonthTotals> &months)
{
    auto *chart = new QChart;
    chart->setTitle("Sales and expenses per month");
    auto *sales = new QBarSet("Sales");
    auto *expenses = new QBarSet("Expenses");
    auto *bars = new QBarSeries;
    bars->setObjectName("seriesSalesExpenses");
    auto *profit = new QLineSeries;
    profit->setObjectName("seriesGrossProfit");
    profit->setName("Gross Profit");
    profit->setPen(QPen(QColor(0xc0, 0x39, 0x2b), 3));
    // Beyond a few years the months are too narrow for a point or a label each:
    // the line alone, and the first and last month in the chart's title.
    const bool fewMonths = months.size() <= ReadableMonths;
    profit->setPointsVisible(fewMonths);
    QStringList categories;
    double low = 0, high = 0;
    for (int i = 0; i < months.size(); ++i) {
        const auto &m = months[i];
        const QDate first = QDate::fromString(m.month + "-01", Qt::ISODate);
        categories << (first.isValid() ? QLocale().toString(first, "MMM yyyy") : QStringLiteral("No date"));
        *sales << m.sales.toDouble();
        *expenses << m.expenses.toDouble();
        profit->append(i, m.grossProfit().toDouble());
        low = std::min({low, m.sales.toDouble(), m.expenses.toDouble(), m.grossProfit().toDouble()});
        high = std::max({high, m.sales.toDouble(), m.expenses.toDouble(), m.grossProfit().toDouble()});
    }
    bars->append(sales);
    bars->append(expenses);
    chart->addSeries(bars);
    chart->addSeries(profit);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    if (!fewMonths) {
        x->setLabelsVisible(false);
        chart->setTitle(chart->title() + QStringLiteral(", ") + categories.first() + QStringLiteral(" to ")
                        + categories.last());
    }
    auto *y = new QValueAxis;
    y->setRange(low, high > low ? high : low + 1);
    y->applyNiceNumbers();
    y->setLabelFormat("$%.0f");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(bars), static_cast<QAbstractSeries *>(profit)}) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    QChart *old = chartSales->chart();
    chartSales->setChart(chart);
    delete old;
}

void fmBookkeeping::cmPrintChart_Click()
{
    const Printer::Result printed = Printer::printWidget(this, "Bookkeeping chart");
    if (!printed.ok)
        Msg::show(this, "The chart could not be printed.\n\n" + printed.error, "Print", Msg::Buttons::Ok,
                  Msg::Icon::Critical);
}

void fmBookkeeping::keepExpense(int expenseNum)
{
    // The grid shows its first row after a new read, unless the expense the
    // user was on is still among the rows read.
    int row = 0;
    for (int r = 0; r < m_expenses->rowCount(); ++r) {
        if (m_expenses->value(r, "expense_num").toInt() == expenseNum) {
            row = r;
            break;
        }
    }
    // Current without being highlighted: the highlight follows a click.
    if (m_expenses->rowCount() > 0)
        DataGrid1->selectionModel()->setCurrentIndex(m_expenses->index(row, 0), QItemSelectionModel::NoUpdate);
}

int fmBookkeeping::currentRow(QTableView *grid) const
{
    const QModelIndex current = grid->currentIndex();
    return current.isValid() ? current.row() : 0;
}

void fmBookkeeping::cmUpdateDisplay_Click()
{
    Form_Paint();
}

void fmBookkeeping::optAll_Click()
{
    setListsEnabled(false);
    ShowAll = true;
}

void fmBookkeeping::optDate_Click()
{
    setListsEnabled(true);
    ShowAll = false;
}

void fmBookkeeping::cmbStartmm_Click()
{
    PeriodStart = Bookkeeping::monthStart(cmbStartmm->currentText(), cmbstartyr->currentText()).value_or(PeriodStart);
}

void fmBookkeeping::cmbstartyr_Click()
{
    cmbStartmm_Click();
}

void fmBookkeeping::cmbendmm_Click()
{
    PeriodEnd = Bookkeeping::monthEnd(cmbendmm->currentText(), cmbendyr->currentText()).value_or(PeriodEnd);
}

void fmBookkeeping::cmbendyr_Click()
{
    cmbendmm_Click();
}

void fmBookkeeping::DataGrid1_Click()
{
    if (m_expenses->rowCount() == 0)
        return;
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataGrid1->selectRow(currentRow(DataGrid1));
    if (DataGrid1->currentIndex().isValid())
        cmUpdate->setEnabled(true);
}

void fmBookkeeping::DataGrid1_DblClick()
{
    if (m_expenses->rowCount() > 0 && DataGrid1->currentIndex().isValid())
        cmUpdate_Click();
}

void fmBookkeeping::DataGrid2_Click()
{
    DataGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    if (DataGrid2->currentIndex().isValid())
        DataGrid2->selectRow(DataGrid2->currentIndex().row());
}

void fmBookkeeping::DataGrid2_DblClick()
{
    if (m_sales->rowCount() == 0)
        return;
    showOrder(showOrderInputs(*m_sales, currentRow(DataGrid2)));
}

void fmBookkeeping::cmExpense_Click()
{
    Forms::showModal(this, new fmAddExpense(this));
}

void fmBookkeeping::cmUpdate_Click()
{
    if (m_expenses->rowCount() == 0)
        return;
    const int row = currentRow(DataGrid1);
    StoredExpense stored;
    stored.number = m_expenses->value(row, "expense_num").toInt();
    stored.expense.description = m_expenses->value(row, "expense_desc").toString();
    stored.expense.amount = Money::fromUnits(m_expenses->value(row, "expense_amt").toLongLong());
    stored.expense.date = TextRules::fromStoredDate(m_expenses->value(row, "expense_date").toString());
    auto *form = new fmUpdateExpense(stored, this);
    connect(form, &fmUpdateExpense::closedThroughButtons, cmUpdate, [this] { cmUpdate->setEnabled(false); });
    Forms::showModal(this, form);
}

void fmBookkeeping::showOrder(const ShowOrderInputs &inputs)
{
    Forms::showModal(this, new fmShowOrder(inputs, this));
}
