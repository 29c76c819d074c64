#include "Stored.h"

#include "data/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace Stored {

const QList<Table> &tables()
{
    static const QList<Table> all = {
        {"admin", "rowid", {"tax", "shipping", "shippingoot", "invReminderqty", "party_profit", "reorder_profit"}},
        {"customer", "cust_num", {"first_name", "last_name", "address", "phone", "email", "birthday", "comments"}},
        {"inventory", "product_num", {"product", "product_refnum", "cost", "qty"}},
        {"suppliers", "supplier_num", {"Company", "Contact", "Address", "Phone", "Email", "Comments"}},
        {"recipes", "Recipe_Name",
         {"Recipe_Directions1", "Recipe_Directions2", "Recipe_Directions3", "Recipe_Directions4"}},
        {"orders", "order_num",
         {"cust_num", "order_date", "order_status", "order_type", "subtotal", "add_costs", "discounts",
          "total_price", "out_of_town_order", "close_date", "comments"}},
        {"order_detail", "order_num", {"cust_num", "product_num", "order_qty"}},
        {"expenses", "expense_num", {"expense_desc", "expense_amt", "expense_date"}},
    };
    return all;
}

const Table &table(const QString &name)
{
    for (const Table &t : tables()) {
        if (t.name == name)
            return t;
    }
    qFatal("no table %s", qPrintable(name));
}

QString canonical(const QString &table, const QString &column, const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (Schema::columnKind(table, column)) {
    case Schema::Kind::Integer:
    case Schema::Kind::Money:
    case Schema::Kind::Bool: {
        bool ok = false;
        const qint64 n = value.toLongLong(&ok);
        return ok ? QString::number(n) : QStringLiteral("?") + value.toString();
    }
    case Schema::Kind::Real:
        return QString::number(value.toDouble(), 'g', 17);
    case Schema::Kind::Text:
    case Schema::Kind::Date:
        break;
    }
    return QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
}

QString lineKey(int orderNum, int position)
{
    return QStringLiteral("%1/%2").arg(orderNum, 5, 10, QLatin1Char('0')).arg(position);
}

QString State::value(const QString &tableName, const QString &key, const QString &column) const
{
    const Rows r = rows.value(tableName);
    const int c = int(table(tableName).columns.indexOf(column));
    if (!r.contains(key) || c < 0)
        return {};
    return r.value(key).value(c);
}

void State::setValue(const QString &tableName, const QString &key, const QString &column, const QString &value)
{
    const int c = int(table(tableName).columns.indexOf(column));
    Q_ASSERT(c >= 0);
    Row &row = rows[tableName][key];
    while (row.size() < table(tableName).columns.size())
        row << QStringLiteral("NULL");
    row[c] = value;
}

QList<Row> State::lines(int orderNum) const
{
    QList<Row> found;
    const Rows r = rows.value(QStringLiteral("order_detail"));
    for (int position = 1; r.contains(lineKey(orderNum, position)); ++position)
        found << r.value(lineKey(orderNum, position));
    return found;
}

void State::setLines(int orderNum, const QList<Row> &lines)
{
    Rows &r = rows[QStringLiteral("order_detail")];
    for (int position = 1; r.remove(lineKey(orderNum, position)) > 0; ++position) {
    }
    for (int i = 0; i < lines.size(); ++i)
        r.insert(lineKey(orderNum, i + 1), lines[i]);
}

namespace {

// A value fit for one line: line breaks and tabs shown as escapes, long values
// cut around the first place where they differ from `other`.
QString shown(const QString &value, const QString &other)
{
    int same = 0;
    while (same < value.size() && same < other.size() && value[same] == other[same])
        ++same;
    QString s = value;
    if (s.size() > 80) {
        const int from = std::max(0, same - 30);
        s = (from > 0 ? QStringLiteral("...") : QString()) + s.mid(from, 80) + QStringLiteral("...");
    }
    return s.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"));
}

} // namespace

