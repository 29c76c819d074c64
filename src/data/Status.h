#pragma once

#include <QString>

// The outcome of a data operation: success, or the reason it failed (the driver's
// text, with the statement that failed when there was one). Only screens turn a
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
        return s;
    }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString &message() const { return m_message; }
    const QString &statement() const { return m_statement; }

private:
    bool m_ok = true;
    QString m_message;
    QString m_statement;
};
