#include "suppliers/SupplierForms.h"

#include "shell/DropDownCombo.h"
#include "shell/Messages.h"
#include "suppliers/fmSuppliers.h"

#include <QPushButton>

namespace {

QList<FormField> supplierFields(bool markAddressAndPhone)
{
    const QString mark = markAddressAndPhone ? QStringLiteral(" (*)") : QString();
    return {
        {"txtCompany", "lblCompany", "Company: (*)", 49},
        {"txtContact", "lblContact", "Contact:", 49},
        {"txtAddress", "lblAddress", "Address:" + mark, 79},
        {"txtPhone", "lblPhone", "Phone:" + mark, 14},
        {"txtEmail", "lblEmail", "Email:", 49},
        {"txtComments", "lblComments", "Comments:", 99, FormField::MultiLine},
    };
}

} // namespace

SupplierForm::SupplierForm(const QString &name, const QString &caption, bool markAddressAndPhone,
                           fmSuppliers &browser)
    : RecordForm(name, caption, supplierFields(markAddressAndPhone), &browser), m_browser(browser)
{
    addButton("cmSave", "Save", [this] { cmSave_Click(); });
    addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
    addNote("Label1", "(*) denotes required field");
}

SupplierRules::Input SupplierForm::input() const
{
    return {boxText("txtCompany"), boxText("txtPhone")};
}

void SupplierForm::writeFields(RecordSet &rs) const
{
    rs.setValue("Company", boxText("txtCompany"));
    rs.setValue("Contact", boxText("txtContact"));
    rs.setValue("Address", boxText("txtAddress"));
    rs.setValue("Phone", boxText("txtPhone"));
    rs.setValue("Email", boxText("txtEmail"));
}

fmAddSuppliers::fmAddSuppliers(fmSuppliers &browser)
    : SupplierForm("fmAddSuppliers", "Add New Supplier", false, browser)
{
    rememberPosition(m_browser.rs());
    NewSupplierNum = chooseNewKey(Keys::Kind::Supplier);
}

bool fmAddSuppliers::ValidateSupplier()
{
    return runChecks(SupplierRules::addChecks(input()), true, false);
}

void fmAddSuppliers::cmSave_Click()
{
    if (!ValidateSupplier())
        return;
    if (!confirmNewKey(NewSupplierNum))
        return;
    RecordSet &rs = m_browser.rs();
    rs.addNew();
    writeFields(rs);
    rs.setValue("supplier_num", *NewSupplierNum);
    rs.setValue("Comments", boxText("txtComments"));
    if (!storeRow(rs))
        return;
    accept();
}

void fmAddSuppliers::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}

fmUpdateSuppliers::fmUpdateSuppliers(fmSuppliers &browser)
    : SupplierForm("fmUpdateSuppliers", "Update Supplier Record", true, browser)
{
    addButton("cmDelete", "Delete", [this] { cmDelete_Click(); });
    // The form edits the values as the browser displays them.
    for (const char *name : {"Company", "Contact", "Address", "Phone", "Email", "Comments"})
        setBoxText(QStringLiteral("txt") + name, m_browser.valueText(QStringLiteral("lbl") + name));
    rememberPosition(m_browser.rs());
}

bool fmUpdateSuppliers::ValidateSupplier()
{
    return runChecks(SupplierRules::updateChecks(input()), false, false);
}

void fmUpdateSuppliers::cmSave_Click()
{
    if (!ValidateSupplier())
        return;
    RecordSet &rs = m_browser.rs();
    writeFields(rs);
    rs.setValue("Comments", boxText("txtComments"));
    if (!storeRow(rs))
        return;
    // The change is stored; a failure to read the set again is reported by the
    // browser, which reads it once more when the form has closed.
    (void)rs.refresh();
    accept();
}

void fmUpdateSuppliers::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}

void fmUpdateSuppliers::cmDelete_Click()
{
    if (Msg::show(this, "Are you sure you want to delete this supplier?", "Delete Supplier?",
                  Msg::Buttons::OkCancel) != Msg::Answer::Ok)
        return;
    RecordSet &rs = m_browser.rs();
    rs.cancelUpdate();
    if (Status s = rs.deleteCurrent(); !s) {
        Msg::show(this, "The supplier could not be deleted.\n\n" + s.message(), "Error", Msg::Buttons::Ok,
                  Msg::Icon::Critical);
        return;
    }
    // As after Save, a failure to read the set again is left to the browser.
    (void)rs.refresh();
    if (rs.recordCount() > 0)
        rs.moveFirst();
    else
        m_browser.combo()->clear();
    accept();
}
