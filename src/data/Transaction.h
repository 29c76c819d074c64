#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <optional>

// BEGIN IMMEDIATE ... COMMIT, rolled back on scope exit unless commit() succeeded.
// Every statement run inside must have its exec() checked; at the first failure
// the caller returns and the guard rolls everything back.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    Status begin();
    Status commit();

    // Every transaction begun through a guard has its own number, so that a
    // record set that wrote or read inside one can learn afterwards whether
    // what it holds was kept.
    enum class Outcome { Active, Committed, RolledBack };
    // The number of the transaction running on `db` through a guard; 0 for none.
    static quint64 running(const QSqlDatabase &db);
    static Outcome outcome(quint64 number);

private:
    QSqlDatabase m_db;
    bool m_active = false;
    quint64 m_number = 0;
};

// One write made whole or not at all: inside a running Transaction a savepoint
// (its failure undoes only this write), otherwise a transaction of its own.
// Rolled back on scope exit unless release() succeeded.
class Savepoint
{
public:
    explicit Savepoint(QSqlDatabase db);
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    Status begin();
    Status release();

private:
    QSqlDatabase m_db;
    bool m_nested = false;
    bool m_active = false;
};

// Runs one statement with bound values; the failure carries the driver's text.
Status execBound(QSqlDatabase db, const QString &sql, const QVariantList &values = {});
// The same on a query the caller keeps, to read its rows or the rows it changed.
Status execBound(QSqlQuery &q, const QString &sql, const QVariantList &values = {});
// One statement prepared once and run again with new values, as for each line
// of an order: preparing it anew for every line cost more than running it.
class PreparedStatement
{
public:
    PreparedStatement(QSqlDatabase db, const QString &sql);
    // Runs it with `values` bound in order; the rows it read are on query().
    Status exec(const QVariantList &values);
    QSqlQuery &query() { return m_query; }

private:
    QSqlQuery m_query;
    QString m_sql;
    bool m_prepared = false;
};

// The first value of the first row of `sql`; nothing, with `status` set, on failure.
std::optional<QVariant> scalar(QSqlDatabase db, const QString &sql, Status &status);
