#include "inventory/fmInventory.h"

#include "inventory/InventoryForms.h"
#include "inventory/InventoryRules.h"

namespace {

BrowserSpec inventorySpec()
{
    BrowserSpec spec;
    spec.windowTitle = "Inventory";
    spec.title = "Inventory";
    spec.source = {"inventory", "product COLLATE NOCASE", "product", "Product"};
    spec.comboName = "cmbInv";
    spec.fields = {
        {"lblLn1", "Product:", "lblProduct", "Product"},
        {"lblfn1", "Product #:", "lblProdNum", "Product_refnum"},
        // Shown read-only: nothing typed here can change a product's cost.
        {"lblA1", "Item Cost:", "medcost", "Cost", "$#,##0.00;($#,##0.00)"},
        {"lblB1", "Qty on Hand:", "lbQty", "Qty"},
    };
    spec.notFoundMessage = "Product not found!";
    spec.printQuestion = "Print entire Inventory list?";
    spec.printLines = [](RecordSet &rs) { return InventoryRules::listLines(rs, QDate::currentDate()); };
    spec.printJobName = "Inventory list";
    return spec;
}

} // namespace

fmInventory::fmInventory(QWidget *parent) : BrowserScreen(inventorySpec(), parent)
{
    setObjectName("fmInventory");
}

void fmInventory::showAddForm()
{
    Forms::showModal(this, new fmAddInv(*this));
}

void fmInventory::showUpdateForm()
{
    Forms::showModal(this, new fmUpdateInv(*this, rs().integer("product_num")));
}
