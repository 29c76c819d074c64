#pragma once

#include "orders/PickerDialog.h"

class QLabel;
class QRadioButton;

// "Get Product Information": the product of one item line, chosen from the
// inventory. `callingForm` "A" fills line `index` of the new-order form, any
// other code the same line of the update form.
class fmGetProduct : public PickerDialog
{
    Q_OBJECT
public:
    fmGetProduct(const QString &callingForm, int index, QWidget *parent = nullptr);

protected:
    void cmOk_Click() override;

private:
    QRadioButton *optSortNum = nullptr;
    QRadioButton *optSortName = nullptr;
    QLabel *lblCalling_Form = nullptr;   // hidden parameters, as the caller gave them
    QLabel *lblIndex = nullptr;
};
