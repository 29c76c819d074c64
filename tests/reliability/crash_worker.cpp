// The crash worker: opens a Corvana file the way the program does and saves in a
// loop through the program's own save code (OrderStore, Expenses, record sets
// written the way the record forms write them, saveAdminValues), announcing each
// save before it starts and when it has returned (see CrashOps.h). The crash
// driver kills it at random moments, or it kills itself just before its k-th
// write to the disk (--kill-at k, through the fault VFS), and then checks the file.
//
//   crash_worker --db FILE --seed N [--ops N] [--first OP] [--kill-at K] [--kill-before-report]
//   crash_worker --db FILE --setup          (the starting records, no kill)

#include "CrashOps.h"
#include "FaultVfs.h"

#include "bookkeeping/Expenses.h"
#include "data/Database.h"
#include "data/KeyNumbering.h"
#include "data/RecordSet.h"
#include "data/Settings.h"
#include "data/TextRules.h"
#include "orders/OrderStore.h"
#include "orders/Pricing.h"
#include "recipes/RecipeText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// One whole line on standard output, written before anything else happens.
void say(const QByteArray &line)
{
    QByteArray out = line + '\n';
    const char *p = out.constData();
    qsizetype left = out.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(3);
        p += n;
        left -= n;
    }
}

class Worker
{
public:
    Worker(QSqlDatabase db, quint64 seed) : m_db(db), m_rng(seed) {}

    // Plans and makes one save of kind `op` (or of a kind that can be made when
    // `op` cannot, such as adding an order when no order is open).
    Status save(const QString &op)
    {
        const QString prefix = op.section(QLatin1Char('.'), 0, 0);
        if (prefix == QLatin1String("order"))
            return saveOrder(op);
        if (prefix == QLatin1String("expense"))
            return saveExpense(op);
        if (prefix == QLatin1String("admin"))
            return saveAdmin();
        if (prefix == QLatin1String("recipe"))
            return saveRecipe(op);
        return saveRecord(op);
    }

    QString randomOp() { return CrashOps::names().at(int(m_rng.bounded(qint64(CrashOps::names().size())))); }

    // The starting records: customers, products with plenty of stock, suppliers,
    // recipes, expenses and open orders.
    Status setup()
    {
        for (const char *op : {"customer.add", "product.add", "supplier.add", "recipe.add", "expense.add"}) {
            for (int i = 0; i < 6; ++i) {
                if (Status s = save(QString::fromLatin1(op)); !s)
                    return s;
            }
        }
        for (int i = 0; i < 12; ++i) {
            if (Status s = save(QStringLiteral("order.add.open")); !s)
                return s;
        }
        return {};
    }

private:
    QSqlDatabase m_db;
    QRandomGenerator m_rng;
    const QDate m_today{2025, 6, 30};

    int pick(int n) { return int(m_rng.bounded(n)); }
    int between(int low, int high) { return low + pick(high - low + 1); }

    // Text with the characters a shop's records hold: quotes, accents, other
    // scripts, characters outside the basic plane (unless `basicPlane`); line
    // breaks where allowed.
    QString text(int maxLength, bool lines = false, bool basicPlane = false)
    {
        static const QStringList parts = {"Ann",  "O'Brien", "Zoë", "漢字", "😀", "\"quoted\"", "semi;colon",
                                          "--",   "50%",     "Øre", "ß",    "x",  "Main St.",   "#12"};
        QString s;
        const int words = between(1, 6);
        for (int i = 0; i < words; ++i) {
            if (!s.isEmpty())
                s += lines && pick(4) == 0 ? QStringLiteral("\r\n") : QStringLiteral(" ");
            QString part = parts.at(pick(int(parts.size())));
            if (basicPlane && part.front().isHighSurrogate())
                part = QStringLiteral("☺");
            s += part;
        }
        // Cut between whole characters only.
        while (s.size() > maxLength || (s.size() > 0 && s.back().isHighSurrogate()))
            s.chop(1);
        return s;
    }
    QDate day() { return QDate(2024, 1, 1).addDays(pick(500)); }
    Money money(int maxDollars) { return Money::fromUnits(qint64(pick(maxDollars * 100 + 1)) * 100); }

    // Every key of a table (program text).
    QList<qint64> keys(const QString &sql)
    {
        QList<qint64> found;
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (q.exec(sql)) {
            while (q.next())
                found << q.value(0).toLongLong();
        }
        return found;
    }
    template <typename T>
    T any(const QList<T> &list) { return list.at(pick(int(list.size()))); }

