#pragma once

#include "data/KeyNumbering.h"
#include "orders/OrderForm.h"

#include <optional>

class QLineEdit;
class QPushButton;

// "Add Order": a new order is composed and stored, open or (when declared
// delivered and paid) closed with the stock taken off. Open it with
// Forms::showModal; it closes itself after storing.
class fmAddOrder : public OrderForm, public CustomerTarget
{
    Q_OBJECT
public:
    explicit fmAddOrder(QWidget *parent = nullptr);

    // The number the order will get; nothing when the numbers are used up.
    std::optional<int> NewOrderNum;

    // CustomerTarget: the customer picker's OK.
    void fillCustomer(const PickedCustomer &customer) override;

    void cmGetName_Click();
    void Command2_Click();

protected:
    void updateTotals_Click() override { Command2_Click(); }
    bool productPickerAllowed() override;
    std::optional<int> numberToStore() override;
    OrderStore::SaveResult store(const Orders::Order &order) override;

private:
    void Form_Load();

    QLineEdit *txtCust = nullptr;
    QPushButton *cmGetName = nullptr;
    Keys::NewNumber m_number{Keys::Kind::Order};
};
