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
    return read(false);
}

Status RecordSet::read(bool keepPlace)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(m_sql))
        return Status::failure(q.lastError(), m_sql);
    for (const QVariant &v : m_binds)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError(), m_sql);

    const QSqlRecord rec = q.record();
    const int first = m_table.isEmpty() ? 0 : 1; // table sets lead with the rowid
    QStringList columns;
    QHash<QString, int> index;
    for (int i = first; i < rec.count(); ++i) {
        index.insert(rec.fieldName(i).toLower(), i - first);
        columns << rec.fieldName(i);
    }
    // Rows still there keep their bookmarks when the place is kept.
    QHash<qint64, Bookmark> marks;
    const qint64 currentRowid = keepPlace && first && onRow() ? m_rows[m_pos].rowid : -1;
    if (keepPlace && first) {
        for (const Row &r : m_rows)
            marks.insert(r.rowid, r.mark);
    }
    std::vector<Row> rows;
    while (q.next()) {
        Row row;
        row.rowid = first ? q.value(0).toLongLong() : -1;
        row.mark = marks.value(row.rowid, 0);
        if (row.mark == 0)
            row.mark = m_nextMark++;
        for (int i = first; i < rec.count(); ++i)
            row.values << q.value(i);
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        return Status::failure(q.lastError(), m_sql);

    const int oldPos = m_pos;
    const int oldCount = int(m_rows.size());
    m_columns = columns;
    m_index = index;
    m_rows = std::move(rows);
    m_open = true;
    m_transaction = Transaction::running(database());
    if (!keepPlace) {
        m_pos = 0;
        cancelUpdate();
        return {};
    }
    const auto current = std::find_if(m_rows.begin(), m_rows.end(),
                                      [currentRowid](const Row &r) { return r.rowid == currentRowid; });
    if (currentRowid != -1 && current != m_rows.end())
        m_pos = int(current - m_rows.begin());
    else if (m_editMode == EditMode::Edit)
        m_pos = int(m_rows.size()); // the row being edited is gone: the edit cannot be stored
    else if (oldPos < 0)
        m_pos = -1;
    else if (oldPos >= oldCount)
        m_pos = int(m_rows.size());
    else
        m_pos = std::min(oldPos, std::max(int(m_rows.size()) - 1, 0));
    return {};
}

void RecordSet::settle() const
{
    if (m_transaction == 0)
        return;
    const Transaction::Outcome outcome = Transaction::outcome(m_transaction);
    if (outcome == Transaction::Outcome::Active)
        return;
    // The snapshot catches up with the file; the set's value as seen from
    // outside is what the file holds, so this is no change of a const set.
    auto *self = const_cast<RecordSet *>(this);
    self->m_transaction = 0;
    if (outcome == Transaction::Outcome::RolledBack && !self->read(true)) {
        // Rather no rows than rows the file does not hold; writes are refused.
        self->m_rows.clear();
        self->m_pos = 0;
        self->m_open = false;
    }
}

void RecordSet::noteTransaction()
{
    if (const quint64 running = Transaction::running(database()))
        m_transaction = running;
}

int RecordSet::recordCount() const
{
    settle();
    return int(m_rows.size());
}

bool RecordSet::eof() const
{
    settle();
    return m_pos >= int(m_rows.size()) || m_rows.empty();
}

bool RecordSet::bof() const
{
    settle();
    return m_pos < 0 || m_rows.empty();
}

void RecordSet::moveFirst()
{
    settle();
    m_pos = 0;
}

void RecordSet::moveLast() { m_pos = recordCount() - 1; }
void RecordSet::moveNext() { m_pos = std::min(m_pos + 1, recordCount()); }

void RecordSet::movePrevious()
{
    settle();
    m_pos = std::max(m_pos - 1, -1);
}

int RecordSet::absolutePosition() const
{
    settle();
    return (m_pos >= 0 && m_pos < recordCount()) ? m_pos + 1 : 0;
}

void RecordSet::setAbsolutePosition(int position)
{
    settle();
    if (position >= 1 && position <= recordCount())
        m_pos = position - 1;
}

RecordSet::Bookmark RecordSet::bookmark() const
{
    settle();
    return (m_pos >= 0 && m_pos < recordCount()) ? m_rows[m_pos].mark : 0;
}

