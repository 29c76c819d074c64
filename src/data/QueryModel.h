#pragma once

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
    // Reads the next page into `rows`; sets m_atEnd after the last row.
    Status readPage(std::vector<QVariantList> &rows);
    // Reads every row after the first page into m_rest.
    Status readRest();
    // Runs the query (with `limit` appended when it is not empty) and reads its
    // rows from position `skip` on into `rows`.
    Status read(const QString &limit, qint64 skip, std::vector<QVariantList> &rows);

    QList<Column> m_columns;
    QString m_connection;
    QString m_sql;
    QVariantList m_binds;
    QStringList m_fields;          // the query's column names, lower case
    std::vector<int> m_shown;      // query column of each grid column (-1: none)
    std::vector<QVariantList> m_rows;
    std::vector<QVariantList> m_rest;  // read, not yet handed to the view
    size_t m_restPos = 0;
    bool m_restRead = false;
    bool m_atEnd = true;
    bool m_fetching = false;
    Status m_status;
};
