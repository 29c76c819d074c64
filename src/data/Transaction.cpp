#include "data/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

Status execBound(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Status::failure(q.lastError(), sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError(), sql);
    return {};
}

Transaction::Transaction(QSqlDatabase db) : m_db(db) {}

Transaction::~Transaction()
{
    // Disk full, I/O errors and busy may already have ended the transaction;
    // ROLLBACK then fails harmlessly.
    if (m_active) {
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
    }
}

Status Transaction::begin()
{
    Status s = execBound(m_db, QStringLiteral("BEGIN IMMEDIATE"));
    m_active = s.ok();
    return s;
}

Status Transaction::commit()
{
    if (!m_active)
        return Status::failure(QStringLiteral("No transaction is active"));
    Status s = execBound(m_db, QStringLiteral("COMMIT"));
    if (s.ok())
        m_active = false;
    return s;
}
