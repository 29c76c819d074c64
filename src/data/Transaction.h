#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QVariant>

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

private:
    QSqlDatabase m_db;
    bool m_active = false;
};

// Runs one statement with bound values; the failure carries the driver's text.
Status execBound(QSqlDatabase db, const QString &sql, const QVariantList &values = {});
