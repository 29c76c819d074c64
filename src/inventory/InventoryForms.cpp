#include "inventory/InventoryForms.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "inventory/fmInventory.h"
#include "shell/MaskedEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

QList<FormField> productFields()
{
    return {
        {"txtProduct", "lblProduct", "Product:", 69},
        {"txtProdnum", "lblProdnum", "Product #:", 14},
        {"medcost", "lblCost", "Item Cost:", 9, FormField::Money},
        {"txtQty", "lblQty", "Qty on Hand:", 3},
    };
}

} // namespace

ProductForm::ProductForm(const QString &name, const QString &caption, fmInventory &browser)
    : RecordForm(name, caption, productFields(), &browser), m_browser(browser)
{
    static_cast<MaskedEdit *>(box("medcost"))->setDisplayFormat("$##.00");
    addButton("cmSave", "Save", [this] { cmSave_Click(); });
    addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
}

InventoryRules::Input ProductForm::input() const
{
    return {boxText("txtProduct"), boxText("txtProdnum"), boxText("medcost"), boxText("txtQty")};
}

bool ProductForm::ValidateProduct(const QList<Check> &checks, bool stopAtFirst)
{
    return runChecks(checks, stopAtFirst, true, [this](const Check &c) {
        // A cost that is no number shows "$0.00" itself; its display format
        // applies once the box is left. An amount out of range stays as typed.
        if (c.box == QLatin1String("medcost") && !TextRules::isNumeric(boxText("medcost")))
            static_cast<QLineEdit *>(box("medcost"))->QLineEdit::setText(InventoryRules::ResetCost);
    });
}

void ProductForm::writeFields(RecordSet &rs) const
{
    const InventoryRules::Input in = input();
    rs.setValue("Product", in.product);
    rs.setMoney("Cost", InventoryRules::storedCost(in.cost).value_or(Money()));
    rs.setValue("Qty", InventoryRules::storedQty(in.qty).value_or(0));
    rs.setValue("product_refnum", InventoryRules::storedRefNum(in.prodNum));
}

fmAddInv::fmAddInv(fmInventory &browser) : ProductForm("fmAddInv", "Add New Product", browser)
{
    // A typed single quote never reaches the product name.
    auto *product = static_cast<QLineEdit *>(box("txtProduct"));
    product->setValidator(new QRegularExpressionValidator(QRegularExpression("[^']*"), product));
    NewProductNum = chooseNewKey(Keys::Kind::Product);
}

void fmAddInv::cmSave_Click()
{
    if (!ValidateProduct(InventoryRules::addChecks(input()), true))
        return;
    if (!confirmNewKey(NewProductNum))
        return;
    RecordSet &rs = m_browser.rs();
    rs.addNew();
    rs.setValue("product_num", *NewProductNum);
    writeFields(rs);
    if (!storeRow(rs))
        return;
    accept();
}

void fmAddInv::cmCancel_Click()
{
    reject();
}

fmUpdateInv::fmUpdateInv(fmInventory &browser, qint64 productNum)
    : ProductForm("fmUpdateInv", "Update Product Information", browser)
{
    m_prodnum = new QLabel(QString::number(productNum), this);
    m_prodnum->setObjectName("lblprodnum");
    m_prodnum->hide();
}

void fmUpdateInv::showEvent(QShowEvent *event)
{
    ProductForm::showEvent(event);
    if (!m_read) {
        m_read = true;
        readProduct();
    }
}

void fmUpdateInv::readProduct()
{
    RecordSet product = RecordSet::query(Database::connection(),
                                         "SELECT * FROM inventory WHERE product_num = ?",
                                         {m_prodnum->text().toLongLong()});
    if (Status s = product.refresh(); !s) {
        reportSaveFailure(s);
        return;
    }
    if (product.eof())
        return;
    setBoxText("txtProduct", product.text("Product"));
    setBoxText("txtProdnum", product.text("Product_refnum"));
    setBoxText("medcost", TextRules::format(product.money("Cost"), "$#,##0.00"));
    setBoxText("txtQty", product.text("Qty"));
}

void fmUpdateInv::cmSave_Click()
{
    if (!ValidateProduct(InventoryRules::updateChecks(input()), false))
        return;
    RecordSet &rs = m_browser.rs();
    writeFields(rs);
    if (!storeRow(rs))
        return;
    // Stored; a failure to read the list again is the browser's to report.
    (void)rs.refresh();
    accept();
}

void fmUpdateInv::cmCancel_Click()
{
    reject();
}
