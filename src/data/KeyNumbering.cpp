#include "data/KeyNumbering.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace Keys {

const Rule &rule(Kind kind)
{
    static const Rule rules[] = {
        {"customer", "cust_num", true, 299, 0, "You have too many customers.  Max is 299."},
        {"inventory", "product_num", true, 299, 0, "You have too many products.  Max is 299."},
        {"suppliers", "supplier_num", true, 99, 0, "You have too many Suppliers.  Max is 99."},
        {"orders", "order_num", false, 32767, 0,
         "No more order numbers are left: the highest order number is 32767.  The order was not saved."},
        {"expenses", "expense_num", false, 32767, 1,
         "No more expense numbers are left: the highest expense number is 32767.  The expense was not saved."},
    };
    return rules[int(kind)];
}

std::optional<int> lowestFree(const QSet<int> &used, int limit, int first)
{
    if (used.isEmpty())
        return first;
    for (int n = 1; n < limit; ++n) {
        if (!used.contains(n))
            return n;
    }
    return std::nullopt;
}

std::optional<int> afterLast(std::optional<int> last, int max, int first)
{
    if (!last)
        return first;
    if (*last >= max)
        return std::nullopt;
    return *last + 1;
}

NewKey next(QSqlDatabase db, Kind kind)
{
    const Rule &r = rule(kind);
    NewKey result;
    result.limitMessage = r.limitMessage;
    // Table and column names come from the rule table above, never from input.
    const QString sql = r.lowestFree
        ? QStringLiteral("SELECT %1 FROM %2").arg(r.column, r.table)
        : QStringLiteral("SELECT max(%1) FROM %2").arg(r.column, r.table);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        result.status = Status::failure(q.lastError(), sql);
        return result;
    }
    if (r.lowestFree) {
        QSet<int> used;
        while (q.next())
            used.insert(q.value(0).toInt());
        // A read that stopped part-way (busy, disk error) knows too few numbers.
        if (q.lastError().isValid()) {
            result.status = Status::failure(q.lastError(), sql);
            return result;
        }
        result.number = lowestFree(used, r.limit, r.first);
    } else {
        std::optional<int> last;
        if (q.next() && !q.value(0).isNull())
            last = q.value(0).toInt();
        if (q.lastError().isValid()) {
            result.status = Status::failure(q.lastError(), sql);
            return result;
        }
        result.number = afterLast(last, r.limit, r.first);
    }
    return result;
}

const NewKey &NewNumber::choose(QSqlDatabase db)
{
    m_key = next(db, m_kind);
    m_read = true;
    return m_key;
}

const NewKey &NewNumber::confirm(QSqlDatabase db)
{
    if (!m_read || !m_key.status)
        return choose(db);
    return m_key;
}

} // namespace Keys
