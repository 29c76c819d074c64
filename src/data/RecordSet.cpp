#include "data/RecordSet.h"

#include "data/TextRules.h"
#include "data/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {

const QString RowidColumn = QStringLiteral("corvana_rowid");

QString quoted(const QString &identifier)
{
    QString s = identifier;
    return QLatin1Char('"') + s.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool sameValue(const QVariant &stored, const QVariant &wanted)
{
    if (stored.isNull())
        return false;
    if (isNumber(stored) || isNumber(wanted)) {
        const auto a = isNumber(stored) ? std::optional<double>(stored.toDouble())
                                        : TextRules::toNumber(stored.toString());
        const auto b = isNumber(wanted) ? std::optional<double>(wanted.toDouble())
                                        : TextRules::toNumber(wanted.toString());
        return a && b && *a == *b;
    }
    return stored.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0;
}

bool lessThan(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && !b.isNull();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() < b.toDouble();
    return a.toString().compare(b.toString(), Qt::CaseInsensitive) < 0;
}

} // namespace

RecordSet RecordSet::table(QSqlDatabase db, const QString &table, const QString &orderBy)
{
    RecordSet rs;
    rs.m_connection = db.connectionName();
    rs.m_table = table;
    rs.m_sql = QStringLiteral("SELECT rowid AS %1, * FROM %2 ORDER BY %3rowid")
                   .arg(RowidColumn, quoted(table), orderBy.isEmpty() ? QString() : orderBy + QLatin1String(", "));
    return rs;
}

RecordSet RecordSet::query(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    RecordSet rs;
    rs.m_connection = db.connectionName();
    rs.m_sql = sql;
    rs.m_binds = values;
    return rs;
}

QSqlDatabase RecordSet::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

Status RecordSet::refresh()
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(m_sql))
        return Status::failure(q.lastError().text(), m_sql);
    for (const QVariant &v : m_binds)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError().text(), m_sql);

    const QSqlRecord rec = q.record();
    const int first = m_table.isEmpty() ? 0 : 1; // table sets lead with the rowid
    m_columns.clear();
    m_index.clear();
    for (int i = first; i < rec.count(); ++i) {
        m_index.insert(rec.fieldName(i).toLower(), i - first);
        m_columns << rec.fieldName(i);
    }
    m_rows.clear();
    while (q.next()) {
        Row row;
        row.mark = m_nextMark++;
        row.rowid = first ? q.value(0).toLongLong() : -1;
        for (int i = first; i < rec.count(); ++i)
            row.values << q.value(i);
        m_rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        return Status::failure(q.lastError().text(), m_sql);
    m_open = true;
    m_pos = 0;
    cancelUpdate();
    return {};
}

void RecordSet::moveFirst() { m_pos = 0; }
void RecordSet::moveLast() { m_pos = recordCount() - 1; }
void RecordSet::moveNext() { m_pos = std::min(m_pos + 1, recordCount()); }
void RecordSet::movePrevious() { m_pos = std::max(m_pos - 1, -1); }

int RecordSet::absolutePosition() const
{
    return (m_pos >= 0 && m_pos < recordCount()) ? m_pos + 1 : 0;
}

void RecordSet::setAbsolutePosition(int position)
{
    if (position >= 1 && position <= recordCount())
        m_pos = position - 1;
}

RecordSet::Bookmark RecordSet::bookmark() const
{
    return (m_pos >= 0 && m_pos < recordCount()) ? m_rows[m_pos].mark : 0;
}

bool RecordSet::setBookmark(Bookmark mark)
{
    auto it = std::find_if(m_rows.begin(), m_rows.end(), [mark](const Row &r) { return r.mark == mark; });
    if (it == m_rows.end())
        return false;
    m_pos = int(it - m_rows.begin());
    return true;
}

int RecordSet::columnIndex(const QString &column) const
{
    return m_index.value(column.toLower(), -1);
}

bool RecordSet::find(const QString &column, const QVariant &value)
{
    const int c = columnIndex(column);
    for (int i = std::max(m_pos, 0); c >= 0 && i < recordCount(); ++i) {
        if (sameValue(m_rows[i].values[c], value)) {
            m_pos = i;
            return true;
        }
    }
    m_pos = recordCount();
    return false;
}

void RecordSet::sort(const QString &column)
{
    const int c = columnIndex(column);
    if (c >= 0) {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [c](const Row &a, const Row &b) { return lessThan(a.values[c], b.values[c]); });
    }
    m_pos = 0;
}

QVariant RecordSet::value(const QString &column) const
{
    const int c = columnIndex(column);
    if (c < 0)
        return {};
    if (m_pending.contains(c))
        return m_pending.value(c);
    if (m_editMode == EditMode::Add || m_pos < 0 || m_pos >= recordCount())
        return {};
    return m_rows[m_pos].values[c];
}

