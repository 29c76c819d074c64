#pragma once

#include "data/Status.h"
#include "orders/OrderQueries.h"

#include <optional>

class QWidget;

// Small pieces the order screens share.
namespace OrderUi {

// Tells the user that the file could not be read or written: `what` in plain
// words, then the cause.
void reportFailure(QWidget *opener, const QString &what, const Status &status);

// Whether the customer or the inventory table has rows; nothing (and the
// user told why) when it cannot be read.
std::optional<bool> hasRows(QWidget *opener, OrderQueries::Table table);

} // namespace OrderUi
