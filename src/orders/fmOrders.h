#pragma once

#include "orders/OrderQueries.h"
#include "orders/fmShowOrder.h"
#include "shell/Forms.h"

#include <QWidget>
#include <functional>
#include <optional>

class QDialog;
class QPushButton;
class QRadioButton;
class QTableView;
class QueryModel;

// "Orders": the orders of one status (open, closed or deleted) sorted by date
// or last name; starts a new order, views or updates the selected one, marks
// an open order deleted. Repaint re-reads the list in date order.
class fmOrders : public QWidget, public Repaintable
{
    Q_OBJECT
public:
    explicit fmOrders(QWidget *parent = nullptr);

    // The forms this list opens for the selected order: the order view and the
    // update form unless replaced (tests put stand-ins here); with an empty
    // opener the button opens nothing.
    using ShowOrderOpener = std::function<QDialog *(const ShowOrderInputs &, QWidget *parent)>;
    using UpdateOrderOpener = std::function<QDialog *(int orderNum, const QString &customer, QWidget *parent)>;
    static void setShowOrderForm(ShowOrderOpener opener);
    static void setUpdateOrderForm(UpdateOrderOpener opener);

    QueryModel *model() const { return m_model; }

    // Re-runs the date-ordered query for the selected status.
    void refresh_table();
    void Form_Paint() override;

    void optDate_Click();
    void optName_Click();
    void statusOption_Click();   // optOpen, optClosed, optDeleted
    void DataGrid1_Click();
    void DataGrid1_DblClick();
    void cmNew_Click();
    void cmDetails_Click();
    void cmUpdate_Click();
    void cmDelete_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createLayout();
    // The selected status code; empty when no status option is selected.
    QString statusCode() const;
    // Runs the list's query for the selected status in `order` (only re-runs
    // the current query when no status is selected).
    void sortList(OrderQueries::ListOrder order);
    void runQuery();
    void readList(const std::function<Status()> &read);
    void setRowButtons(bool details, bool updateAndDelete);
    // The selected order's row, or nothing when the list is empty.
    std::optional<int> currentRow() const;

    QueryModel *m_model = nullptr;
    QTableView *DataGrid1 = nullptr;
    QRadioButton *optOpen = nullptr;
    QRadioButton *optClosed = nullptr;
    QRadioButton *optDeleted = nullptr;
    QRadioButton *optDate = nullptr;
    QRadioButton *optName = nullptr;
    QPushButton *cmNew = nullptr;
    QPushButton *cmDetails = nullptr;
    QPushButton *cmUpdate = nullptr;
    QPushButton *cmDelete = nullptr;
    bool m_reading = false;
    bool m_highlight = false;   // set by the first row click: the current row is shown highlighted
};
