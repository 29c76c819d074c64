#pragma once

#include "data/RowReader.h"
#include "data/Status.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

// The read-only rows of one query, for the grids (order list, pickers,
// bookkeeping). The first page is read by a statement of its own (LIMIT), so
// a file at its limits opens as quickly as an empty one. When the view scrolls
// past it (fetchMore), the rest is read once, by one more statement, and then
// handed to the view a page at a time: running the sorted query again for
// every page would sort the whole result again each time. Every statement is
// finished at once, so none stays open between events. The query must order
// its rows completely (end the ORDER BY with a unique column), so that the two
// reads neither repeat nor skip a row, and must not have a LIMIT of its own.
class QueryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // One grid column: its caption, the query column it shows, and how a value
    // is shown (the value's own text when no format is given).
    struct Column
    {
        QString caption;
        QString field;
        std::function<QString(const QVariant &)> format = {};
    };

    explicit QueryModel(QObject *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    // Runs `sql` with bound values and reads its first page. On failure the
    // model is empty and the status tells why.
    Status setQuery(QSqlDatabase db, const QString &sql, const QVariantList &values = {});
    // Runs the same query again from its first page.
    Status refresh();
    Status lastStatus() const { return m_status; }

    // Any column of a read row by its query name (not only the shown ones).
    QVariant value(int row, const QString &field) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

    static constexpr int PageSize = 256;

private:
    // Reads the first page, or on the first fetchMore every row after it.
    Status read(const QString &limit, qint64 skip);

    QList<Column> m_columns;
    QString m_connection;
    QString m_sql;
    QVariantList m_binds;
    QStringList m_fields;          // the query's column names, lower case
    std::vector<int> m_shown;      // query column of each grid column (-1: none)
    RowReader::Rows m_rows;        // every row read so far
    qsizetype m_handed = 0;        // how many of them the view has
    bool m_restRead = false;
    bool m_atEnd = true;
    bool m_fetching = false;
    Status m_status;
};
