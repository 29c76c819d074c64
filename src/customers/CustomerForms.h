#pragma once

#include "customers/CustomerRules.h"
#include "data/RecordSet.h"
#include "shell/RecordForm.h"

class fmCustomers;

// The boxes the add and update forms share, and the writing of a customer row.
class CustomerForm : public RecordForm
{
    Q_OBJECT
public:
    CustomerForm(const QString &name, const QString &caption, fmCustomers &browser);

    virtual void cmSave_Click() = 0;
    virtual void cmCancel_Click() = 0;

protected:
    CustomerRules::Input input() const;
    // Sets the row's columns from the boxes, as typed.
    void writeFields(RecordSet &rs) const;

    fmCustomers &m_browser;
};

// "Add New Customer": a new customer under the lowest free number.
class fmAddCust : public CustomerForm
{
    Q_OBJECT
public:
    explicit fmAddCust(fmCustomers &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;

    // The number the new customer gets; nothing when every number is taken.
    std::optional<int> NewCustNum;

};

// "Update Customer Record": changes the customer the browser shows.
class fmUpdateCust : public CustomerForm
{
    Q_OBJECT
public:
    explicit fmUpdateCust(fmCustomers &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;
};
