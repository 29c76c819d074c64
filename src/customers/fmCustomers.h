#pragma once

#include "shell/BrowserScreen.h"

// "Customer Information": the customer browser, in last-name order.
class fmCustomers : public BrowserScreen
{
    Q_OBJECT
public:
    explicit fmCustomers(QWidget *parent = nullptr);

protected:
    void showAddForm() override;
    void showUpdateForm() override;
};
