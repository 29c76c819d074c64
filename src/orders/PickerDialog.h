#pragma once

#include "data/QueryModel.h"

#include <QDialog>
#include <QElapsedTimer>

class QGroupBox;
class QHBoxLayout;
class QRadioButton;
class QTableView;

// The two pickers' common form: a "Sort By:" frame of options, a grid of the
// table's rows, OK and Cancel. A row click selects the whole row; a double-click
// does what OK does. Subclasses give the columns, the sorts and what OK fills.
class PickerDialog : public QDialog
{
    Q_OBJECT
public:
    QTableView *grid() const { return DataGrid1; }
    QueryModel *model() const { return m_model; }

protected:
    // `wideColumn` takes the room the others leave.
    PickerDialog(const QString &name, const QString &caption, const QList<QueryModel::Column> &columns,
                 int wideColumn, QWidget *parent);

    // Adds a sort option to the "Sort By:" frame; clicking it runs `sorted`.
    QRadioButton *addSortOption(const QString &name, const QString &caption, std::function<void()> sorted);
    // Reads the rows of `sql` into the grid (the first row becomes current); a
    // failure is reported and leaves the grid empty.
    void readRows(const QString &sql);
    // The row OK takes: the row last clicked or moved to, else the first; -1 without rows.
    int currentRow() const;

    // Letters typed in the grid select the first row, in the order shown, whose text
    // in one of these columns starts with them (without regard to case).
    void setSearchColumns(QList<int> columns) { m_searchColumns = std::move(columns); }

    virtual void cmOk_Click() = 0;
    void cmCancel_Click() { reject(); }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typeAhead(const QString &text);

    QList<int> m_searchColumns;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
    QueryModel *m_model = nullptr;
    QTableView *DataGrid1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QHBoxLayout *m_options = nullptr;
};
