#pragma once

#include "data/Status.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

// Reads the rows of one query and gives their values as QSqlQuery gives them
// (whole numbers as qint64, an empty value as a null text, text as QString).
// On SQLite it steps SQLite's own statement, and the rows are kept packed (the
// texts of all rows in one buffer) and made into values only when asked for:
// for a grid of thousands of rows, the Qt driver spent more on handing each
// value along than SQLite spent finding it. Other engines, and values to bind of
// other types, go through QSqlQuery.
namespace RowReader {

// Rows read, packed: a cell per column of each row, texts in one buffer.
class Rows
{
public:
    qsizetype count() const { return m_columns ? qsizetype(m_cells.size()) / m_columns : 0; }
    int columns() const { return m_columns; }
    // The value of one cell, as QSqlQuery would give it.
    QVariant value(qsizetype row, int column) const;
    // A whole row's values.
    QVariantList row(qsizetype row) const;
    void clear();

private:
    friend class Writer;
    enum class Kind : quint8 { Null, Integer, Real, Text, Blob };
    struct Cell
    {
        Kind kind = Kind::Null;
        int length = 0;      // text or blob: bytes
        qint64 number = 0;   // integer; text or blob: offset in m_bytes
        double real = 0;
    };
    int m_columns = 0;
    std::vector<Cell> m_cells;
    QByteArray m_bytes;
};

struct Result
{
    Status status;
    QStringList fields; // the query's column names, lower case
};

// Runs `sql` with `values` bound in order, steps over the first `skip` rows
// and adds the others to `rows`. The statement is finished before it returns;
// on failure `rows` holds what it held before.
Result read(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip, Rows &rows);

// The same, handing each row to `use` in turn.
Result forEach(QSqlDatabase db, const QString &sql, const QVariantList &values, qint64 skip,
               const std::function<void(const QVariantList &row)> &use);

} // namespace RowReader
