#include "shell/DataGrid.h"

#include <QHeaderView>
#include <QTableView>

QTableView *createDataGrid(QWidget *parent, QAbstractItemModel *model, const QString &name)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

int currentGridRow(const QTableView *grid)
{
    const int rows = grid->model() ? grid->model()->rowCount() : 0;
    if (rows == 0)
        return -1;
    const QModelIndex current = grid->currentIndex();
    return current.isValid() && current.row() < rows ? current.row() : 0;
}

void selectGridRow(QTableView *grid, int row)
{
    if (!grid->model() || row < 0 || row >= grid->model()->rowCount())
        return;
    grid->setCurrentIndex(grid->model()->index(row, 0));
    grid->selectRow(row);
}
