#pragma once

#include "shell/BrowserScreen.h"

// "Supplier Information": the supplier browser, in the table's own order.
class fmSuppliers : public BrowserScreen
{
    Q_OBJECT
public:
    explicit fmSuppliers(QWidget *parent = nullptr);

protected:
    void showAddForm() override;
    void showUpdateForm() override;
};