QString diff(const State &expected, const State &found, int limit)
{
    QStringList out;
    for (const Table &t : tables()) {
        const Rows want = expected[t.name];
        const Rows have = found[t.name];
        QStringList keys = want.keys() + have.keys();
        keys.removeDuplicates();
        std::sort(keys.begin(), keys.end());
        for (const QString &key : keys) {
            if (want.contains(key) == have.contains(key) && want.value(key) == have.value(key))
                continue;
            if (out.size() >= limit)
                return out.join(QLatin1Char('\n')) + QStringLiteral("\n...");
            const QString row = QStringLiteral("%1 %2").arg(t.name, shown(key, key));
            if (!have.contains(key) || !want.contains(key)) {
                out << QStringLiteral("%1: %2").arg(row, have.contains(key) ? "stored, not expected" : "expected, not stored");
                continue;
            }
            for (int c = 0; c < t.columns.size(); ++c) {
                const QString a = want.value(key).value(c);
                const QString b = have.value(key).value(c);
                if (a != b)
                    out << QStringLiteral("%1 %2: expected %3; found %4").arg(row, t.columns[c], shown(a, b), shown(b, a));
            }
        }
    }
    return out.join(QLatin1Char('\n'));
}

State read(QSqlDatabase db, QString *error)
{
    State state;
    for (const Table &t : tables()) {
        Rows &rows = state[t.name];
        const bool lines = t.name == QLatin1String("order_detail");
        // Table and column names come from the list above.
        const QString sql = QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %4rowid")
                                .arg(t.key, t.columns.join(QStringLiteral(", ")), t.name,
                                     lines ? QStringLiteral("order_num, ") : QString());
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql)) {
            if (error)
                *error = q.lastError().text();
            return state;
        }
        QString lastOrder;
        int position = 0;
        while (q.next()) {
            Row row;
            for (int c = 0; c < t.columns.size(); ++c)
                row << canonical(t.name, t.columns[c], q.value(c + 1));
            QString key = q.value(0).toString();
            if (lines) {
                position = key == lastOrder ? position + 1 : 1;
                lastOrder = key;
                key = lineKey(q.value(0).toInt(), position);
            } else {
                // A key stored twice (a recipe name) shows as a row of its own.
                const QString first = key;
                for (int n = 2; rows.contains(key); ++n)
                    key = QStringLiteral("%1 (#%2)").arg(first).arg(n);
            }
            rows.insert(key, row);
        }
        if (q.lastError().isValid() && error)
            *error = q.lastError().text();
    }
    return state;
}

QStringList problems(QSqlDatabase db)
{
    QStringList found;
    const auto each = [&](const QString &sql, const QString &what) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql)) {
            found << QStringLiteral("%1: the check failed (%2)").arg(what, q.lastError().text());
            return;
        }
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            found << QStringLiteral("%1: %2").arg(what, values.join(QStringLiteral(", ")));
        }
    };
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA integrity_check")))
            found << QStringLiteral("integrity_check failed to run: %1").arg(q.lastError().text());
        while (q.next()) {
            if (q.value(0).toString() != QLatin1String("ok"))
                found << QStringLiteral("integrity_check: %1").arg(q.value(0).toString());
        }
    }
    each(QStringLiteral("PRAGMA foreign_key_check"), QStringLiteral("foreign_key_check"));
    each(QStringLiteral("SELECT d.order_num, d.cust_num, d.product_num FROM order_detail d LEFT JOIN orders o"
                        " ON o.order_num = d.order_num AND o.cust_num = d.cust_num WHERE o.order_num IS NULL"),
         QStringLiteral("line without its order"));
    each(QStringLiteral("SELECT o.order_num FROM orders o WHERE NOT EXISTS (SELECT 1 FROM order_detail d"
                        " WHERE d.order_num = o.order_num AND d.cust_num = o.cust_num)"),
         QStringLiteral("order without lines"));
    return found;
}

} // namespace Stored
