#pragma once

#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

// A read-only grid over a model (the order list, the pickers, bookkeeping):
// clicking selects the whole row, nothing can be edited, the captions come
// from the model's header data.
QTableView *createDataGrid(QWidget *parent, QAbstractItemModel *model, const QString &name = QStringLiteral("DataGrid1"));

// The grid's current row: the row last clicked or moved to, else the first;
// -1 when the grid has no rows.
int currentGridRow(const QTableView *grid);

// Makes `row` the current, highlighted row.
void selectGridRow(QTableView *grid, int row);
