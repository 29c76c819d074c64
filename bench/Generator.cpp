#include "Generator.h"

#include "bookkeeping/Expenses.h"
#include "data/Database.h"
#include "data/RecordSet.h"
#include "data/Transaction.h"
#include "orders/OrderStore.h"
#include "recipes/RecipeText.h"

#include <random>

namespace Generator {
namespace {

// The last day of the 25 years the orders and expenses are spread over.
const QDate LastDay(2025, 12, 31);
constexpr int Years = 25;

const char *const FirstNames[] = {"Ann", "Bob", "Carla", "Dan", "Eve", "Frank", "Gina", "Hal", "Ida", "Joe", "Kim",
    "Lou", "Mara", "Ned", "Olga", "Pat", "Quinn", "Rosa", "Sam", "Tina"};
const char *const LastNames[] = {"Adams", "Baker", "Clark", "Davis", "Evans", "Fisher", "Garcia", "Hughes", "Irwin",
    "Jones", "King", "Lopez", "Miller", "Nolan", "Owens", "Parker", "Quinlan", "Reyes", "Smith", "Turner", "Underwood",
    "Vance", "White", "Young"};
const char *const Words[] = {"stir", "the", "butter", "and", "sugar", "until", "light", "then", "fold", "in", "flour",
    "bake", "at", "moderate", "heat", "for", "twenty", "minutes", "cool", "slowly", "before", "slicing", "serve",
    "warm", "with", "cream"};

class Random {
public:
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T, std::size_t N>
    QString pick(const T (&items)[N])
    {
        return QString::fromLatin1(items[between(0, int(N) - 1)]);
    }

private:
    std::mt19937 m_engine{20261206u};
};

QDate dayWithin(Random &r, int years)
{
    return LastDay.addDays(-r.between(0, years * 365 - 1));
}

// One row per call to `fill`, keys from `first`; the whole table in one
// transaction.
template <typename Fill>
Status addRows(QSqlDatabase db, const QString &table, int count, Fill fill)
{
    Transaction tx(db);
    if (Status s = tx.begin(); !s)
        return s;
    RecordSet rs = RecordSet::table(db, table);
    if (Status s = rs.refresh(); !s)
        return s;
    for (int i = 0; i < count; ++i) {
        rs.addNew();
        fill(rs, i);
        if (Status s = rs.update(); !s)
            return s;
    }
    return tx.commit();
}

QString directions(Random &r)
{
    QString text;
    while (text.size() < RecipeText::MaxDirections)
        text += r.pick(Words) + QLatin1Char(' ');
    text.truncate(RecipeText::MaxDirections - 1);
    return text + QLatin1Char('.');
}

// Order n's line count: 1 to 40; the numbers named in the header have theirs.
int lineCount(Random &r, int orderNum)
{
    if (orderNum % 1000 == ClosedOrder40 % 1000 || orderNum % 1000 == OpenOrder40 % 1000)
        return 40;
    return r.between(1, 39);
}

} // namespace

Status generate(const QString &path, const Sizes &sizes)
{
    if (Status s = Database::open(path); !s)
        return s;
    QSqlDatabase db = Database::connection();
    // Only for writing the file quickly: no sync per order; restored below.
    Status s = execBound(db, QStringLiteral("PRAGMA synchronous = OFF"));
    if (s)
        s = execBound(db, QStringLiteral("PRAGMA journal_mode = MEMORY"));

    Random r;
    if (s)
        s = addRows(db, QStringLiteral("customer"), sizes.customers, [&r](RecordSet &rs, int i) {
            rs.setValue(QStringLiteral("cust_num"), i + 1);
            rs.setValue(QStringLiteral("first_name"), r.pick(FirstNames));
            rs.setValue(QStringLiteral("last_name"), QStringLiteral("%1 %2").arg(r.pick(LastNames)).arg(i + 1));
            rs.setValue(QStringLiteral("address"),
                QStringLiteral("%1 Main Street\r\nSpringfield, IL 6270%2").arg(r.between(1, 9999)).arg(i % 10));
            rs.setValue(QStringLiteral("phone"), QStringLiteral("(217) 555-%1").arg(1000 + i, 4, 10, QLatin1Char('0')));
            rs.setValue(QStringLiteral("email"), QStringLiteral("customer%1@example.com").arg(i + 1));
            rs.setValue(QStringLiteral("birthday"),
                QStringLiteral("%1/%2")
                    .arg(r.between(1, 12), 2, 10, QLatin1Char('0'))
                    .arg(r.between(1, 28), 2, 10, QLatin1Char('0')));
            rs.setValue(QStringLiteral("comments"), QStringLiteral("Prefers %1.").arg(r.pick(Words)));
        });
    std::vector<qint64> costs;
    if (s)
        s = addRows(db, QStringLiteral("inventory"), sizes.products, [&r, &costs](RecordSet &rs, int i) {
            const qint64 cost = r.between(50, 5000) * 100; // $0.50 to $50.00
            costs.push_back(cost);
            rs.setValue(QStringLiteral("product_num"), i + 1);
            rs.setValue(QStringLiteral("product"), QStringLiteral("Product %1 %2").arg(i + 1).arg(r.pick(Words)));
            rs.setValue(QStringLiteral("product_refnum"), QStringLiteral("P-%1").arg(i + 1, 5, 10, QLatin1Char('0')));
            rs.setMoney(QStringLiteral("cost"), Money::fromUnits(cost));
            rs.setValue(QStringLiteral("qty"), r.between(0, 30000));
        });
    if (s)
        s = addRows(db, QStringLiteral("suppliers"), sizes.suppliers, [&r](RecordSet &rs, int i) {
            rs.setValue(QStringLiteral("supplier_num"), i + 1);
            rs.setValue(QStringLiteral("Company"), QStringLiteral("Supplier %1 %2").arg(i + 1).arg(r.pick(LastNames)));
            rs.setValue(QStringLiteral("Contact"), QStringLiteral("%1 %2").arg(r.pick(FirstNames), r.pick(LastNames)));
            rs.setValue(QStringLiteral("Address"), QStringLiteral("%1 Mill Road").arg(r.between(1, 999)));
            rs.setValue(QStringLiteral("Phone"), QStringLiteral("(312) 555-%1").arg(2000 + i));
            rs.setValue(QStringLiteral("Email"), QStringLiteral("sales%1@example.com").arg(i + 1));
            rs.setValue(QStringLiteral("Comments"), QStringLiteral(""));
        });
    if (s)
        s = addRows(db, QStringLiteral("recipes"), sizes.recipes, [&r](RecordSet &rs, int i) {
            rs.setValue(QStringLiteral("Recipe_Name"), QStringLiteral("Recipe %1 %2").arg(i + 1).arg(r.pick(Words)));
            const QStringList parts = RecipeText::split(directions(r));
            const QStringList columns = RecipeText::directionColumns();
            for (int c = 0; c < columns.size(); ++c)
                rs.setValue(columns[c], parts.value(c, QStringLiteral("")));
        });

    // Orders 1..n: closed when the number ends in 0, 3 or 7 (30 %), deleted when
    // it is 1 modulo 20 (5 %), open otherwise.
    for (int n = 1; s && n <= sizes.orders; ++n) {
        Orders::Order order;
        order.orderNum = n;
        order.custNum = r.between(1, sizes.customers);
        order.orderDate = dayWithin(r, Years);
        const int tail = n % 10;
        const bool closed = tail == 0 || tail == 3 || tail == 7;
        const bool deleted = n % 20 == 1;
        order.status = closed ? Orders::Closed : Orders::Open;
        order.type = r.chance(70) ? Orders::Party : Orders::Reorder;
        order.outOfTown = r.chance(10);
        const int lines = lineCount(r, n);
        qint64 subtotal = 0;
        for (int l = 0; l < lines; ++l) {
            Orders::OrderLine line;
            line.productNum = r.between(1, sizes.products);
            line.quantity = r.between(1, 12);
            subtotal += costs[line.productNum - 1] * line.quantity;
            order.lines.push_back(line);
        }
        order.subtotal = Money::fromUnits(subtotal);
        order.total = Money::fromUnits(subtotal + subtotal / 16);
        order.comments = r.chance(20) ? QStringLiteral("Deliver after %1.").arg(r.between(1, 12)) : QStringLiteral("");
        const QDate closeDay = std::min(order.orderDate.addDays(r.between(0, 30)), LastDay);
        s = OrderStore::addOrder(db, order, 0, closeDay).status;
        if (s && deleted && !closed)
            s = OrderStore::markDeleted(db, n);
    }

    if (s) {
        Transaction tx(db);
        s = tx.begin();
        for (int n = 1; s && n <= sizes.expenses; ++n) {
            Expenses::Expense e{QStringLiteral("Expense %1: %2").arg(n).arg(r.pick(Words)),
                Money::fromUnits(qint64(r.between(100, 500000)) * 100), dayWithin(r, Years)};
            s = Expenses::add(db, n, e);
        }
        if (s)
            s = tx.commit();
    }
    if (s)
        s = execBound(db, QStringLiteral("PRAGMA journal_mode = DELETE"));
    db = {};
    Database::close();
    return s;
}

} // namespace Generator
