#include "data/Settings.h"

#include "data/TextRules.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString FirstRow = QStringLiteral("(SELECT rowid FROM admin ORDER BY rowid LIMIT 1)");

Status fill(Settings &s, const AdminValues &v)
{
    const auto qty = TextRules::toInt16(double(v.invReminderqty));
    if (!qty)
        return Status::failure(QStringLiteral("The reorder reminder quantity %1 is out of range.")
                                   .arg(v.invReminderqty));
    s.TaxRate = v.tax / 100;
    s.ShippingRate = v.shipping / 100;
    s.ShippingOOTRate = v.shippingoot / 100;
    s.ReminderQty = *qty;
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
    values.invReminderqty = qRound64(q.value(3).toDouble());
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
