#pragma once

#include "data/Money.h"

#include <QDate>
#include <QString>
#include <vector>

// An order as it is stored: the header and its item lines, as plain values.
// The screens fill one from their boxes; OrderStore writes it whole.
namespace Orders {

inline const QString Open = QStringLiteral("O");
inline const QString Closed = QStringLiteral("C");
inline const QString Deleted = QStringLiteral("D");
inline const QString Party = QStringLiteral("P");
inline const QString Reorder = QStringLiteral("R");

struct OrderLine
{
    int productNum = -1;
    QString product;      // the product's name (for messages; not stored with the line)
    qint64 quantity = 0;  // a whole number of at least 1 when stored
};

struct Order
{
    int orderNum = 0;
    int custNum = -1;
    QDate orderDate;
    QString status = Open;   // Open or Closed when saved from a form
    QString type = Party;
    Money subtotal;          // as shown, rounded to cents
    Money addCosts;
    Money discounts;
    Money total;             // as shown, rounded to cents
    bool outOfTown = false;
    QString comments;
    std::vector<OrderLine> lines;
};

// A product that closing an order brought to the reminder quantity or below.
struct ReorderReminder
{
    int productNum = -1;
    QString product;
    qint64 quantity = 0;     // the quantity on hand after the order was taken off
};

} // namespace Orders
