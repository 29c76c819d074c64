#include "data/Schema.h"

#include "data/Transaction.h"

#include <QHash>
#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>

namespace Schema {
namespace {

// The schema of this version, table by table; `table` names the table a statement
// builds (the upgrade rebuilds tables from these). The engine itself refuses what
// the program never writes: a date that is not a real day as YYYY-MM-DD, a
// fraction in a whole-number column, a money amount that is not a whole count of
// ten-thousandths.
struct Statement
{
    const char *table;
    const char *sql;
};

const Statement CreateStatements[] = {
    {"admin", R"(CREATE TABLE admin (
        tax REAL NOT NULL DEFAULT 0,
        shipping REAL NOT NULL DEFAULT 0,
        shippingoot REAL NOT NULL DEFAULT 0,
        invReminderqty INTEGER NOT NULL DEFAULT 0,
        party_profit REAL NOT NULL DEFAULT 0,
        reorder_profit REAL NOT NULL DEFAULT 0))"},
    {"customer", R"(CREATE TABLE customer (
        cust_num INTEGER PRIMARY KEY CHECK (cust_num BETWEEN 0 AND 32767),
        first_name TEXT NOT NULL DEFAULT '',
        last_name TEXT NOT NULL DEFAULT '',
        address TEXT NOT NULL DEFAULT '',
        phone TEXT NOT NULL DEFAULT '',
        email TEXT NOT NULL DEFAULT '',
        birthday TEXT NOT NULL DEFAULT '',
        comments TEXT NOT NULL DEFAULT ''))"},
    {"inventory", R"(CREATE TABLE inventory (
        product_num INTEGER PRIMARY KEY CHECK (product_num BETWEEN 0 AND 32767),
        product TEXT NOT NULL DEFAULT '',
        product_refnum TEXT NOT NULL DEFAULT '',
        cost INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "cost is a whole number of ten-thousandths" CHECK (typeof(cost) = 'integer'),
        qty INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "qty is a whole number" CHECK (typeof(qty) = 'integer')))"},
    {"suppliers", R"(CREATE TABLE suppliers (
        supplier_num INTEGER PRIMARY KEY CHECK (supplier_num BETWEEN 0 AND 32767),
        Company TEXT NOT NULL DEFAULT '',
        Contact TEXT NOT NULL DEFAULT '',
        Address TEXT NOT NULL DEFAULT '',
        Phone TEXT NOT NULL DEFAULT '',
        Email TEXT NOT NULL DEFAULT '',
        Comments TEXT NOT NULL DEFAULT ''))"},
    {"recipes", R"(CREATE TABLE recipes (
        Recipe_Name TEXT NOT NULL DEFAULT '',
        Recipe_Directions1 TEXT NOT NULL DEFAULT '',
        Recipe_Directions2 TEXT NOT NULL DEFAULT '',
        Recipe_Directions3 TEXT NOT NULL DEFAULT '',
        Recipe_Directions4 TEXT NOT NULL DEFAULT ''))"},
    {"orders", R"(CREATE TABLE orders (
        order_num INTEGER PRIMARY KEY CHECK (order_num BETWEEN 0 AND 32767),
        cust_num INTEGER NOT NULL REFERENCES customer (cust_num)
            CONSTRAINT "cust_num is a whole number" CHECK (typeof(cust_num) = 'integer'),
        order_date TEXT
            CONSTRAINT "order_date is a day as YYYY-MM-DD"
            CHECK (order_date IS NULL OR (order_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'
                                          AND date(order_date, '+0 days') IS order_date)),
        order_status TEXT NOT NULL DEFAULT 'O' CHECK (order_status IN ('O', 'C', 'D')),
        order_type TEXT NOT NULL DEFAULT 'P' CHECK (order_type IN ('P', 'R')),
        subtotal INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "subtotal is a whole number of ten-thousandths" CHECK (typeof(subtotal) = 'integer'),
        add_costs INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "add_costs is a whole number of ten-thousandths" CHECK (typeof(add_costs) = 'integer'),
        discounts INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "discounts is a whole number of ten-thousandths" CHECK (typeof(discounts) = 'integer'),
        total_price INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "total_price is a whole number of ten-thousandths" CHECK (typeof(total_price) = 'integer'),
        out_of_town_order INTEGER NOT NULL DEFAULT 0 CHECK (out_of_town_order IN (0, 1)),
        close_date TEXT
            CONSTRAINT "close_date is a day as YYYY-MM-DD"
            CHECK (close_date IS NULL OR (close_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'
                                          AND date(close_date, '+0 days') IS close_date)),
        comments TEXT NOT NULL DEFAULT '',
        UNIQUE (order_num, cust_num)))"},
    {"order_detail", R"(CREATE TABLE order_detail (
        order_num INTEGER NOT NULL
            CONSTRAINT "order_num is a whole number" CHECK (typeof(order_num) = 'integer'),
        cust_num INTEGER NOT NULL
            CONSTRAINT "cust_num is a whole number" CHECK (typeof(cust_num) = 'integer'),
        product_num INTEGER NOT NULL REFERENCES inventory (product_num)
            CONSTRAINT "product_num is a whole number" CHECK (typeof(product_num) = 'integer'),
        order_qty INTEGER NOT NULL
            CONSTRAINT "order_qty is a whole number from 1" CHECK (typeof(order_qty) = 'integer' AND order_qty >= 1),
        FOREIGN KEY (order_num, cust_num) REFERENCES orders (order_num, cust_num)))"},
    {"order_detail", "CREATE INDEX order_detail_order ON order_detail (order_num, cust_num)"},
    {"expenses", R"(CREATE TABLE expenses (
        expense_num INTEGER PRIMARY KEY CHECK (expense_num BETWEEN 0 AND 32767),
        expense_desc TEXT NOT NULL DEFAULT '',
        expense_amt INTEGER NOT NULL DEFAULT 0
            CONSTRAINT "expense_amt is a whole number of ten-thousandths" CHECK (typeof(expense_amt) = 'integer'),
        expense_date TEXT
            CONSTRAINT "expense_date is a day as YYYY-MM-DD"
            CHECK (expense_date IS NULL OR (expense_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'
                                            AND date(expense_date, '+0 days') IS expense_date))))"},
    {nullptr, "INSERT INTO admin (tax, shipping, shippingoot, invReminderqty, party_profit, reorder_profit)"
              " VALUES (0, 0, 0, 0, 0, 0)"},
};

