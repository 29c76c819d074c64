#pragma once

#include <QString>

// What the pickers hand to the order form that opened them.

// The customer chosen in "Get Name".
struct PickedCustomer
{
    QString custNum;
    QString name;      // first name, one blank, last name
    QString address;
    QString phone;
    QString email;
};

// The product chosen in "Get Product Information" for one item line.
struct PickedProduct
{
    QString productNum;
    QString product;
    QString cost;      // the stored amount as plain text (12.5)
};

// The new-order form takes the chosen customer.
class CustomerTarget
{
public:
    virtual ~CustomerTarget() = default;
    virtual void fillCustomer(const PickedCustomer &customer) = 0;
};

// An order form whose item lines the product picker fills. Each order form
// registers itself under its calling-form code while it is open: "A" is the
// new-order form, any other code the update form.
class OrderLinesTarget
{
public:
    virtual ~OrderLinesTarget() = default;
    // Fills line `index` as the picker's OK does; an index with no line is ignored.
    virtual void fillLine(int index, const PickedProduct &product) = 0;

    static void registerForm(const QString &callingForm, OrderLinesTarget *form);
    static void unregisterForm(OrderLinesTarget *form);
    // The open form for a calling-form code; nothing when that form is not open.
    static OrderLinesTarget *forCallingForm(const QString &callingForm);
};
