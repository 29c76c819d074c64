#include "suppliers/fmSuppliers.h"

#include "suppliers/SupplierForms.h"
#include "suppliers/SupplierRules.h"

namespace {

BrowserConfig supplierConfig()
{
    BrowserConfig config;
    config.windowTitle = "Supplier Information";
    config.title = "Suppliers";
    config.source = {"suppliers", QString(), "Company", "Company"};
    config.comboName = "cmbSupplier";
    config.fields = {
        {"lblLn1", "Company:", "lblCompany", "Company"},
        {"lblfn1", "Contact:", "lblContact", "Contact"},
        {"lblA1", "Address:", "lblAddress", "Address"},
        {"lblP1", "Phone:", "lblPhone", "Phone"},
        {"lblE1", "Email:", "lblEmail", "email"},
        {"lblC1", "Comments:", "lblComments", "Comments"},
    };
    config.notFoundMessage = "Supplier not found!";
    config.printQuestion = "Print entire supplier list?";
    config.printLines = [](RecordSet &rs) { return SupplierRules::listLines(rs, QDate::currentDate()); };
    config.printJobName = "Supplier list";
    return config;
}

} // namespace

fmSuppliers::fmSuppliers(QWidget *parent) : BrowserScreen(supplierConfig(), parent)
{
    setObjectName("fmSuppliers");
}

void fmSuppliers::showAddForm()
{
    Forms::showModal(this, new fmAddSuppliers(*this));
}

void fmSuppliers::showUpdateForm()
{
    Forms::showModal(this, new fmUpdateSuppliers(*this));
}
