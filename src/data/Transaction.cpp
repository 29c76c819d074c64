#include "data/Transaction.h"

#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The transactions begun through guards: the one running on each connection,
// and the numbers of those rolled back (all others that ended were committed).
struct Registry
{
    QHash<QString, quint64> running;
    QSet<quint64> rolledBack;
    quint64 next = 1;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

Status execBound(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    return execBound(q, sql, values);
}

Status execBound(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return Status::failure(q.lastError(), sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError(), sql);
    return {};
}

PreparedStatement::PreparedStatement(QSqlDatabase db, const QString &sql) : m_query(db), m_sql(sql)
{
    m_query.setForwardOnly(true);
}

Status PreparedStatement::exec(const QVariantList &values)
{
    if (!m_prepared && !(m_prepared = m_query.prepare(m_sql)))
        return Status::failure(m_query.lastError(), m_sql);
    for (int i = 0; i < values.size(); ++i)
        m_query.bindValue(i, values[i]);
    if (!m_query.exec())
        return Status::failure(m_query.lastError(), m_sql);
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
        registry().rolledBack.insert(m_number);
        registry().running.remove(m_db.connectionName());
    }
}

Status Transaction::begin()
{
    Status s = execBound(m_db, QStringLiteral("BEGIN IMMEDIATE"));
    m_active = s.ok();
    if (m_active) {
        m_number = registry().next++;
        registry().running.insert(m_db.connectionName(), m_number);
    }
    return s;
}

Status Transaction::commit()
{
    if (!m_active)
        return Status::failure(QStringLiteral("No transaction is active"));
    Status s = execBound(m_db, QStringLiteral("COMMIT"));
    if (s.ok()) {
        m_active = false;
        registry().running.remove(m_db.connectionName());
    }
    return s;
}

quint64 Transaction::running(const QSqlDatabase &db)
{
    return registry().running.value(db.connectionName(), 0);
}

Transaction::Outcome Transaction::outcome(quint64 number)
{
    const Registry &r = registry();
    for (quint64 running : r.running) {
        if (running == number)
            return Outcome::Active;
    }
    return r.rolledBack.contains(number) ? Outcome::RolledBack : Outcome::Committed;
}

Savepoint::Savepoint(QSqlDatabase db) : m_db(db) {}

Savepoint::~Savepoint()
{
    if (!m_active)
        return;
    QSqlQuery q(m_db);
    if (m_nested) {
        // Undoes this write only; the surrounding transaction goes on.
        q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT corvana_write"));
        q.exec(QStringLiteral("RELEASE SAVEPOINT corvana_write"));
    } else {
        q.exec(QStringLiteral("ROLLBACK"));
    }
}

Status Savepoint::begin()
{
    m_nested = Transaction::running(m_db) != 0;
    Status s = execBound(m_db, m_nested ? QStringLiteral("SAVEPOINT corvana_write")
                                        : QStringLiteral("BEGIN IMMEDIATE"));
    m_active = s.ok();
    return s;
}

Status Savepoint::release()
{
    if (!m_active)
        return Status::failure(QStringLiteral("No transaction is active"));
    Status s = execBound(m_db, m_nested ? QStringLiteral("RELEASE SAVEPOINT corvana_write")
                                        : QStringLiteral("COMMIT"));
    if (s.ok())
        m_active = false;
    return s;
}

std::optional<QVariant> scalar(QSqlDatabase db, const QString &sql, Status &status)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        status = Status::failure(q.lastError(), sql);
        return std::nullopt;
    }
    return q.value(0);
}