    void begin(QJsonObject plan) { say("B " + QJsonDocument(plan).toJson(QJsonDocument::Compact)); }

    // --- Orders, through OrderStore ------------------------------------------------

    Status saveOrder(const QString &wanted)
    {
        QString op = wanted;
        const QList<qint64> open = keys(QStringLiteral("SELECT order_num FROM orders WHERE order_status = 'O'"));
        if (open.isEmpty() && (op.startsWith(QLatin1String("order.replace")) || op == QLatin1String("order.delete")))
            op = QStringLiteral("order.add.open");
        if (op == QLatin1String("order.delete")) {
            const int num = int(any(open));
            begin({{"op", op}, {"num", num}});
            return OrderStore::markDeleted(m_db, num);
        }

        Orders::Order order;
        const bool adding = op.startsWith(QLatin1String("order.add"));
        if (adding) {
            const Keys::NewKey key = Keys::next(m_db, Keys::Kind::Order);
            if (!key.status || !key.number)
                return key.status ? Status::failure(key.limitMessage) : key.status;
            order.orderNum = *key.number;
            order.custNum = int(any(keys(QStringLiteral("SELECT cust_num FROM customer"))));
        } else {
            Status loaded;
            const auto stored = OrderStore::load(m_db, int(any(open)), &loaded);
            if (!stored)
                return loaded ? Status::failure(QStringLiteral("The open order was not found.")) : loaded;
            order = stored->order;
        }
        order.orderDate = day();
        order.status = op.endsWith(QLatin1String(".closed")) ? Orders::Closed : Orders::Open;
        order.type = pick(2) ? Orders::Party : Orders::Reorder;
        order.outOfTown = pick(3) == 0;
        order.addCosts = money(20);
        order.discounts = money(10);
        order.comments = text(60, true);

        // Lines as the order forms hold them, priced at today's costs.
        AdminValues admin;
        if (Status s = readAdminValues(m_db, admin); !s)
            return s;
        const QList<qint64> products = keys(QStringLiteral("SELECT product_num FROM inventory"));
        std::vector<Pricing::Line> priced;
        order.lines.clear();
        const int count = between(1, 3);
        for (int i = 0; i < count; ++i) {
            const int product = int(any(products));
            order.lines.push_back({product, QString(), between(1, 5)});
            QSqlQuery cost(m_db);
            cost.prepare(QStringLiteral("SELECT cost FROM inventory WHERE product_num = ?"));
            cost.addBindValue(product);
            if (!cost.exec() || !cost.next())
                return Status::failure(QStringLiteral("The cost of product %1 could not be read.").arg(product));
            priced.push_back({double(order.lines.back().quantity),
                              Money::fromUnits(cost.value(0).toLongLong()).toDouble()});
        }
        const auto totals = Pricing::calcTotals(priced, {admin.tax / 100, admin.shipping / 100, admin.shippingoot / 100},
                                                order.outOfTown, order.addCosts, order.discounts);
        if (!totals)
            return Status::failure(QStringLiteral("The order's totals could not be computed."));
        order.subtotal = totals->subtotal.roundedToCents();
        order.total = totals->total.roundedToCents();

        QJsonArray lines;
        for (const Orders::OrderLine &line : order.lines)
            lines.append(QJsonArray{line.productNum, line.quantity});
        begin({{"op", op},
               {"num", order.orderNum},
               {"cust", order.custNum},
               {"date", TextRules::toStoredDate(order.orderDate)},
               {"status", order.status},
               {"type", order.type},
               {"subtotal", order.subtotal.units()},
               {"add_costs", order.addCosts.units()},
               {"discounts", order.discounts.units()},
               {"total", order.total.units()},
               {"oot", order.outOfTown ? 1 : 0},
               {"comments", order.comments},
               {"today", TextRules::toStoredDate(m_today)},
               {"lines", lines}});
        const qint16 reminder = Settings::current().ReminderQty;
        const OrderStore::SaveResult result = adding ? OrderStore::addOrder(m_db, order, reminder, m_today)
                                                     : OrderStore::replaceOrder(m_db, order, reminder, m_today);
        return result.status;
    }

    // --- Expenses, through Expenses ----------------------------------------------------

