#include "suppliers/fmSuppliers.h"

#include "suppliers/SupplierForms.h"
#include "suppliers/SupplierRules.h"

namespace {

BrowserSpec supplierSpec()
{
    BrowserSpec spec;
    spec.windowTitle = "Supplier Information";
    spec.title = "Suppliers";
    spec.source = {"suppliers", QString(), "Company", "Company"};
    spec.comboName = "cmbSupplier";
    spec.fields = {
        {"lblLn1", "Company:", "lblCompany", "Company"},
        {"lblfn1", "Contact:", "lblContact", "Contact"},
        {"lblA1", "Address:", "lblAddress", "Address"},
        {"lblP1", "Phone:", "lblPhone", "Phone"},
        {"lblE1", "Email:", "lblEmail", "email"},
        {"lblC1", "Comments:", "lblComments", "Comments"},
    };
    spec.notFoundMessage = "Supplier not found!";
    spec.printQuestion = "Print entire supplier list?";
    spec.printLines = [](RecordSet &rs) { return SupplierRules::listLines(rs, QDate::currentDate()); };
    spec.printJobName = "Supplier list";
    return spec;
}

} // namespace

fmSuppliers::fmSuppliers(QWidget *parent) : BrowserScreen(supplierSpec(), parent)
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
