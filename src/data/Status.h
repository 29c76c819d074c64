#pragma once

#include "data/DatabaseError.h"

#include <QString>

class QSqlError;

// The outcome of a data operation: success, or the reason it failed (in plain
// words, with the statement that failed when there was one). Only screens turn a
// failure into a message box.
class [[nodiscard]] Status
{
public:
    Status() = default;
    static Status failure(const QString &message, const QString &statement = {})
    {
        Status s;
        s.m_ok = false;
        s.m_message = message.isEmpty() ? QStringLiteral("Unknown database error") : message;
        s.m_statement = statement;
        s.m_cause = DatabaseError::Cause::Other;
        return s;
    }
    // A failure the database reported: the message explains it in plain words
    // (DatabaseError::explain), the cause says what kind it was.
    static Status failure(const QSqlError &error, const QString &statement = {});

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &message() const { return m_message; }
    const QString &statement() const { return m_statement; }
    // None on success; Other for a failure of the program's own rules.
    DatabaseError::Cause cause() const { return m_cause; }

private:
    bool m_ok = true;
    QString m_message;
    QString m_statement;
    DatabaseError::Cause m_cause = DatabaseError::Cause::None;
};
