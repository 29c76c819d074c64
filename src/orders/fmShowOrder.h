#pragma once

#include "data/Money.h"
#include "orders/OrderView.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QueryModel;

// What the opener of the order view hands it (the order list's selected row,
// or a sale of the bookkeeping screen).
struct ShowOrderInputs
{
    int orderNum = 0;
    QString customer;     // first name, one blank, last name
    QString statusCode;   // "O", "C", "D" (shown as a word)
    Money addCosts;
    Money discounts;
    QString comments;
    QString orderType;    // "P" selects Party, anything else Re-Order
};

// "Show Order Details": one stored order, read-only, with its totals computed
// afresh from today's costs and rates; prints the order sheet and starts the
// confirmation e-mail. Open it with Forms::showModal.
class fmShowOrder : public QDialog
{
    Q_OBJECT
public:
    explicit fmShowOrder(const ShowOrderInputs &inputs, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void cmPrint_Click();
    void cmEmail_Click();
    void cmCancel_Click();

    void createLayout();
    QWidget *createHeader();
    QWidget *createGridRow();
    QWidget *createUnderGrid();
    QWidget *createBottomRow();
    QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption = {});
    QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption,
                           void (fmShowOrder::*handler)());

    void Form_Load(const ShowOrderInputs &inputs);
    // Computes and shows the totals from the lines read, today's rates and the
    // amounts handed in.
    void showTotals(const ShowOrderInputs &inputs);
    // The white sheet without buttons and out-of-town box, or the form as it was.
    void setPrinting(bool printing);

    QueryModel *m_model = nullptr;
    OrderView::Details m_details;
    Status m_loadStatus;
    bool m_loadReported = false;

    QLabel *Label1 = nullptr;
    QLabel *lblOrdNum = nullptr;
    QLabel *lblDate = nullptr;
    QLabel *lblOrderStatus = nullptr;
    QLabel *lblCust = nullptr;
    QLabel *lblAddress = nullptr;
    QLabel *lblPhone = nullptr;
    QLabel *lblEmail = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *optParty = nullptr;
    QRadioButton *optReorder = nullptr;
    QTableView *DataGrid1 = nullptr;
    QPlainTextEdit *txtComments = nullptr;
    QLineEdit *medaddcosts = nullptr;
    QLineEdit *meddiscounts = nullptr;
    QLabel *lblsubtotal = nullptr;
    QLabel *lblTax = nullptr;
    QLabel *lblShipping = nullptr;
    QLabel *lblTotSale = nullptr;
    QLabel *lblTotItems = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCheckBox *chkOutofTown = nullptr;
    QPushButton *cmPrint = nullptr;
    QPushButton *cmEmail = nullptr;
    QPushButton *cmCancel = nullptr;
    QLabel *lblinfo = nullptr;
    QLabel *lbltemp = nullptr;
    QLabel *lblCustNum = nullptr;
};