    Status saveExpense(const QString &wanted)
    {
        QString op = wanted;
        const QList<qint64> stored = keys(QStringLiteral("SELECT expense_num FROM expenses"));
        if (stored.isEmpty())
            op = QStringLiteral("expense.add");
        const Expenses::Expense expense{text(49), money(500), day()};
        const QJsonObject values{{"desc", expense.description},
                                 {"amt", expense.amount.units()},
                                 {"date", TextRules::toStoredDate(expense.date)}};
        if (op == QLatin1String("expense.add")) {
            const Keys::NewKey key = Keys::next(m_db, Keys::Kind::Expense);
            if (!key.status || !key.number)
                return key.status ? Status::failure(key.limitMessage) : key.status;
            QJsonObject plan = values;
            plan.insert("op", op);
            plan.insert("num", *key.number);
            begin(plan);
            return Expenses::add(m_db, *key.number, expense);
        }
        const int num = int(any(stored));
        if (op == QLatin1String("expense.delete")) {
            begin({{"op", op}, {"num", num}});
            return Expenses::remove(m_db, num);
        }
        QJsonObject plan = values;
        plan.insert("op", op);
        plan.insert("num", num);
        begin(plan);
        return Expenses::change(m_db, num, expense);
    }

    // --- Business defaults ---------------------------------------------------------------

    Status saveAdmin()
    {
        const AdminValues values{between(0, 1000) / 100.0, between(0, 2000) / 100.0, between(0, 3000) / 100.0,
                                 between(0, 20)};
        begin({{"op", "admin.save"},
               {"tax", values.tax},
               {"shipping", values.shipping},
               {"shippingoot", values.shippingoot},
               {"qty", values.invReminderqty}});
        return saveAdminValues(m_db, values);
    }

    // --- Customers, products and suppliers, as their forms write them ------------------

    struct RecordKind
    {
        const char *prefix;
        Keys::Kind key;
        const char *table;
        const char *orderBy;
        const char *keyColumn;
    };