// Creates `table` (with its indexes) as this version defines it.
Status createTable(QSqlDatabase db, const char *table)
{
    for (const Statement &st : CreateStatements) {
        if (st.table && qstrcmp(st.table, table) == 0) {
            if (Status s = execBound(db, QString::fromLatin1(st.sql)); !s)
                return s;
        }
    }
    return {};
}

Status inTable(const QString &table, const Status &s)
{
    if (s)
        return s;
    return Status::failure(QStringLiteral("The table %1 could not be upgraded: %2").arg(table, s.message()),
                           s.statement());
}

// Version 1 to 2: the date, whole-number and money columns of inventory, orders,
// order_detail and expenses gain their checks. SQLite cannot add a check to a
// table, so each is rebuilt: created anew, filled with the old rows (row ids
// kept), the old one dropped. Foreign keys stay enforced, so the order matters:
// the order lines wait in a plain copy while their parents (inventory, orders)
// are rebuilt, and come back last; nothing is ever dropped while rows refer to it.
Status toVersion2(QSqlDatabase db)
{
    const QString lines = QStringLiteral("corvana_order_detail_v1");
    if (Status s = execBound(db, QStringLiteral("CREATE TABLE %1 AS SELECT rowid AS line, order_num, cust_num, "
                                                "product_num, order_qty FROM order_detail").arg(lines));
        !s)
        return inTable(QStringLiteral("order_detail"), s);
    if (Status s = execBound(db, QStringLiteral("DROP TABLE order_detail")); !s)
        return inTable(QStringLiteral("order_detail"), s);

    for (const char *table : {"inventory", "orders", "expenses"}) {
        const QString name = QString::fromLatin1(table);
        const QString old = QStringLiteral("corvana_%1_v1").arg(name);
        for (const QString &sql : {QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(name, old), QString(),
                                   QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(name, old),
                                   QStringLiteral("DROP TABLE %1").arg(old)}) {
            if (Status s = sql.isEmpty() ? createTable(db, table) : execBound(db, sql); !s)
                return inTable(name, s);
        }
    }

    for (const QString &sql : {QString(),
                               QStringLiteral("INSERT INTO order_detail (rowid, order_num, cust_num, product_num, order_qty) "
                                              "SELECT line, order_num, cust_num, product_num, order_qty FROM %1 ORDER BY line")
                                   .arg(lines),
                               QStringLiteral("DROP TABLE %1").arg(lines)}) {
        if (Status s = sql.isEmpty() ? createTable(db, "order_detail") : execBound(db, sql); !s)
            return inTable(QStringLiteral("order_detail"), s);
    }

    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("PRAGMA foreign_key_check")))
        return Status::failure(check.lastError(), check.lastQuery());
    if (check.next())
        return Status::failure(QStringLiteral("A row of the table %1 refers to a missing row of the table %2.")
                                   .arg(check.value(0).toString(), check.value(2).toString()));
    return {};
}

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
    for (const Statement &st : CreateStatements) {
        if (Status s = execBound(db, QString::fromLatin1(st.sql)); !s)
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
    static const std::vector<MigrationStep> steps = {{1, toVersion2}};
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
