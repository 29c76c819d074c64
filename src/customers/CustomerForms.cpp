#include "customers/CustomerForms.h"

#include "customers/fmCustomers.h"

#include <QPushButton>

namespace {

QList<FormField> customerFields()
{
    return {
        {"txtLastname", "lblLastname", "Last Name: (*)", 49},
        {"txtFirstname", "lblFirstname", "First Name: (*)", 49},
        {"txtAddress", "lblAddress", "Address: (*)", 79},
        {"txtPhone", "lblPhone", "Phone: (*)", 14},
        {"txtEmail", "lblEmail", "Email:", 49},
        {"txtBirthday", "lblBirthday", "Birthday:", 14},
        {"txtComments", "lblC1", "Comments:", 99, FormField::MultiLine},
    };
}

} // namespace

CustomerForm::CustomerForm(const QString &name, const QString &caption, fmCustomers &browser)
    : RecordForm(name, caption, customerFields(), &browser), m_browser(browser)
{
    addButton("cmSave", "Save", [this] { cmSave_Click(); });
    addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
    addNote("Label1", "(*) denotes required field");
}

CustomerRules::Input CustomerForm::input() const
{
    return {boxText("txtLastname"), boxText("txtFirstname"), boxText("txtAddress"), boxText("txtPhone")};
}

void CustomerForm::writeFields(RecordSet &rs) const
{
    rs.setValue("Last_name", boxText("txtLastname"));
    rs.setValue("First_name", boxText("txtFirstname"));
    rs.setValue("Address", boxText("txtAddress"));
    rs.setValue("Phone", boxText("txtPhone"));
    rs.setValue("Email", boxText("txtEmail"));
    rs.setValue("Birthday", boxText("txtBirthday"));
}

fmAddCust::fmAddCust(fmCustomers &browser) : CustomerForm("fmAddCust", "Add New Customer", browser)
{
    rememberPosition(m_browser.rs());
    NewCustNum = chooseNewKey(Keys::Kind::Customer);
}

void fmAddCust::cmSave_Click()
{
    if (!runChecks(CustomerRules::checks(input()), true, false))
        return;
    if (!confirmNewKey(NewCustNum))
        return;
    RecordSet &rs = m_browser.rs();
    rs.addNew();
    writeFields(rs);
    rs.setValue("cust_num", *NewCustNum);
    rs.setValue("comments", boxText("txtComments"));
    if (!storeRow(rs))
        return;
    accept();
}

void fmAddCust::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}

fmUpdateCust::fmUpdateCust(fmCustomers &browser)
    : CustomerForm("fmUpdateCust", "Update Customer Record", browser)
{
    // The form edits the values as the browser displays them.
    for (const char *name : {"Lastname", "Firstname", "Address", "Phone", "Email", "Birthday", "Comments"})
        setBoxText(QStringLiteral("txt") + name, m_browser.valueText(QStringLiteral("lbl") + name));
    rememberPosition(m_browser.rs());
}

void fmUpdateCust::cmSave_Click()
{
    if (!runChecks(CustomerRules::checks(input()), false, false))
        return;
    RecordSet &rs = m_browser.rs();
    writeFields(rs);
    rs.setValue("Comments", boxText("txtComments"));
    if (!storeRow(rs))
        return;
    // Stored; a failure to read the list again is the browser's to report.
    (void)rs.refresh();
    accept();
}

void fmUpdateCust::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}