    Status saveRecord(const QString &wanted)
    {
        static const RecordKind kinds[] = {
            {"customer", Keys::Kind::Customer, "customer", "last_name COLLATE NOCASE", "cust_num"},
            {"product", Keys::Kind::Product, "inventory", "product COLLATE NOCASE", "product_num"},
            {"supplier", Keys::Kind::Supplier, "suppliers", "", "supplier_num"},
        };
        const QString prefix = wanted.section(QLatin1Char('.'), 0, 0);
        const RecordKind *kind = nullptr;
        for (const RecordKind &k : kinds) {
            if (prefix == QLatin1String(k.prefix))
                kind = &k;
        }
        if (!kind)
            return Status::failure(QStringLiteral("Unknown save %1").arg(wanted));

        // The browser's record set, read as the screen reads it.
        RecordSet rs = RecordSet::table(m_db, QString::fromLatin1(kind->table), QString::fromLatin1(kind->orderBy));
        if (Status s = rs.refresh(); !s)
            return s;
        QString op = wanted;
        const Keys::NewKey key = Keys::next(m_db, kind->key);
        if (!key.status)
            return key.status;
        if (op.endsWith(QLatin1String(".add")) && !key.number)
            op = prefix + QStringLiteral(".change"); // every number is taken
        if (rs.recordCount() == 0 || (op.endsWith(QLatin1String(".delete")) && rs.recordCount() <= 1))
            op = prefix + QStringLiteral(".add");

        QJsonObject plan{{"op", op}};
        if (op.endsWith(QLatin1String(".add"))) {
            rs.addNew();
            rs.setValue(QString::fromLatin1(kind->keyColumn), *key.number);
            plan.insert("num", *key.number);
        } else {
            rs.setAbsolutePosition(between(1, rs.recordCount()));
            plan.insert("num", rs.integer(QString::fromLatin1(kind->keyColumn)));
            if (op.endsWith(QLatin1String(".delete"))) {
                begin(plan);
                rs.cancelUpdate();
                return rs.deleteCurrent();
            }
        }
        QJsonObject fields;
        if (prefix == QLatin1String("customer")) {
            fields = {{"last_name", text(49)}, {"first_name", text(49)}, {"address", text(79)},
                      {"phone", text(14)},     {"email", text(49)},      {"birthday", text(14)},
                      {"comments", text(99, true)}};
        } else if (prefix == QLatin1String("product")) {
            // A changed product keeps its stock: the form writes back what it showed.
            const qint64 qty = op.endsWith(QLatin1String(".add")) ? between(50000, 100000) : rs.integer("qty");
            fields = {{"product", text(69)}, {"product_refnum", text(14)}, {"cost", money(40).units()}, {"qty", qty}};
        } else {
            fields = {{"Company", text(49)}, {"Contact", text(49)}, {"Address", text(79)},
                      {"Phone", text(14)},   {"Email", text(49)},   {"Comments", text(99, true)}};
        }
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            plan.insert(it.key(), it.value());
            if (it.key() == QLatin1String("cost"))
                rs.setMoney(it.key(), Money::fromUnits(it.value().toInteger()));
            else
                rs.setValue(it.key(), it.value().toVariant());
        }
        begin(plan);
        return rs.update();
    }

    // --- Recipes, as their forms write them -------------------------------------------

    Status saveRecipe(const QString &wanted)
    {
        RecordSet rs = RecordSet::table(m_db, QStringLiteral("recipes"));
        if (Status s = rs.refresh(); !s)
            return s;
        QString op = wanted;
        if (rs.recordCount() == 0 || (op == QLatin1String("recipe.delete") && rs.recordCount() <= 1))
            op = QStringLiteral("recipe.add");
        QJsonObject plan{{"op", op}};
        if (op == QLatin1String("recipe.add")) {
            // Names stay unique, so that the checker can tell the recipes apart.
            QString name;
            do {
                name = QStringLiteral("Recipe %1 %2").arg(m_rng.generate() % 100000).arg(text(20));
                rs.moveFirst();
            } while (rs.find(QStringLiteral("Recipe_Name"), name));
            rs.addNew();
            rs.setValue(QStringLiteral("Recipe_Name"), name);
            plan.insert("name", name);
        } else {
            rs.setAbsolutePosition(between(1, rs.recordCount()));
            plan.insert("name", rs.text(QStringLiteral("Recipe_Name")));
            if (op == QLatin1String("recipe.delete")) {
                begin(plan);
                return rs.deleteCurrent();
            }
        }
        // Where the splitter cuts a character outside the basic plane is a matter
        // for its own tests; here every column must come back as it was split.
        QString directions;
        const int length = between(1, RecipeText::MaxDirections);
        while (directions.size() < length)
            directions += text(40, true, true) + QStringLiteral("\r\n");
        directions = directions.left(length);
        if (directions.back().isHighSurrogate() || directions.back() == QLatin1Char('\r'))
            directions.chop(1);
        const QStringList columns = RecipeText::directionColumns();
        const QStringList parts = RecipeText::split(directions);
        QJsonArray stored;
        for (int i = 0; i < columns.size(); ++i) {
            rs.setValue(columns[i], parts[i]);
            stored.append(parts[i]);
        }
        plan.insert("directions", stored);
        begin(plan);
        return rs.update();
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {"db", "The Corvana file.", "file"},
        {"seed", "Seed of the random choices.", "n", "1"},
        {"ops", "Saves to make, then exit (0: until killed).", "n", "0"},
        {"first", "The kind of the first save.", "op"},
        {"kill-at", "Kill this process just before its k-th write to the disk.", "k", "0"},
        {"kill-before-report", "Kill this process when its first save has returned, before it reports it."},
        {"setup", "Store the starting records and exit."},
    });
    parser.process(app);

    if (!FaultVfs::install()) {
        say("E the fault VFS could not be installed");
        return 2;
    }
    // Counted from the start: a hot journal left by the last kill is rolled back
    // while the file opens, and a kill may land there too.
    FaultVfs::killBeforeWrite(parser.value("kill-at").toLongLong());

    if (Status s = Database::open(parser.value("db")); !s) {
        say("E " + s.message().toUtf8());
        return 2;
    }
    if (Status s = LoadSettings(Database::connection()); !s) {
        say("E " + s.message().toUtf8());
        return 2;
    }
    int code = 0;
    {
        Worker worker(Database::connection(), parser.value("seed").toULongLong());
        if (parser.isSet("setup")) {
            const Status s = worker.setup();
            say(s ? QByteArray("S") : "E " + s.message().toUtf8());
            code = s ? 0 : 2;
        } else {
            say("R");
            const qint64 ops = parser.value("ops").toLongLong();
            QString next = parser.value("first");
            for (qint64 done = 0; ops == 0 || done < ops; ++done) {
                const QString op = next.isEmpty() ? worker.randomOp() : next;
                next.clear();
                const Status s = worker.save(op);
                if (parser.isSet("kill-before-report"))
                    ::kill(::getpid(), SIGKILL);
                say(s ? QByteArray("D") : "F " + s.message().simplified().toUtf8());
            }
        }
    }
    Database::close();
    return code;
}
