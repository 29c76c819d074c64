#include "data/QueryModel.h"

#include "data/RowReader.h"

#include <QScopedValueRollback>

#include <algorithm>

QueryModel::QueryModel(QObject *parent) : QAbstractTableModel(parent) {}

void QueryModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_shown.clear();
    for (const Column &c : m_columns)
        m_shown.push_back(int(m_fields.indexOf(c.field.toLower())));
    endResetModel();
}

Status QueryModel::setQuery(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    m_connection = db.connectionName();
    m_sql = sql;
    m_binds = values;
    return refresh();
}

Status QueryModel::refresh()
{
    const QScopedValueRollback fetching(m_fetching, true);
    beginResetModel();
    m_rows.clear();
    m_rest.clear();
    m_restPos = 0;
    m_restRead = false;
    m_fields.clear();
    m_atEnd = false;
    m_status = readPage(m_rows);
    if (!m_status) {
        m_rows.clear();
        m_atEnd = true;
    }
    m_shown.clear();
    for (const Column &c : m_columns)
        m_shown.push_back(int(m_fields.indexOf(c.field.toLower())));
    endResetModel();
    return m_status;
}

Status QueryModel::readPage(std::vector<QVariantList> &rows)
{
    if (m_rows.empty()) {
        // LIMIT is understood by SQLite, PostgreSQL and MySQL alike.
        std::vector<QVariantList> first;
        if (Status s = read(QStringLiteral(" LIMIT %1").arg(PageSize), 0, first); !s)
            return s;
        m_atEnd = first.size() < size_t(PageSize);
        m_restRead = m_atEnd;
        for (auto &row : first)
            rows.push_back(std::move(row));
        return {};
    }
    if (!m_restRead) {
        if (Status s = readRest(); !s)
            return s;
    }
    const size_t end = std::min(m_rest.size(), m_restPos + size_t(PageSize));
    for (; m_restPos < end; ++m_restPos)
        rows.push_back(std::move(m_rest[m_restPos]));
    m_atEnd = m_restPos >= m_rest.size();
    if (m_atEnd) {
        m_rest.clear();
        m_restPos = 0;
    }
    return {};
}

Status QueryModel::readRest()
{
    m_rest.clear();
    m_restPos = 0;
    if (Status s = read(QString(), qint64(m_rows.size()), m_rest); !s) {
        m_rest.clear();
        return s;
    }
    m_restRead = true;
    return {};
}

Status QueryModel::read(const QString &limit, qint64 skip, std::vector<QVariantList> &rows)
{
    // The rows already shown are stepped over, not converted.
    const RowReader::Result r =
        RowReader::read(QSqlDatabase::database(m_connection, false), m_sql + limit, m_binds, skip, rows);
    if (m_fields.isEmpty())
        m_fields = r.fields;
    return r.status;
}

QVariant QueryModel::value(int row, const QString &field) const
{
    const int c = int(m_fields.indexOf(field.toLower()));
    Q_ASSERT_X(c >= 0 || m_fields.isEmpty(), "QueryModel::value", qPrintable(field));
    if (row < 0 || row >= int(m_rows.size()) || c < 0)
        return {};
    return m_rows[row][c];
}

int QueryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int QueryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant QueryModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int c = m_shown[index.column()];
    if (c < 0)
        return {};
    const QVariant &v = m_rows[index.row()][c];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const auto &format = m_columns[index.column()].format;
        return format ? QVariant(format(v)) : QVariant(v.toString());
    }
    if (role == Qt::EditRole)
        return v;
    return {};
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section].caption) : QVariant();
    return section + 1;
}

Qt::ItemFlags QueryModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool QueryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd && !m_fetching;
}

void QueryModel::fetchMore(const QModelIndex &parent)
{
    // Views (and model checkers) may ask again while rows are being inserted.
    if (parent.isValid() || m_atEnd || m_fetching)
        return;
    const QScopedValueRollback fetching(m_fetching, true);
    std::vector<QVariantList> page;
    m_status = readPage(page);
    if (!m_status || page.empty()) {
        m_atEnd = true;
        return;
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(page.size()) - 1);
    for (auto &row : page)
        m_rows.push_back(std::move(row));
    endInsertRows();
}
