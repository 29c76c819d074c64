#include "data/RowReader.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace RowReader {

QVariant Rows::value(qsizetype row, int column) const
{
    const Cell &cell = m_cells[size_t(row * m_columns + column)];
    switch (cell.kind) {
    case Kind::Null:
        return QVariant(QMetaType::fromType<QString>());
    case Kind::Integer:
        return QVariant(cell.number);
    case Kind::Real:
        return QVariant(cell.real);
    case Kind::Text:
        return QString::fromUtf8(m_bytes.constData() + cell.number, cell.length);
    case Kind::Blob:
        return QByteArray(m_bytes.constData() + cell.number, cell.length);
    }
    return {};
}

QVariantList Rows::row(qsizetype row) const
{
    QVariantList values;
    values.reserve(m_columns);
    for (int c = 0; c < m_columns; ++c)
        values << value(row, c);
    return values;
}

void Rows::clear()
{
    m_columns = 0;
    m_cells.clear();
    m_bytes.clear();
}

// Adds cells to Rows, row by row; undo() takes back all it added.
class Writer
{
public:
    Writer(Rows &rows, int columns) : m_rows(rows), m_cells(rows.m_cells.size()), m_bytes(rows.m_bytes.size())
    {
        if (!m_rows.m_columns)
            m_rows.m_columns = columns;
    }
    bool fits(int columns) const { return m_rows.m_columns == columns; }
    void null() { m_rows.m_cells.push_back({}); }
    void integer(qint64 n) { m_rows.m_cells.push_back({Rows::Kind::Integer, 0, n, 0}); }
    void real(double d) { m_rows.m_cells.push_back({Rows::Kind::Real, 0, 0, d}); }
    void bytes(Rows::Kind kind, const char *data, int length)
    {
        m_rows.m_cells.push_back({kind, length, qint64(m_rows.m_bytes.size()), 0});
        m_rows.m_bytes.append(data, length);
    }
    void text(const char *data, int length) { bytes(Rows::Kind::Text, data, length); }
    void blob(const char *data, int length) { bytes(Rows::Kind::Blob, data, length); }
    void undo()
    {
        m_rows.m_cells.resize(m_cells);
        m_rows.m_bytes.truncate(qsizetype(m_bytes));
        if (m_rows.m_cells.empty())
            m_rows.m_columns = 0;
    }

private:
    Rows &m_rows;
    size_t m_cells;
    size_t m_bytes;
};

namespace {

Result readWithQuery(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip, Rows &rows)
{
    Result result;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        result.status = Status::failure(q.lastError(), sql);
        return result;
    }
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        result.status = Status::failure(q.lastError(), sql);
        return result;
    }
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        result.fields << rec.fieldName(i).toLower();
    Writer out(rows, rec.count());
    if (!out.fits(rec.count())) {
        result.status = Status::failure(QStringLiteral("The query's columns changed between two reads."), sql);
        return result;
    }
    for (qint64 n = 0; n < skip && q.next(); ++n) {
    }
    while (q.next()) {
        for (int i = 0; i < rec.count(); ++i) {
            const QVariant v = q.value(i);
            switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
            case QMetaType::UnknownType:
                out.null();
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Bool:
                out.integer(v.toLongLong());
                break;
            case QMetaType::Double:
                out.real(v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                out.blob(b.constData(), int(b.size()));
                break;
            }
            default: {
                const QByteArray t = v.toString().toUtf8();
                out.text(t.constData(), int(t.size()));
                break;
            }
            }
        }
    }
    if (q.lastError().isValid()) {
        out.undo();
        result.status = Status::failure(q.lastError(), sql);
    }
    return result;
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (db.driverName() != QLatin1String("QSQLITE") || !db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// The types the program binds; any other is left to QSqlQuery.
bool bindable(const QVariant &v)
{
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

int bind(sqlite3_stmt *st, int index, const QVariant &v)
{
    if (v.isNull())
        return sqlite3_bind_null(st, index);
    switch (v.typeId()) {
    case QMetaType::Double:
        return sqlite3_bind_double(st, index, v.toDouble());
    case QMetaType::QString: {
        // A null text is bound as NULL, as the Qt driver binds it.
        const QString text = v.toString();
        if (text.isNull())
            return sqlite3_bind_null(st, index);
        return sqlite3_bind_text16(st, index, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
    }
    default:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    }
}

Status failure(sqlite3 *db, const QString &what, const QString &sql)
{
    return Status::failure(QSqlError(what, QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError,
                                     QString::number(sqlite3_extended_errcode(db))),
                           sql);
}

} // namespace

Result read(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip, Rows &rows)
{
    sqlite3 *handle = sqliteHandle(db);
    if (!handle || !std::all_of(values.begin(), values.end(), bindable))
        return readWithQuery(db, sql, values, skip, rows);

    Result result;
    sqlite3_stmt *raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK) {
        result.status = failure(handle, QStringLiteral("Unable to execute statement"), sql);
        return result;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> st(raw, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i) {
        if (bind(raw, i + 1, values[i]) != SQLITE_OK) {
            result.status = failure(handle, QStringLiteral("Unable to bind parameters"), sql);
            return result;
        }
    }
    const int columns = sqlite3_column_count(raw);
    for (int c = 0; c < columns; ++c)
        result.fields << QString::fromUtf8(sqlite3_column_name(raw, c)).toLower();
    Writer out(rows, columns);
    if (!out.fits(columns)) {
        result.status = Status::failure(QStringLiteral("The query's columns changed between two reads."), sql);
        return result;
    }
    int step = SQLITE_ROW;
    for (qint64 n = 0; n < skip && (step = sqlite3_step(raw)) == SQLITE_ROW; ++n) {
    }
    while (step == SQLITE_ROW && (step = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(raw, c)) {
            case SQLITE_INTEGER:
                out.integer(sqlite3_column_int64(raw, c));
                break;
            case SQLITE_FLOAT:
                out.real(sqlite3_column_double(raw, c));
                break;
            case SQLITE_NULL:
                out.null();
                break;
            case SQLITE_BLOB:
                out.blob(static_cast<const char *>(sqlite3_column_blob(raw, c)), sqlite3_column_bytes(raw, c));
                break;
            default:
                out.text(reinterpret_cast<const char *>(sqlite3_column_text(raw, c)), sqlite3_column_bytes(raw, c));
                break;
            }
        }
    }
    if (step != SQLITE_DONE) {
        out.undo();
        result.status = failure(handle, QStringLiteral("Unable to fetch row"), sql);
    }
    return result;
}

Result forEach(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
               const std::function<void(const QVariantList &row)> &use)
{
    Rows rows;
    const Result result = read(db, sql, values, skip, rows);
    if (result.status) {
        for (qsizetype r = 0; r < rows.count(); ++r)
            use(rows.row(r));
    }
    return result;
}

} // namespace RowReader
