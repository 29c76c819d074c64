#pragma once

#include "orders/ItemLines.h"
#include "orders/Order.h"
#include "orders/OrderStore.h"
#include "orders/OrderTargets.h"
#include "shell/Forms.h"

#include <QDialog>
#include <optional>

class MaskedEdit;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

// Where the two order forms differ in names, captions and texts.
struct OrderFormConfig
{
    QString name;                 // "fmAddOrder"
    QString caption;              // "Add Order"
    QString callingForm;          // the product picker's code for this form: "A", or "U"
    ItemLinesTexts lines;
    QString dateCaption;          // "Date:"
    QString typeLabelName;        // "Label19"  ("Type of Order:")
    QString typeFrameName;        // "Frame1"
    QString commentsLabelName;    // "Label16"
    QString totItemsLabelName;    // "Label11"
    QString subtotalLabelName;    // "Label15_1"
    QString paidFrameName;        // "Frame2"
    QString paidLabelName;        // "Label15_0"
    QString updateTotalsName;     // "Command2"
    QString updateTotalsCaption;  // "Update Totals:"
    QString checkTitle;           // CheckOrder's title: "Error"
    QString reminderPrefix;       // "You now have "
    QString saveFailedText;       // what a failed Save tells the user before the cause
};

// What the new-order and the update-order forms share: the header's common
// boxes, the item lines, the totals panel (Picture1) that moves under them,
// the paid/closed options, and the behaviour of the lines, the quantity check,
// CheckOrder, CalcTotals and Save. A subclass adds its own header controls,
// loads its data, and says how its order is numbered, confirmed and stored.
//
// Repaint (first showing, and after each picker or message box over the form)
// runs CalcTotals.
class OrderForm : public QDialog, public Repaintable, public OrderLinesTarget
{
    Q_OBJECT
public:
    ~OrderForm() override;

    ItemLines *lines() const { return m_lines; }
    int LastRow() const { return m_lines->LastRow(); }

    // OrderLinesTarget: the product picker's OK.
    void fillLine(int index, const PickedProduct &product) override;
    // Repaintable.
    void Form_Paint() override;

    // "O" or "C": the status Save stores.
    QString OrderStatus = Orders::Open;
    // "N" before CheckOrder runs, "Y" when it found a problem.
    QString DataError = QStringLiteral("N");

    // Shows each problem of the order (see OrderEntry::checkOrder) and sets
    // DataError; true when there was none.
    bool CheckOrder();
    // Computes the line totals and the order's figures into the form; false
    // (and nothing changed) when they cannot be computed.
    bool CalcTotals();

    // The handlers, public so that tools and tests can run them as a click would.
    void cmGetProduct_Click(int index);
    void cmInsertrow_Click();
    void txtDelete_Click(int index);
    void txtQty_Validate(int index);
    void chkOutofTown_Click();
    void optyes_Click();
    void optNo_Click();
    void cmSave_Click();
    void cmCancel_Click();

protected:
    OrderForm(const OrderFormConfig &config, QWidget *parent);

    // The header grid: row 0 "Order #:" and the date, row 1 "Customer:" (its
    // value cells, columns 1 to 3, are the subclass's), row 2 the address, row 3
    // phone and e-mail. Captions are in columns 0 and 2, values in 1 and 3.
    // A subclass may add cells and rows.
    QGridLayout *headerGrid() const { return m_header; }
    // A caption, and a value label framed like the boxes around it, for a
    // subclass's own header cells.
    QLabel *createCaption(const QString &name, const QString &text);
    QLabel *createValueLabel(const QString &name, int minWidth);

    // The update-totals button ("Update Totals:" / "Update Totals"); computes the totals.
    virtual void updateTotals_Click();
    // Whether the product picker may open (the new-order form first checks
    // that there are products).
    virtual bool productPickerAllowed() { return true; }
    // The number the order is stored under; tells the user when there is none.
    virtual std::optional<int> numberToStore() = 0;
    // A last question before storing (the update form asks "Update record?").
    virtual bool confirmSave() { return true; }
    // Stores the order in one transaction.
    virtual OrderStore::SaveResult store(const Orders::Order &order) = 0;

    void showEvent(QShowEvent *event) override;

    // The order as the form holds it, once every check has passed; the checks'
    // messages are shown and nothing is returned otherwise.
    std::optional<Orders::Order> prepareOrder();

    const OrderFormConfig &config() const { return m_config; }

    // Shared controls (objectNames as the forms' designs name them).
    QLabel *lblOrdNum = nullptr;
    MaskedEdit *medDate = nullptr;
    QLabel *lblAddress = nullptr;
    QLabel *lblPhone = nullptr;
    QLabel *lblEmail = nullptr;
    QLabel *lblCustNum = nullptr;     // hidden
    QRadioButton *optParty = nullptr;
    QRadioButton *optReorder = nullptr;
    QWidget *Picture1 = nullptr;
    QCheckBox *chkOutofTown = nullptr;
    QLineEdit *txtComments = nullptr;
    MaskedEdit *medaddcosts = nullptr;
    MaskedEdit *meddiscounts = nullptr;
    QLabel *lblTotItems = nullptr;
    QLabel *lblsubtotal = nullptr;
    QLabel *lblTax = nullptr;
    QLabel *lblShipping = nullptr;
    QLabel *lblTotSale = nullptr;
    QRadioButton *optyes = nullptr;
    QRadioButton *optNo = nullptr;
    QPushButton *cmUpdateTotals = nullptr;
    QPushButton *cmSave = nullptr;
    QPushButton *cmCancel = nullptr;

private:
    void createHeader();
    void createTotalsPanel();
    void createLayout();
    void connectHandlers();
    void reportSaveFailure(const Status &status);
    void showReminders(const std::vector<Orders::ReorderReminder> &reminders);

    OrderFormConfig m_config;
    ItemLines *m_lines = nullptr;
    QScrollArea *m_scroll = nullptr;
    QGridLayout *m_header = nullptr;
    QGroupBox *m_typeFrame = nullptr;
    bool m_saving = false;
    bool m_stored = false;
};
