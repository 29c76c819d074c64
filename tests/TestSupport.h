#pragma once

// Shared helpers of the test programs: a fresh database per test, SQL checks,
// and (for GUI tests) scripted message boxes and modal forms.

#include "data/Database.h"
#include "data/Settings.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>
#include <memory>

#define VERIFY_SQL(q, cond) QVERIFY2((cond), qPrintable((q).lastError().text()))

// A new, empty Corvana database in its own temporary folder, open as the
// program's connection; closed and removed when it goes out of scope.
class TestDatabase
{
public:
    TestDatabase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath("CVN.db");
        const Status s = Database::open(m_path);
        if (!s)
            qFatal("cannot create test database: %s", qPrintable(s.message()));
        Settings::current() = Settings{};
    }
    ~TestDatabase() { Database::close(); }

    QString path() const { return m_path; }
    QString dir() const { return m_dir->path(); }
    QSqlDatabase db() const { return Database::connection(); }

    // Runs one statement with bound values; fails the test on error.
    bool exec(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery q(db());
        if (!q.prepare(sql)) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return false;
        }
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec()) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return false;
        }
        return true;
    }

    // The first column of the first row of a query (invalid when there is none).
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const
    {
        QSqlQuery q(db());
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec() || !q.next())
            return {};
        return q.value(0);
    }

    int count(const QString &table) const
    {
        return scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};
