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
    m_handed = 0;
    m_fields.clear();
    // LIMIT is understood by SQLite, PostgreSQL and MySQL alike.
    m_status = read(QStringLiteral(" LIMIT %1").arg(PageSize), 0);
    if (!m_status)
        m_rows.clear();
    m_handed = m_rows.count();
    m_atEnd = m_handed < PageSize;
    m_restRead = m_atEnd;
    m_shown.clear();
    for (const Column &c : m_columns)
        m_shown.push_back(int(m_fields.indexOf(c.field.toLower())));
    endResetModel();
    return m_status;
}

Status QueryModel::read(const QString &limit, qint64 skip)
{
    // The rows already read are stepped over, not kept twice.
    const RowReader::Result r =
        RowReader::read(QSqlDatabase::database(m_connection, false), m_sql + limit, m_binds, skip, m_rows);
    if (m_fields.isEmpty())
        m_fields = r.fields;
    return r.status;
}

QVariant QueryModel::value(int row, const QString &field) const
{
    const int c = int(m_fields.indexOf(field.toLower()));
    Q_ASSERT_X(c >= 0 || m_fields.isEmpty(), "QueryModel::value", qPrintable(field));
    if (row < 0 || row >= m_handed || c < 0)
        return {};
    return m_rows.value(row, c);
}

int QueryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_handed);
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
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const QVariant v = m_rows.value(index.row(), c);
        const auto &format = m_columns[index.column()].format;
        return format ? QVariant(format(v)) : QVariant(v.toString());
    }
    if (role == Qt::EditRole)
        return m_rows.value(index.row(), c);
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
    if (!m_restRead) {
        m_status = read(QString(), m_rows.count());
        m_restRead = true;
        if (!m_status) {
            m_atEnd = true;
            return;
        }
    }
    const qsizetype last = std::min(m_rows.count(), m_handed + PageSize) - 1;
    if (last < m_handed) {
        m_atEnd = true;
        return;
    }
    beginInsertRows({}, int(m_handed), int(last));
    m_handed = last + 1;
    endInsertRows();
    m_atEnd = m_handed >= m_rows.count();
}
