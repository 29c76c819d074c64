#pragma once

#include "shell/BrowserScreen.h"

// "Inventory": the product browser, in product-name order.
class fmInventory : public BrowserScreen
{
    Q_OBJECT
public:
    explicit fmInventory(QWidget *parent = nullptr);

protected:
    void showAddForm() override;
    void showUpdateForm() override;
};
