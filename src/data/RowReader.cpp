#include "data/RowReader.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace RowReader {
namespace {

Result forEachWithQuery(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
                        const std::function<void(const QVariantList &)> &use)
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
    for (qint64 n = 0; n < skip && q.next(); ++n) {
    }
    QVariantList row;
    while (q.next()) {
        row.clear();
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row << q.value(i);
        use(row);
    }
    if (q.lastError().isValid())
        result.status = Status::failure(q.lastError(), sql);
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
        const QString text = v.toString();
        return sqlite3_bind_text16(st, index, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
    }
    default:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    }
}

// The value as the Qt driver would give it.
QVariant value(sqlite3_stmt *st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)), sqlite3_column_bytes(st, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    }
}

Status failure(sqlite3 *db, const QString &what, const QString &sql)
{
    return Status::failure(QSqlError(what, QString::fromUtf8(sqlite3_errmsg(db)), QSqlError::StatementError,
                                     QString::number(sqlite3_extended_errcode(db))),
                           sql);
}

} // namespace

Result forEach(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
               const std::function<void(const QVariantList &)> &use)
{
    sqlite3 *handle = sqliteHandle(db);
    if (!handle || !std::all_of(values.begin(), values.end(), bindable))
        return forEachWithQuery(db, sql, values, skip, use);

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
    int step = SQLITE_ROW;
    for (qint64 n = 0; n < skip && (step = sqlite3_step(raw)) == SQLITE_ROW; ++n) {
    }
    if (step == SQLITE_ROW) {
        QVariantList row;
        while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
            row.clear();
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row << value(raw, c);
            use(row);
        }
    }
    if (step != SQLITE_DONE)
        result.status = failure(handle, QStringLiteral("Unable to fetch row"), sql);
    return result;
}

Result read(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
            std::vector<QVariantList> &rows)
{
    return forEach(db, sql, values, skip, [&rows](const QVariantList &row) { rows.push_back(row); });
}

} // namespace RowReader
