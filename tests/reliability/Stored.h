#pragma once

// What a Corvana file holds, read into plain values the reliability tests can
// compare: every row of every table, keyed by the record's own key, each value in
// one canonical text (numbers as numbers, text quoted, NULL as NULL), so that two
// files, or a file and a model of what should be in it, compare exactly.

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Stored {

// The tables and the columns compared. Rows are keyed by `key`; the order lines
// have no key of their own and are keyed "order/position" in stored order.
struct Table
{
    QString name;
    QString key;
    QStringList columns;
};
const QList<Table> &tables();
const Table &table(const QString &name);

// A value in canonical text, as the column's kind stores it.
QString canonical(const QString &table, const QString &column, const QVariant &value);

using Row = QStringList; // values in the order of Table::columns
using Rows = QMap<QString, Row>;

struct State
{
    QMap<QString, Rows> rows; // table name -> key -> values

    Rows &operator[](const QString &table) { return rows[table]; }
    Rows operator[](const QString &table) const { return rows.value(table); }
    bool operator==(const State &other) const { return rows == other.rows; }
    bool operator!=(const State &other) const { return !(*this == other); }

    // One row's value by column name; empty when the row is not there.
    QString value(const QString &table, const QString &key, const QString &column) const;
    void setValue(const QString &table, const QString &key, const QString &column, const QString &value);

    // The lines of an order, in stored order: {cust_num, product_num, order_qty}.
    QList<Row> lines(int orderNum) const;
    void setLines(int orderNum, const QList<Row> &lines);
};

// The differences from `expected`, one per line ("orders 12: expected ..., found ..."),
// at most `limit` of them.
QString diff(const State &expected, const State &found, int limit = 12);

// Reads every table of `db`; `error` receives the reason when a query fails.
State read(QSqlDatabase db, QString *error = nullptr);

// What is wrong with the file beyond its values, each in a line: integrity_check
// not "ok", rows that break a foreign key, order lines without their order, and
// orders without lines (the harnesses save every order with at least one line).
QStringList problems(QSqlDatabase db);

// The row key of an order line.
QString lineKey(int orderNum, int position);

} // namespace Stored
