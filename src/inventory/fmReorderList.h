#pragma once

#include "inventory/InventoryRules.h"

#include <QDialog>

class QTableWidget;

// "Reorder List": the products at or below the reminder quantity, with what is
// on hand, what open orders want and the shortfall; it can be printed.
class fmReorderList : public QDialog
{
    Q_OBJECT
public:
    explicit fmReorderList(QWidget *parent = nullptr);

    // Reads the list again from the database; false (with a message) on failure.
    bool reload();
    const QList<InventoryRules::ReorderRow> &rows() const { return m_rows; }
    void cmPrintReorder_Click();

private:
    QTableWidget *m_table = nullptr;
    QList<InventoryRules::ReorderRow> m_rows;
};
