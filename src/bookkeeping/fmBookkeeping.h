#pragma once

#include "bookkeeping/Ledger.h"
#include "bookkeeping/Period.h"
#include "data/Database.h"
#include "data/Status.h"
#include "orders/fmShowOrder.h"
#include "shell/CsvSource.h"
#include "shell/Forms.h"

#include <QDate>
#include <QWidget>
#include <optional>
#include <utility>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class QueryModel;

// The order view's inputs for one row of the sales grid: the order's number,
// status, type, amounts and comments, and its customer's first and last name
// joined by one blank (empty when the customer record no longer exists).
ShowOrderInputs showOrderInputs(const QueryModel &sales, int row);

// "BookKeeping": the expenses and the closed orders of a period in two grids,
// with total expenses, total sales (order subtotals) and gross profit.
class fmBookkeeping : public QWidget, public Repaintable, public CsvSource
{
    Q_OBJECT
public:
    // `today` fixes the current year and month (the year lists' end and the
    // initial date range).
    explicit fmBookkeeping(QWidget *parent = nullptr, const QDate &today = QDate::currentDate());

    // Reads both grids and the three totals for the period shown.
    void Form_Paint() override;

    void cmUpdateDisplay_Click();
    void cmExpense_Click();
    void cmUpdate_Click();
    void optAll_Click();
    void optDate_Click();
    void cmbStartmm_Click();
    void cmbstartyr_Click();
    void cmbendmm_Click();
    void cmbendyr_Click();
    void DataGrid1_Click();
    void DataGrid1_DblClick();
    void DataGrid2_Click();
    void DataGrid2_DblClick();

    QSize sizeHint() const override;

    // Prints the screen as shown: the grids, the totals and the chart.
    void cmPrintChart_Click();
    QChartView *chartView() const { return chartSales; }

    // The sales and expenses of the period shown, for File, Export to CSV...
    QList<CsvExport::Query> csvQueries() const override;

    QueryModel *expensesModel() const { return m_expenses; }
    QueryModel *salesModel() const { return m_sales; }

    // First day, last day, and whether every closed order and expense is shown.
    QDate PeriodStart;
    QDate PeriodEnd;
    bool ShowAll = true;

protected:
    // Opens the order view over this screen for a double-clicked sale.
    virtual void showOrder(const ShowOrderInputs &inputs);
    bool event(QEvent *event) override;

private:
    void createLayout();
    QWidget *createPeriodPanel();
    QWidget *createTotalsPanel();
    void configureGrids();
    void fillLists();
    void setListsEnabled(bool enabled);
    Bookkeeping::Period shownPeriod() const;
    void reportFailure(const Status &status);
    // After a new read, the grid's current row: the expense the user was on
    // when it is among the rows read, else the first row.
    void keepExpense(int expenseNum);
    // Draws sales and expenses per month as bars, gross profit as a line.
    void fillChart(const QList<Bookkeeping::MonthTotals> &months);
    // The grid row the user is on; the first row when none is current.
    int currentRow(QTableView *grid) const;

    QDate m_today;
    bool m_painting = false;
    // What the last complete read showed: the screen is read again when it is
    // shown or activated only if the period or the data changed since.
    std::optional<std::pair<Database::ChangeMark, Bookkeeping::Period>> m_shown;
    QTableView *DataGrid1 = nullptr;
    QTableView *DataGrid2 = nullptr;
    QueryModel *m_expenses = nullptr;
    QueryModel *m_sales = nullptr;
    QRadioButton *optAll = nullptr;
    QRadioButton *optDate = nullptr;
    QComboBox *cmbStartmm = nullptr;
    QComboBox *cmbstartyr = nullptr;
    QComboBox *cmbendmm = nullptr;
    QComboBox *cmbendyr = nullptr;
    QPushButton *cmUpdateDisplay = nullptr;
    QPushButton *cmExpense = nullptr;
    QPushButton *cmUpdate = nullptr;
    QLabel *lblTotExp = nullptr;
    QLabel *lblTotSales = nullptr;
    QLabel *lblNet = nullptr;
    QChartView *chartSales = nullptr;
};
