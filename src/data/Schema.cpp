#include "data/Schema.h"

#include "data/Transaction.h"

#include <QHash>
#include <algorithm>
#include <QSqlQuery>

namespace Schema {
namespace {

const char *const CreateStatements[] = {
    R"(CREATE TABLE admin (
        tax REAL NOT NULL DEFAULT 0,
        shipping REAL NOT NULL DEFAULT 0,
        shippingoot REAL NOT NULL DEFAULT 0,
        invReminderqty INTEGER NOT NULL DEFAULT 0,
        party_profit REAL NOT NULL DEFAULT 0,
        reorder_profit REAL NOT NULL DEFAULT 0))",
    R"(CREATE TABLE customer (
        cust_num INTEGER PRIMARY KEY CHECK (cust_num BETWEEN 0 AND 32767),
        first_name TEXT NOT NULL DEFAULT '',
        last_name TEXT NOT NULL DEFAULT '',
        address TEXT NOT NULL DEFAULT '',
        phone TEXT NOT NULL DEFAULT '',
        email TEXT NOT NULL DEFAULT '',
        birthday TEXT NOT NULL DEFAULT '',
        comments TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE inventory (
        product_num INTEGER PRIMARY KEY CHECK (product_num BETWEEN 0 AND 32767),
        product TEXT NOT NULL DEFAULT '',
        product_refnum TEXT NOT NULL DEFAULT '',
        cost INTEGER NOT NULL DEFAULT 0,
        qty INTEGER NOT NULL DEFAULT 0))",
    R"(CREATE TABLE suppliers (
        supplier_num INTEGER PRIMARY KEY CHECK (supplier_num BETWEEN 0 AND 32767),
        Company TEXT NOT NULL DEFAULT '',
        Contact TEXT NOT NULL DEFAULT '',
        Address TEXT NOT NULL DEFAULT '',
        Phone TEXT NOT NULL DEFAULT '',
        Email TEXT NOT NULL DEFAULT '',
        Comments TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE recipes (
        Recipe_Name TEXT NOT NULL DEFAULT '',
        Recipe_Directions1 TEXT NOT NULL DEFAULT '',
        Recipe_Directions2 TEXT NOT NULL DEFAULT '',
        Recipe_Directions3 TEXT NOT NULL DEFAULT '',
        Recipe_Directions4 TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE orders (
        order_num INTEGER PRIMARY KEY CHECK (order_num BETWEEN 0 AND 32767),
        cust_num INTEGER NOT NULL REFERENCES customer (cust_num),
        order_date TEXT,
        order_status TEXT NOT NULL DEFAULT 'O' CHECK (order_status IN ('O', 'C', 'D')),
        order_type TEXT NOT NULL DEFAULT 'P' CHECK (order_type IN ('P', 'R')),
        subtotal INTEGER NOT NULL DEFAULT 0,
        add_costs INTEGER NOT NULL DEFAULT 0,
        discounts INTEGER NOT NULL DEFAULT 0,
        total_price INTEGER NOT NULL DEFAULT 0,
        out_of_town_order INTEGER NOT NULL DEFAULT 0 CHECK (out_of_town_order IN (0, 1)),
        close_date TEXT,
        comments TEXT NOT NULL DEFAULT '',
        UNIQUE (order_num, cust_num)))",
    R"(CREATE TABLE order_detail (
        order_num INTEGER NOT NULL,
        cust_num INTEGER NOT NULL,
        product_num INTEGER NOT NULL REFERENCES inventory (product_num),
        order_qty INTEGER NOT NULL CHECK (order_qty >= 1),
        FOREIGN KEY (order_num, cust_num) REFERENCES orders (order_num, cust_num)))",
    "CREATE INDEX order_detail_order ON order_detail (order_num, cust_num)",
    R"(CREATE TABLE expenses (
        expense_num INTEGER PRIMARY KEY CHECK (expense_num BETWEEN 0 AND 32767),
        expense_desc TEXT NOT NULL DEFAULT '',
        expense_amt INTEGER NOT NULL DEFAULT 0,
        expense_date TEXT))",
    "INSERT INTO admin (tax, shipping, shippingoot, invReminderqty, party_profit, reorder_profit)"
    " VALUES (0, 0, 0, 0, 0, 0)",
};

QString key(const QString &table, const QString &column)
{
    return table.toLower() + QLatin1Char('.') + column.toLower();
}

} // namespace

Kind columnKind(const QString &table, const QString &column)
{
    static const QHash<QString, Kind> kinds = {
        {key("admin", "tax"), Kind::Real},
        {key("admin", "shipping"), Kind::Real},
        {key("admin", "shippingoot"), Kind::Real},
        {key("admin", "invReminderqty"), Kind::Integer},
        {key("admin", "party_profit"), Kind::Real},
        {key("admin", "reorder_profit"), Kind::Real},
        {key("customer", "cust_num"), Kind::Integer},
        {key("inventory", "product_num"), Kind::Integer},
        {key("inventory", "cost"), Kind::Money},
        {key("inventory", "qty"), Kind::Integer},
        {key("suppliers", "supplier_num"), Kind::Integer},
        {key("orders", "order_num"), Kind::Integer},
        {key("orders", "cust_num"), Kind::Integer},
        {key("orders", "order_date"), Kind::Date},
        {key("orders", "subtotal"), Kind::Money},
        {key("orders", "add_costs"), Kind::Money},
        {key("orders", "discounts"), Kind::Money},
        {key("orders", "total_price"), Kind::Money},
        {key("orders", "out_of_town_order"), Kind::Bool},
        {key("orders", "close_date"), Kind::Date},
        {key("order_detail", "order_num"), Kind::Integer},
        {key("order_detail", "cust_num"), Kind::Integer},
        {key("order_detail", "product_num"), Kind::Integer},
        {key("order_detail", "order_qty"), Kind::Integer},
        {key("expenses", "expense_num"), Kind::Integer},
        {key("expenses", "expense_amt"), Kind::Money},
        {key("expenses", "expense_date"), Kind::Date},
    };
    return kinds.value(key(table, column), Kind::Text);
}

Status create(QSqlDatabase db)
{
    Transaction t(db);
    if (Status s = t.begin(); !s)
        return s;
    for (const char *sql : CreateStatements) {
        if (Status s = execBound(db, QString::fromLatin1(sql)); !s)
            return s;
    }
    if (Status s = execBound(db, QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId)); !s)
        return s;
    if (Status s = execBound(db, QStringLiteral("PRAGMA user_version = %1").arg(Version)); !s)
        return s;
    return t.commit();
}

const std::vector<MigrationStep> &migrations()
{
    // Version 1 is the first schema; later versions add their step here.
    static const std::vector<MigrationStep> steps;
    return steps;
}

Status migrate(QSqlDatabase db, int fileVersion, int target, const std::vector<MigrationStep> &steps)
{
    Transaction t(db);
    if (Status s = t.begin(); !s)
        return s;
    for (int v = fileVersion; v < target; ++v) {
        auto step = std::find_if(steps.begin(), steps.end(),
                                 [v](const MigrationStep &m) { return m.from == v; });
        if (step == steps.end())
            return Status::failure(QStringLiteral("No upgrade from schema version %1").arg(v));
        if (Status s = step->apply(db); !s)
            return s;
    }
    if (Status s = execBound(db, QStringLiteral("PRAGMA user_version = %1").arg(target)); !s)
        return s;
    return t.commit();
}

} // namespace Schema
