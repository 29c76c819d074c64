#pragma once

#include "data/CsvExport.h"

// A screen that offers what it shows now to File, Export to CSV..., beside the
// tables (the bookkeeping screen: the sales and expenses of the period shown).
class CsvSource
{
public:
    virtual ~CsvSource() = default;
    virtual QList<CsvExport::Query> csvQueries() const = 0;
};