bool RecordSet::setBookmark(Bookmark mark)
{
    settle();
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

int RecordSet::requiredColumn(const QString &column, const char *use) const
{
    const int c = columnIndex(column);
    // A set that could not be read knows no columns; its failure was reported.
    if (c < 0 && m_open) {
        const QString source = m_table.isEmpty() ? QStringLiteral("query") : m_table;
        qWarning("RecordSet: %s of column \"%s\", which the %s does not have (columns: %s)", use,
                 qPrintable(column), qPrintable(source), qPrintable(m_columns.join(QLatin1String(", "))));
        Q_ASSERT_X(false, "RecordSet", "a column name the set does not have");
    }
    return c;
}

bool RecordSet::find(const QString &column, const QVariant &value)
{
    settle();
    const int c = requiredColumn(column, "search");
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
    settle();
    const int c = requiredColumn(column, "sort");
    if (c >= 0) {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [c](const Row &a, const Row &b) { return lessThan(a.values[c], b.values[c]); });
    }
    m_pos = 0;
}

QVariant RecordSet::value(const QString &column) const
{
    settle();
    const int c = requiredColumn(column, "read");
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
    settle();
    if (m_editMode == EditMode::None)
        m_editMode = EditMode::Edit;
    const int c = requiredColumn(column, "assignment");
    if (c < 0) {
        // Dropping the value would store the rest of the record without it.
        if (!m_unknown.contains(column))
            m_unknown << column;
        return;
    }
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
    m_unknown.clear();
    m_editMode = EditMode::Add;
}

void RecordSet::cancelUpdate()
{
    m_pending.clear();
    m_unknown.clear();
    m_editMode = EditMode::None;
}

Status RecordSet::readRow(qint64 rowid, Row &row) const
{
    const QString sql = QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table));
    QSqlQuery q(database());
    if (!q.prepare(sql))
        return Status::failure(q.lastError(), sql);
    q.addBindValue(rowid);
    if (!q.exec() || !q.next())
        return q.lastError().isValid() ? Status::failure(q.lastError(), sql)
                                       : Status::failure(QStringLiteral("The record no longer exists."), sql);
    row.rowid = rowid;
    row.values.clear();
    for (int i = 0; i < m_columns.size(); ++i)
        row.values << q.value(m_columns[i]);
    return {};
}

Status RecordSet::update()
{
    settle();
    if (m_table.isEmpty())
        return Status::failure(QStringLiteral("This list cannot be changed."));
    if (m_editMode == EditMode::None)
        return {};
    if (!m_open)
        return Status::failure(QStringLiteral("The list could not be read; nothing was stored."));
    if (!m_unknown.isEmpty())
        return Status::failure(QStringLiteral("The table %1 has no column %2; nothing was stored.")
                                   .arg(m_table, m_unknown.join(QLatin1String(", "))));
    if (m_editMode == EditMode::Edit && !onRow())
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
    // The write and the reading back of the stored row (with the table's own
    // conversions) succeed together or leave the table as it was: a trigger
    // may refuse after the row was written, or move it out of reach.
    Savepoint write(database());
    if (Status s = write.begin(); !s)
        return s;
    qint64 rowid = -1;
    {
        QSqlQuery q(database());
        if (!q.prepare(sql))
            return Status::failure(q.lastError(), sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            return Status::failure(q.lastError(), sql);
        rowid = q.lastInsertId().toLongLong();
        if (m_editMode == EditMode::Edit) {
            if (!q.next())
                return Status::failure(QStringLiteral("The record no longer exists."), sql);
            rowid = q.value(0).toLongLong();
        }
    }
    Row row;
    if (Status s = readRow(rowid, row); !s)
        return s;
    if (Status s = write.release(); !s)
        return s;

    noteTransaction();
    if (m_editMode == EditMode::Add) {
        row.mark = m_nextMark++;
        m_rows.push_back(std::move(row));
        m_pos = int(m_rows.size()) - 1;
    } else {
        row.mark = m_rows[m_pos].mark;
        m_rows[m_pos] = std::move(row);
    }
    cancelUpdate();
    return {};
}

Status RecordSet::deleteCurrent()
{
    settle();
    if (m_table.isEmpty())
        return Status::failure(QStringLiteral("This list cannot be changed."));
    if (!onRow())
        return Status::failure(QStringLiteral("There is no current record to delete."));
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table));
    // A trigger that fails after the row went must not leave it gone.
    Savepoint write(database());
    if (Status s = write.begin(); !s)
        return s;
    {
        QSqlQuery q(database());
        if (!q.prepare(sql))
            return Status::failure(q.lastError(), sql);
        q.addBindValue(m_rows[m_pos].rowid);
        if (!q.exec())
            return Status::failure(q.lastError(), sql);
    }
    if (Status s = write.release(); !s)
        return s;
    noteTransaction();
    cancelUpdate();
    m_rows.erase(m_rows.begin() + m_pos);
    return {};
}
