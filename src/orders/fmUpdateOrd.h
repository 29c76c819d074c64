#pragma once

#include "data/Money.h"
#include "orders/OrderForm.h"

#include <optional>

class MaskedEdit;
class QLabel;

// "Update Order For: <customer>": a stored open order is changed and saved
// over the stored one, or closed (delivered and paid) with the stock taken
// off. The stored order is read once, when the form is first shown, so what
// the user changes survives the pickers and messages over the form. Open it
// with Forms::showModal; it closes itself after storing.
class fmUpdateOrd : public OrderForm
{
    Q_OBJECT
public:
    // The order list hands over the order's number and its customer's name.
    fmUpdateOrd(int orderNum, const QString &customer, QWidget *parent = nullptr);

    // Set until the first repaint has loaded the stored order.
    bool FirstPaint = true;

    // Repaint: loads the stored order the first time, then computes the totals
    // and sets the caption.
    void Form_Paint() override;
    void cmUpdate_totals_Click();

protected:
    void updateTotals_Click() override { cmUpdate_totals_Click(); }
    std::optional<int> numberToStore() override;
    bool confirmSave() override;
    OrderStore::SaveResult store(const Orders::Order &order) override;

private:
    void Form_Load();
    void loadOrder();
    static void showAmount(MaskedEdit *box, Money value);

    int m_orderNum = 0;
    bool m_loaded = false;   // the stored order was read
    QLabel *lblCust = nullptr;
    QLabel *lblStatus = nullptr;
};
