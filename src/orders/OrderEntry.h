#pragma once

#include "data/Money.h"
#include "orders/Order.h"
#include "orders/Pricing.h"

#include <QString>
#include <optional>
#include <vector>

// The order forms' rules over what their boxes hold, as plain text in and
// values out: the checks before saving, the quantity check, the "Update
// Totals" rule, reading the amount boxes, and turning the boxes into the order
// that is stored. Both order forms use them; nothing here touches a widget.
namespace OrderEntry {

// One item line as its boxes show it.
struct LineEntry
{
    QString quantity;    // txtQty
    QString product;     // txtProduct
    QString productNum;  // lblProdNum (hidden)
    QString cost;        // txtCost, the unit price as plain text
};

// A message for the user: its text and the title of its box.
struct Problem
{
    QString text;
    QString title;
};

// CheckOrder: a repeated product (titled with the product's name), then the
// first of: no customer, no product on line 0, no quantity on line 0 (those
// three titled `title`: "Error" on the new-order form, "Invalid Data" on the
// update form). Empty when the order passes.
std::vector<Problem> checkOrder(const std::vector<LineEntry> &lines, const QString &custNum,
                                const QString &title);

// The check run when the focus leaves an editable quantity box.
enum class QuantityCheck { Accepted, Zero, NotNumeric };
QuantityCheck checkQuantity(const QString &quantity);
inline const QString QuantityReset = QStringLiteral("1");   // what a refused quantity becomes

// "Update Totals": the text line 0's quantity gets, and whether the totals are
// then computed (not when the text sorts after "99" or before "0").
struct UpdateTotalsStep
{
    QString quantity;
    bool calculate = false;
};
UpdateTotalsStep updateTotals(const QString &quantity);

// An amount box ("$##.##" mask): "$05.00" is 5, an empty box ("$." once its
// blanks are dropped) is 0. Nothing for text that is not an amount.
std::optional<Money> amount(const QString &boxText);
// A stored amount as the amount box's mask takes it ("$05.25"); nothing when it
// does not fit the mask (negative, $100 or more, or parts of a cent).
std::optional<QString> maskedAmount(Money value);

// A price as the item lines show it: the stored amount as plain text (12.5, 3).
QString plainAmount(Money value);

// The update form's status word: "O" Open, "P" Pending, "D" Deleted; any other
// code is shown as it is.
QString updateStatusWord(const QString &code);

// The lines as the pricing reads them; a quantity or price that is not a
// number becomes NaN, which the pricing refuses.
std::vector<Pricing::Line> pricingLines(const std::vector<LineEntry> &lines);

// Everything an order form holds, as text, for the order to be stored.
struct FormEntries
{
    int orderNum = 0;
    QString custNum;
    QString orderDate;   // as typed, mm/dd/yyyy
    QString status;      // Orders::Open or Orders::Closed
    bool party = true;
    bool outOfTown = false;
    QString comments;
    QString addCosts;    // the amount boxes' text
    QString discounts;
    QString subtotal;    // the shown figures, "$#0.00"
    QString total;
    std::vector<LineEntry> lines;
    QString problemTitle = QStringLiteral("Error");   // the title of toOrder's messages
};

// The order to store, or why it cannot be stored. Run after checkOrder passed:
// the date must be a real day; a line without a product is left out; a line
// with a product needs a whole quantity of at least 1 (the message, titled
// `problemTitle`, names the product).
struct Built
{
    std::optional<Orders::Order> order;
    Problem problem;
};
Built toOrder(const FormEntries &entries);

// The reorder reminder: "<prefix><qty> left of <product>. Please restock item."
// The new-order form's prefix is "You now have ", the update form's "You are now have ".
QString reminderText(const QString &prefix, const Orders::ReorderReminder &reminder);
inline const QString ReminderTitle = QStringLiteral("Time To Reorder Product");

} // namespace OrderEntry
