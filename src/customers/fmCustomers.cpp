#include "customers/fmCustomers.h"

#include "customers/CustomerForms.h"
#include "customers/CustomerRules.h"

namespace {

BrowserSpec customerSpec()
{
    BrowserSpec spec;
    spec.windowTitle = "Customer Information";
    spec.title = "Customers";
    spec.source = {"customer", "last_name COLLATE NOCASE", "last_name", "last_name"};
    spec.comboName = "cmbCust";
    spec.fields = {
        {"lblLn1", "Last Name:", "lblLastname", "Last_name"},
        {"lblfn1", "First Name:", "lblFirstname", "First_name"},
        {"lblA1", "Address:", "lblAddress", "Address"},
        {"lblP1", "Phone:", "lblPhone", "Phone"},
        {"lblE1", "Email:", "lblEmail", "email"},
        {"lblB1", "Birthday:", "lblBirthday", "birthday"},
        {"lblC1", "Comments:", "lblComments", "Comments"},
    };
    spec.notFoundMessage = "Customer not found!";
    spec.printQuestion = "Print entire customer list?";
    spec.printLines = [](RecordSet &rs) { return CustomerRules::listLines(rs, QDate::currentDate()); };
    spec.printJobName = "Customer list";
    return spec;
}

} // namespace

fmCustomers::fmCustomers(QWidget *parent) : BrowserScreen(customerSpec(), parent)
{
    setObjectName("fmCustomers");
}

void fmCustomers::showAddForm()
{
    Forms::showModal(this, new fmAddCust(*this));
}

void fmCustomers::showUpdateForm()
{
    Forms::showModal(this, new fmUpdateCust(*this));
}
