#pragma once

#include "data/Status.h"

#include <QString>

// Writes a Corvana file at the program's largest data, the same bytes on every
// run (a fixed seed; the dates are counted from a fixed day, not from today):
// 298 customers, 298 products, 98 suppliers, 500 recipes with 1,000-character
// directions, 32,767 orders of 1 to 40 lines (about 30 % closed over 25 years,
// 5 % deleted) and 32,767 expenses. Everything goes through the program's own
// data layer (Database, RecordSet, OrderStore, Expenses), so the file is one
// the program opens. `path` must not exist yet.
namespace Generator {

struct Sizes {
    int customers = 298;
    int products = 298;
    int suppliers = 98;
    int recipes = 500;
    int orders = 32767;
    int expenses = 32767;
};

Status generate(const QString &path, const Sizes &sizes = {});

// Orders of 40 lines in a generated file: a closed one (for the order view) and
// an open one (for the update form).
inline constexpr int ClosedOrder40 = 1007;
inline constexpr int OpenOrder40 = 1005;

} // namespace Generator