QString RecordSet::text(const QString &column) const { return value(column).toString(); }
qint64 RecordSet::integer(const QString &column) const { return value(column).toLongLong(); }
double RecordSet::real(const QString &column) const { return value(column).toDouble(); }
Money RecordSet::money(const QString &column) const { return Money::fromUnits(value(column).toLongLong()); }
QDate RecordSet::date(const QString &column) const { return TextRules::fromStoredDate(text(column)); }

void RecordSet::setValue(const QString &column, const QVariant &value)
{
    const int c = columnIndex(column);
    if (c < 0)
        return;
    if (m_editMode == EditMode::None)
        m_editMode = EditMode::Edit;
    // An empty box gives a null string, which would be stored as NULL: store ''.
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        m_pending.insert(c, QString(QLatin1String("")));
    else
        m_pending.insert(c, value);
}

void RecordSet::setMoney(const QString &column, Money amount) { setValue(column, amount.units()); }

void RecordSet::setDate(const QString &column, const QDate &date)
{
    setValue(column, date.isValid() ? QVariant(TextRules::toStoredDate(date)) : QVariant());
}

void RecordSet::addNew()
{
    m_pending.clear();
    m_editMode = EditMode::Add;
}

void RecordSet::cancelUpdate()
{
    m_pending.clear();
    m_editMode = EditMode::None;
}

Status RecordSet::readRow(qint64 rowid, Row &row) const
{
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table));
    QSqlQuery q(database());
    if (!q.prepare(sql))
        return Status::failure(q.lastError().text(), sql);
    q.addBindValue(rowid);
    if (!q.exec() || !q.next())
        return Status::failure(q.lastError().isValid() ? q.lastError().text()
                                                        : QStringLiteral("The record no longer exists."), sql);
    row.rowid = rowid;
    row.values.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        row.values << q.value(m_columns[i]);
    return {};
}

Status RecordSet::update()
{
    if (m_table.isEmpty())
        return Status::failure(QStringLiteral("This list cannot be changed."));
    if (m_editMode == EditMode::None)
        return {};
    if (m_editMode == EditMode::Edit && (m_pos < 0 || m_pos >= recordCount()))
        return Status::failure(QStringLiteral("There is no current record to change."));

    QStringList names;
    QVariantList values;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        names << quoted(m_columns[it.key()]);
        values << it.value();
    }
    QString sql;
    if (m_editMode == EditMode::Add) {
        QStringList marks(names.size(), QStringLiteral("?"));
        sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(quoted(m_table), names.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    } else {
        if (names.isEmpty()) {
            cancelUpdate();
            return {};
        }
        // The row's rowid comes back: changing an INTEGER PRIMARY KEY changes it.
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ? RETURNING rowid")
                  .arg(quoted(m_table), names.join(QLatin1String(" = ?, ")));
        values << m_rows[m_pos].rowid;
    }
    // The write and the reading back of the stored row are one transaction, so
    // that the row is stored only when it is reported stored: on its own, an
    // UPDATE ... RETURNING commits when the statement is reset, and an error of
    // that commit would be lost; an INSERT whose row could not be read back
    // would stay stored behind a failure message.
    Transaction tx(database());
    if (Status s = tx.begin(); !s)
        return s;
    QSqlQuery q(database());
    if (!q.prepare(sql))
        return Status::failure(q.lastError().text(), sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError().text(), sql);
    qint64 rowid = q.lastInsertId().toLongLong();
    if (m_editMode == EditMode::Edit) {
        if (!q.next())
            return Status::failure(QStringLiteral("The record no longer exists."), sql);
        rowid = q.value(0).toLongLong();
        q.finish();
    }

    // Mirror the stored row (with the table's own conversions) in the snapshot.
    Row row;
    if (Status s = readRow(rowid, row); !s)
        return s;
    if (Status s = tx.commit(); !s)
        return s;
    if (m_editMode == EditMode::Add) {
        row.mark = m_nextMark++;
        m_rows.push_back(std::move(row));
        m_pos = recordCount() - 1;
    } else {
        row.mark = m_rows[m_pos].mark;
        m_rows[m_pos] = std::move(row);
    }
    cancelUpdate();
    return {};
}

Status RecordSet::deleteCurrent()
{
    if (m_table.isEmpty())
        return Status::failure(QStringLiteral("This list cannot be changed."));
    if (m_pos < 0 || m_pos >= recordCount())
        return Status::failure(QStringLiteral("There is no current record to delete."));
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table));
    QSqlQuery q(database());
    if (!q.prepare(sql))
        return Status::failure(q.lastError().text(), sql);
    q.addBindValue(m_rows[m_pos].rowid);
    if (!q.exec())
        return Status::failure(q.lastError().text(), sql);
    cancelUpdate();
    m_rows.erase(m_rows.begin() + m_pos);
    return {};
}
