#pragma once

#include "data/Money.h"

#include <QDialog>
#include <QString>

// What the opener of the order view hands it (the order list's selected row,
// or a sale of the bookkeeping screen).
struct ShowOrderInputs
{
    int orderNum = 0;
    QString customer;     // first name, one blank, last name
    QString statusCode;   // "O", "C", "D" (shown as a word)
    Money addCosts;
    Money discounts;
    QString comments;
    QString orderType;    // "P" selects Party, anything else Re-Order
};

// "Show Order Details": one stored order, read-only, with its totals computed
// afresh from today's costs and rates; prints the order sheet and starts the
// confirmation e-mail. Open it with Forms::showModal.
class fmShowOrder : public QDialog
{
    Q_OBJECT
public:
    explicit fmShowOrder(const ShowOrderInputs &inputs, QWidget *parent = nullptr);
};
