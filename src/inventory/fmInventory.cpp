#include "inventory/fmInventory.h"

#include "inventory/InventoryForms.h"
#include "inventory/InventoryRules.h"
#include "inventory/fmReorderList.h"

namespace {

BrowserConfig inventoryConfig()
{
    BrowserConfig config;
    config.windowTitle = "Inventory";
    config.title = "Inventory";
    config.source = {"inventory", "product COLLATE NOCASE", "product", "Product"};
    config.comboName = "cmbInv";
    config.fields = {
        {"lblLn1", "Product:", "lblProduct", "Product"},
        {"lblfn1", "Product #:", "lblProdNum", "Product_refnum"},
        // Shown read-only: nothing typed here can change a product's cost.
        {"lblA1", "Item Cost:", "medcost", "Cost", "$#,##0.00;($#,##0.00)"},
        {"lblB1", "Qty on Hand:", "lbQty", "Qty"},
    };
    config.notFoundMessage = "Product not found!";
    config.printQuestion = "Print entire Inventory list?";
    config.printLines = [](RecordSet &rs) { return InventoryRules::listLines(rs, QDate::currentDate()); };
    config.printJobName = "Inventory list";
    return config;
}

} // namespace

fmInventory::fmInventory(QWidget *parent) : BrowserScreen(inventoryConfig(), parent)
{
    setObjectName("fmInventory");
    addButton("cmReorderList", "Reorder List", [this] { Forms::showModal(this, new fmReorderList(this)); });
}

void fmInventory::showAddForm()
{
    Forms::showModal(this, new fmAddInv(*this));
}

void fmInventory::showUpdateForm()
{
    Forms::showModal(this, new fmUpdateInv(*this, rs().integer("product_num")));
}
