#include "data/CsvImport.h"

#include "data/Money.h"
#include "data/Transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace CsvImport {
namespace {

// The columns a file may give, by table; the number column is chosen here.
QStringList importable(Keys::Kind kind)
{
    if (kind == Keys::Kind::Product)
        return {"product", "product_refnum", "cost", "qty"};
    return {"first_name", "last_name", "address", "phone", "email", "birthday", "comments"};
}

QString what(Keys::Kind kind)
{
    return kind == Keys::Kind::Product ? QStringLiteral("products") : QStringLiteral("customers");
}

// The value to store for `text` in `column`, or the reason it cannot be.
QVariant convert(const QString &column, const QString &text, QString &why)
{
    const QString t = text.trimmed();
    if (column == QLatin1String("cost")) {
        if (t.isEmpty())
            return qint64(0);
        const auto money = Money::fromText(t);
        if (!money) {
            why = QStringLiteral("\"%1\" is not an amount of money").arg(text);
            return {};
        }
        return money->units();
    }
    if (column == QLatin1String("qty")) {
        if (t.isEmpty())
            return 0;
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok) {
            why = QStringLiteral("\"%1\" is not a whole number").arg(text);
            return {};
        }
        return n;
    }
    // An empty text is stored as empty, never as NULL.
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

QList<QStringList> parse(const QByteArray &data, QString *error)
{
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (fieldStarted || !field.isEmpty() || !record.isEmpty()) {
                record << field;
                records << record;
            }
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted && error)
        *error = QStringLiteral("a quoted field is not closed before the end of the file");
    if (fieldStarted || !field.isEmpty() || !record.isEmpty()) {
        record << field;
        records << record;
    }
    return records;
}

Plan prepare(QSqlDatabase db, Keys::Kind kind, const QByteArray &data)
{
    Plan plan;
    plan.kind = kind;
    const Keys::Rule &rule = Keys::rule(kind);
    QString parseError;
    const QList<QStringList> records = parse(data, &parseError);
    if (!parseError.isEmpty())
        plan.problems << QStringLiteral("The file cannot be read: %1.").arg(parseError);
    if (records.isEmpty()) {
        plan.problems << QStringLiteral("The file is empty.");
        return plan;
    }
    // Which file column goes to which table column.
    const QStringList allowed = importable(kind);
    QList<int> target; // index into `allowed`, -1 for the number column (ignored)
    for (const QString &name : records.first()) {
        const QString n = name.trimmed().toLower();
        const int at = int(allowed.indexOf(n));
        if (at >= 0 && target.contains(at))
            plan.problems << QStringLiteral("Row 1: the column \"%1\" is named twice.").arg(name);
        else if (at < 0 && n != rule.column.toLower())
            plan.problems << QStringLiteral("Row 1: \"%1\" is not a column of %2 (the columns are %3).")
                                 .arg(name, what(kind), allowed.join(QStringLiteral(", ")));
        target << at;
    }
    plan.columns = QStringList{rule.column} + allowed;

    QSet<int> used;
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(rule.column, rule.table))) {
            plan.problems << Status::failure(q.lastError()).message();
            return plan;
        }
        while (q.next())
            used.insert(q.value(0).toInt());
    }
    for (int r = 1; r < records.size(); ++r) {
        const QStringList &fields = records[r];
        const int rowNumber = r + 1;
        if (fields.size() != target.size()) {
            plan.problems << QStringLiteral("Row %1: it has %2 fields; the header has %3.")
                                 .arg(rowNumber).arg(fields.size()).arg(target.size());
            continue;
        }
        QVariantList values;
        values << QVariant();
        for (const QString &column : allowed) {
            QString unused;
            values << convert(column, QString(), unused); // a column the file lacks
        }
        bool rowOk = true;
        for (int c = 0; c < fields.size(); ++c) {
            if (target[c] < 0)
                continue;
            QString why;
            const QVariant v = convert(allowed[target[c]], fields[c], why);
            if (!why.isEmpty()) {
                plan.problems << QStringLiteral("Row %1, column %2: %3.").arg(rowNumber).arg(allowed[target[c]], why);
                rowOk = false;
            }
            values[target[c] + 1] = v;
        }
        if (!rowOk)
            continue;
        const std::optional<int> number = Keys::lowestFree(used, rule.limit, rule.first);
        if (!number) {
            plan.problems << QStringLiteral("Row %1: no number is free. %2").arg(rowNumber).arg(rule.limitMessage);
            continue;
        }
        used.insert(*number);
        values[0] = *number;
        plan.rows << values;
    }
    if (records.size() == 1)
        plan.problems << QStringLiteral("The file has a header row but no %1.").arg(what(kind));
    return plan;
}

Status apply(QSqlDatabase db, const Plan &plan)
{
    if (!plan.ok())
        return Status::failure(QStringLiteral("Nothing was added: the file has rows that cannot be added."));
    const Keys::Rule &rule = Keys::rule(plan.kind);
    QStringList marks;
    for (int i = 0; i < plan.columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(rule.table, plan.columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    Transaction t(db);
    if (Status s = t.begin(); !s)
        return s;
    PreparedStatement insert(db, sql);
    for (const QVariantList &values : plan.rows) {
        if (Status s = insert.exec(values); !s)
            return s;
    }
    return t.commit();
}

} // namespace CsvImport
