#include "customers/fmCustomers.h"

#include "customers/CustomerForms.h"
#include "customers/CustomerRules.h"

namespace {

BrowserConfig customerConfig()
{
    BrowserConfig config;
    config.windowTitle = "Customer Information";
    config.title = "Customers";
    config.source = {"customer", "last_name COLLATE NOCASE", "last_name", "last_name"};
    config.comboName = "cmbCust";
    config.fields = {
        {"lblLn1", "Last Name:", "lblLastname", "Last_name"},
        {"lblfn1", "First Name:", "lblFirstname", "First_name"},
        {"lblA1", "Address:", "lblAddress", "Address"},
        {"lblP1", "Phone:", "lblPhone", "Phone"},
        {"lblE1", "Email:", "lblEmail", "email"},
        {"lblB1", "Birthday:", "lblBirthday", "birthday"},
        {"lblC1", "Comments:", "lblComments", "Comments"},
    };
    config.notFoundMessage = "Customer not found!";
    config.printQuestion = "Print entire customer list?";
    config.printLines = [](RecordSet &rs) { return CustomerRules::listLines(rs, QDate::currentDate()); };
    config.printJobName = "Customer list";
    return config;
}

} // namespace

fmCustomers::fmCustomers(QWidget *parent) : BrowserScreen(customerConfig(), parent)
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
