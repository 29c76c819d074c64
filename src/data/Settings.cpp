#include "data/Settings.h"

#include "data/TextRules.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString FirstRow = QStringLiteral("(SELECT rowid FROM admin ORDER BY rowid LIMIT 1)");

// The reminder quantity as the 16-bit whole number the program works with
// (halves to even, like every such conversion); out of range is a failure.
Status reminderQty(double stored, qint16 &qty)
{
    const auto whole = TextRules::toInt16(stored);
    if (!whole)
        return Status::failure(QStringLiteral("The reorder reminder quantity %1 is out of range.")
                                   .arg(TextRules::shortest(stored)));
    qty = *whole;
    return {};
}

Status fill(Settings &s, const AdminValues &v)
{
    qint16 qty = 0;
    if (Status st = reminderQty(double(v.invReminderqty), qty); !st)
        return st;
    s.TaxRate = v.tax / 100;
    s.ShippingRate = v.shipping / 100;
    s.ShippingOOTRate = v.shippingoot / 100;
    s.ReminderQty = qty;
    return {};
}

} // namespace

Settings &Settings::current()
{
    static Settings settings;
    return settings;
}

Status readAdminValues(QSqlDatabase db, AdminValues &values)
{
    const QString sql = QStringLiteral("SELECT tax, shipping, shippingoot, invReminderqty FROM admin "
                                       "ORDER BY rowid LIMIT 1");
    QSqlQuery q(db);
    if (!q.exec(sql))
        return Status::failure(q.lastError(), sql);
    if (!q.next())
        return Status::failure(QStringLiteral("The admin table holds no row of business defaults."), sql);
    // NULL reads as 0: an empty rate is no rate.
    values.tax = q.value(0).toDouble();
    values.shipping = q.value(1).toDouble();
    values.shippingoot = q.value(2).toDouble();
    qint16 qty = 0;
    if (Status s = reminderQty(q.value(3).toDouble(), qty); !s)
        return s;
    values.invReminderqty = qty;
    return {};
}

Status LoadSettings(QSqlDatabase db)
{
    AdminValues values;
    if (Status s = readAdminValues(db, values); !s)
        return s;
    return fill(Settings::current(), values);
}

Status saveAdminValues(QSqlDatabase db, const AdminValues &values)
{
    Settings updated = Settings::current();
    if (Status s = fill(updated, values); !s)
        return s;
    const QString sql = QStringLiteral("UPDATE admin SET tax = ?, shipping = ?, shippingoot = ?, "
                                       "invReminderqty = ? WHERE rowid = ") + FirstRow;
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Status::failure(q.lastError(), sql);
    for (const QVariant &v : {QVariant(values.tax), QVariant(values.shipping),
                              QVariant(values.shippingoot), QVariant(values.invReminderqty)})
        q.addBindValue(v);
    if (!q.exec())
        return Status::failure(q.lastError(), sql);
    if (q.numRowsAffected() != 1)
        return Status::failure(QStringLiteral("The admin table holds no row of business defaults."), sql);
    Settings::current() = updated;
    return {};
}
