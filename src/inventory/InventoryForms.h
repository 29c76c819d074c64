#pragma once

#include "data/RecordSet.h"
#include "inventory/InventoryRules.h"
#include "shell/RecordForm.h"

#include <optional>

class fmInventory;
class QLabel;

// The boxes the product add and update forms share, their checks and the
// writing of a product row.
class ProductForm : public RecordForm
{
    Q_OBJECT
public:
    ProductForm(const QString &name, const QString &caption, fmInventory &browser);

    virtual void cmSave_Click() = 0;
    virtual void cmCancel_Click() = 0;

protected:
    InventoryRules::Input input() const;
    // Shows the failed checks; a cost that does not read as a number is reset
    // to "$0.00" before its message. True when all passed.
    bool ValidateProduct(const QList<Check> &checks, bool stopAtFirst);
    // Sets the product's columns from the boxes.
    void writeFields(RecordSet &rs) const;

    fmInventory &m_browser;
};

// "Add New Product": a new product under the lowest free number.
class fmAddInv : public ProductForm
{
    Q_OBJECT
public:
    explicit fmAddInv(fmInventory &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;

    std::optional<int> NewProductNum;

};

// "Update Product Information": changes the product the browser shows, read
// from the file once, when the form is first shown.
class fmUpdateInv : public ProductForm
{
    Q_OBJECT
public:
    // `productNum` is the number put into the hidden label lblprodnum.
    fmUpdateInv(fmInventory &browser, qint64 productNum);

    void cmSave_Click() override;
    void cmCancel_Click() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void readProduct();

    QLabel *m_prodnum = nullptr;
    bool m_read = false;
};
