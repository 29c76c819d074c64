#pragma once

#include "data/RecordSet.h"
#include "shell/RecordForm.h"
#include "suppliers/SupplierRules.h"

#include <optional>

class fmSuppliers;

// The boxes the add and update forms share, and the writing of a supplier row.
class SupplierForm : public RecordForm
{
    Q_OBJECT
public:
    // `markAddressAndPhone`: the update form labels Address and Phone as required.
    SupplierForm(const QString &name, const QString &caption, bool markAddressAndPhone,
                 fmSuppliers &browser);

    virtual void cmSave_Click() = 0;
    virtual void cmCancel_Click() = 0;

protected:
    SupplierRules::Input input() const;
    // Sets Company, Contact, Address, Phone and Email from the boxes, as typed.
    void writeFields(RecordSet &rs) const;

    fmSuppliers &m_browser;
};

// "Add New Supplier": a new supplier under the lowest free number.
class fmAddSuppliers : public SupplierForm
{
    Q_OBJECT
public:
    explicit fmAddSuppliers(fmSuppliers &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;

    // The number the new supplier gets; nothing when every number is taken.
    std::optional<int> NewSupplierNum;

private:
    // Reports the first missing required box only.
    bool ValidateSupplier();
};

// "Update Supplier Record": changes or deletes the supplier the browser shows.
class fmUpdateSuppliers : public SupplierForm
{
    Q_OBJECT
public:
    explicit fmUpdateSuppliers(fmSuppliers &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;
    void cmDelete_Click();

private:
    // Reports every missing required box.
    bool ValidateSupplier();
};
