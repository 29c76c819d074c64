#pragma once

#include "orders/PickerDialog.h"

class CustomerTarget;
class QRadioButton;

// "Get Name": the customer of a new order, chosen from the customer table.
// OK writes the current row's customer into the new-order form.
class fmGetName : public PickerDialog
{
    Q_OBJECT
public:
    explicit fmGetName(CustomerTarget &target, QWidget *parent = nullptr);

protected:
    void cmOk_Click() override;

private:
    CustomerTarget &m_target;
    QRadioButton *optSortLast = nullptr;
    QRadioButton *optSortFirst = nullptr;
};
