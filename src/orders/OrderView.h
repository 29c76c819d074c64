#pragma once

#include "data/Mailto.h"
#include "data/Money.h"
#include "data/Status.h"

#include <QString>
#include <vector>

class QueryModel;

// The order view's plain logic: its query, the values it reads from it, the
// status word and the confirmation e-mail.
namespace OrderView {

// One row per item line of one order, with the order's header, its customer and
// each line's product at today's cost. Lines belong to the order through both its
// number and its customer number; they come in the order they were stored.
// One bound value: the order number.
QString linesQuery();

struct Line
{
    qint64 quantity = 0;
    QString product;
    QString productRefnum;
    Money cost;
};

// What the view shows from its query. All empty when the query returned no row.
struct Details
{
    bool found = false;
    QString orderDate;     // "mm/dd/yyyy" (the stored text when it is no date)
    int custNum = -1;
    QString address;
    QString phone;
    QString email;
    QString comments;
    Money addCosts;        // as stored; an empty amount counts as 0
    Money discounts;
    bool outOfTown = false;
    std::vector<Line> lines;
};

// Reads every row of the model (which holds linesQuery()), fetching all pages.
Details readDetails(QueryModel &model, Status *status = nullptr);

// "O" Open, "C" Closed, "D" Deleted; any other text stays as it is.
QString statusWord(const QString &code);

// A product name as the e-mail writes it: every "&" becomes "+".
QString mailProduct(const QString &product);

// The e-mail's item lines: for each line a line break, then quantity, " - ",
// product, " @ " and cost, quantity and cost as plain numbers ("2 - Cake @ 3.5").
QString itemText(const std::vector<Line> &lines);

// The texts that go into the confirmation, as the view shows them.
struct Confirmation
{
    QString email;
    QString orderCaption;  // "Order #:"
    QString orderNum;
    QString customer;
    QString address;
    QString phone;
    QString items;         // itemText()
    QString addCosts;
    QString discounts;
    QString subtotal;
    QString tax;
    QString shipping;
    QString total;
    QString comments;
};

// The confirmation e-mail to the customer: subject "Order Confirmation ", and a
// body of one item per line ending in the thank-you sentence. Navigate encodes it.
MailMessage confirmation(const Confirmation &c);

} // namespace OrderView
