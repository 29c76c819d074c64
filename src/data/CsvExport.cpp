#include "data/CsvExport.h"

#include "data/Money.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>

namespace CsvExport {
namespace {

// A money amount as a plain decimal: at least two decimals, up to four.
QString moneyText(qint64 units)
{
    const bool negative = units < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    QString fraction = QStringLiteral("%1").arg(magnitude % Money::UnitsPerDollar, 4, 10, QLatin1Char('0'));
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return QStringLiteral("%1%2.%3").arg(negative ? QStringLiteral("-") : QString())
        .arg(magnitude / Money::UnitsPerDollar).arg(fraction);
}

QString valueText(const QVariant &value, Schema::Kind kind)
{
    if (value.isNull())
        return {};
    switch (kind) {
    case Schema::Kind::Money: {
        bool ok = false;
        const qint64 units = value.toLongLong(&ok);
        return ok ? moneyText(units) : value.toString();
    }
    case Schema::Kind::Real:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

Status prepared(QSqlQuery &q, const Query &query)
{
    if (!q.prepare(query.sql))
        return Status::failure(q.lastError(), query.sql);
    for (const QVariant &v : query.values)
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError(), query.sql);
    return {};
}

qint64 rowCount(QSqlDatabase db, const Query &query, Status &status)
{
    QSqlQuery q(db);
    Query counting = query;
    counting.sql = QStringLiteral("SELECT count(*) FROM (%1)").arg(query.sql);
    status = prepared(q, counting);
    if (!status || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

} // namespace

QString stoppedMessage()
{
    return QStringLiteral("The export was stopped. The files it had written were removed.");
}

QString field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QList<Query> allTables()
{
    return {
        {QStringLiteral("customers.csv"), QStringLiteral("SELECT * FROM customer ORDER BY cust_num"), {}, QStringLiteral("customer")},
        {QStringLiteral("products.csv"), QStringLiteral("SELECT * FROM inventory ORDER BY product_num"), {}, QStringLiteral("inventory")},
        {QStringLiteral("suppliers.csv"), QStringLiteral("SELECT * FROM suppliers ORDER BY supplier_num"), {}, QStringLiteral("suppliers")},
        {QStringLiteral("recipes.csv"), QStringLiteral("SELECT * FROM recipes ORDER BY Recipe_Name, rowid"), {}, QStringLiteral("recipes")},
        {QStringLiteral("orders.csv"), QStringLiteral("SELECT * FROM orders ORDER BY order_num"), {}, QStringLiteral("orders")},
        {QStringLiteral("order_lines.csv"),
         QStringLiteral("SELECT d.order_num, d.cust_num, d.product_num, i.product, d.order_qty FROM order_detail d "
                        "LEFT JOIN inventory i ON i.product_num = d.product_num ORDER BY d.order_num, d.rowid"),
         {}, QStringLiteral("order_detail")},
        {QStringLiteral("expenses.csv"), QStringLiteral("SELECT * FROM expenses ORDER BY expense_num"), {}, QStringLiteral("expenses")},
        {QStringLiteral("business_defaults.csv"), QStringLiteral("SELECT * FROM admin"), {}, QStringLiteral("admin")},
    };
}

Status write(QSqlDatabase db, const QList<Query> &queries, const QString &folder, const Progress &progress,
             QStringList *written)
{
    if (!QDir().mkpath(folder))
        return Status::failure(QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(folder)));
    qint64 total = 0;
    for (const Query &query : queries) {
        Status s;
        total += rowCount(db, query, s);
        if (!s)
            return s;
    }
    QStringList thisExport;
    const auto stop = [&thisExport] {
        for (const QString &path : std::as_const(thisExport))
            QFile::remove(path);
        return Status::failure(stoppedMessage());
    };
    if (progress && !progress(0, total))
        return stop();
    qint64 done = 0;
    for (const Query &query : queries) {
        const QString path = QDir(folder).filePath(query.file);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (Status s = prepared(q, query); !s)
            return s;
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return Status::failure(QStringLiteral("The file %1 cannot be written: %2")
                                       .arg(QDir::toNativeSeparators(path), file.errorString()));
        const QSqlRecord record = q.record();
        QList<Schema::Kind> kinds;
        QStringList header;
        for (int c = 0; c < record.count(); ++c) {
            header << field(record.fieldName(c));
            kinds << Schema::columnKind(query.kindTable, record.fieldName(c));
        }
        QByteArray out("\xEF\xBB\xBF");
        out += header.join(QLatin1Char(',')).toUtf8() + "\r\n";
        while (q.next()) {
            QStringList line;
            for (int c = 0; c < kinds.size(); ++c)
                line << field(valueText(q.value(c), kinds[c]));
            out += line.join(QLatin1Char(',')).toUtf8() + "\r\n";
            if (out.size() > (1 << 16)) {
                file.write(out);
                out.clear();
            }
            ++done;
            // The unfinished file is discarded with `file`, never committed.
            if (progress && done % 200 == 0 && !progress(done, total))
                return stop();
        }
        if (q.lastError().isValid())
            return Status::failure(q.lastError(), query.sql);
        file.write(out);
        if (!file.commit())
            return Status::failure(QStringLiteral("The file %1 cannot be written: %2")
                                       .arg(QDir::toNativeSeparators(path), file.errorString()));
        thisExport << path;
        if (progress && !progress(done, total))
            return stop();
    }
    if (written)
        *written << thisExport;
    return {};
}

} // namespace CsvExport
