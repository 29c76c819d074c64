// I/O faults along every save path (see FaultSweep.h for what each run
// checks): orders through OrderStore; the record forms, the expense forms and
// the business defaults through their screens.

#include "FaultSweep.h"
#include "TestSupport.h"

#include "admin/fmAdministrative.h"
#include "bookkeeping/fmBookkeeping.h"
#include "customers/fmCustomers.h"
#include "inventory/fmInventory.h"
#include "orders/OrderStore.h"
#include "recipes/fmRecipes.h"
#include "suppliers/fmSuppliers.h"

#include <QTableView>

using FaultVfs::Op;
using namespace FaultSweep;

namespace {

const QDate Today(2025, 6, 30);

template <typename Screen>
Case browserCase(const QString &openButton, std::function<void(QDialog *)> fill, const QString &saveButton)
{
    return formCase<Screen>([] { return new Screen; }, [openButton](Screen *s) { click(s, openButton); }, fill,
                            saveButton);
}

Case expenseCase(const QString &openButton, std::function<void(QDialog *)> fill, const QString &saveButton)
{
    return formCase<fmBookkeeping>(
        [] { return new fmBookkeeping(nullptr, Today); },
        [openButton](fmBookkeeping *s) {
            if (openButton == QLatin1String("cmUpdate")) {
                auto *grid = child<QTableView>(s, "DataGrid1");
                const QRect cell = grid->visualRect(grid->model()->index(0, 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            }
            click(s, openButton);
        },
        fill, saveButton);
}

Case adminCase()
{
    return [](const std::function<void(Attempt &)> &during) {
        fmAdministrative screen;
        screen.show();
        click(&screen, "cmUpdate");
        const QStringList boxes = {"medtax", "medshipping", "medShippingOOT", "medInvQty"};
        const QStringList typed = {"8.5", "6.25", "12", "7"};
        for (int i = 0; i < boxes.size(); ++i)
            type(&screen, boxes[i], typed[i]);
        Attempt a;
        a.save = [&] { click(&screen, "cmSave"); };
        a.refused = [&] { return !child<QWidget>(&screen, "cmSave")->isHidden(); };
        a.kept = [&] { return boxTexts(&screen); };
        // The defaults every screen computes with are the stored ones.
        a.screenMismatch = [] {
            AdminValues stored;
            if (Status s = readAdminValues(Database::connection(), stored); !s)
                return QStringList{"the defaults could not be read: " + s.message()};
            const Settings &now = Settings::current();
            if (now.TaxRate != stored.tax / 100 || now.ShippingRate != stored.shipping / 100
                || now.ShippingOOTRate != stored.shippingoot / 100 || now.ReminderQty != stored.invReminderqty)
                return QStringList{QStringLiteral("the defaults in use (%1, %2, %3, %4) are not the stored ones")
                                       .arg(now.TaxRate).arg(now.ShippingRate).arg(now.ShippingOOTRate)
                                       .arg(now.ReminderQty)};
            return QStringList{};
        };
        during(a);
    };
}

Orders::Order order(int num, int cust, const QString &status, std::vector<Orders::OrderLine> lines)
{
    Orders::Order o;
    o.orderNum = num;
    o.custNum = cust;
    o.orderDate = QDate(2025, 6, 1);
    o.status = status;
    o.type = Orders::Reorder;
    o.subtotal = Money::fromUnits(123400);
    o.addCosts = Money::fromUnits(10000);
    o.discounts = Money::fromUnits(5000);
    o.total = Money::fromUnits(140000);
    o.outOfTown = true;
    o.comments = QStringLiteral("Leave at the back door\r\nO'Brien 😀");
    o.lines = std::move(lines);
    return o;
}

// A save through OrderStore; the order screens report its status.
Case orderCase(std::function<Status()> store)
{
    return [store](const std::function<void(Attempt &)> &during) {
        Status last;
        Attempt a;
        a.save = [&] { last = store(); };
        a.refused = [&] { return !last.ok(); };
        a.kept = [] { return QString(); };
        a.status = [&] { return last.ok() ? QString() : last.message(); };
        during(a);
    };
}

const QMap<QString, Case> &cases()
{
    static const QMap<QString, Case> all = {
        {"order: add open", orderCase([] {
             return OrderStore::addOrder(Database::connection(), order(10, 2, Orders::Open, {{1, {}, 1}, {3, {}, 2}}),
                                         5, Today).status;
         })},
        {"order: add closed", orderCase([] {
             return OrderStore::addOrder(Database::connection(), order(10, 2, Orders::Closed, {{1, {}, 1}, {3, {}, 2}}),
                                         5, Today).status;
         })},
        {"order: replace", orderCase([] {
             return OrderStore::replaceOrder(Database::connection(),
                                             order(1, 1, Orders::Open, {{3, {}, 4}, {2, {}, 1}, {1, {}, 1}}), 5, Today)
                 .status;
         })},
        {"order: close", orderCase([] {
             return OrderStore::replaceOrder(Database::connection(), order(1, 1, Orders::Closed, {{3, {}, 4}}), 5, Today)
                 .status;
         })},
        {"order: delete", orderCase([] { return OrderStore::markDeleted(Database::connection(), 2); })},

        {"customer: add", browserCase<fmCustomers>("cmAdd", [](QDialog *f) {
             type(f, "txtLastname", "O'Brien");
             type(f, "txtFirstname", "Zoë 😀");
             type(f, "txtAddress", "1 Main St.");
             type(f, "txtPhone", "555-0100");
             type(f, "txtComments", "Likes rye\nand spelt");
         }, "cmSave")},
        {"customer: update", browserCase<fmCustomers>("cmUpdate", [](QDialog *f) {
             type(f, "txtLastname", "Lee-O'Hara");
             type(f, "txtEmail", "ann@example.com");
         }, "cmSave")},
        {"product: add", browserCase<fmInventory>("cmAdd", [](QDialog *f) {
             type(f, "txtProduct", "Rye bread");
             type(f, "txtProdnum", "RB-1");
             type(f, "medcost", "4.25");
             type(f, "txtQty", "40");
         }, "cmSave")},
        {"product: update", browserCase<fmInventory>("cmUpdate", [](QDialog *f) {
             type(f, "txtProduct", "Spelt bread");
             type(f, "medcost", "5.5");
         }, "cmSave")},
        {"supplier: add", browserCase<fmSuppliers>("cmAdd", [](QDialog *f) {
             type(f, "txtCompany", "Mill & Sons");
             type(f, "txtPhone", "555-0199");
             type(f, "txtComments", "Flour\nweekly");
         }, "cmSave")},
        {"supplier: update", browserCase<fmSuppliers>("cmUpdate", [](QDialog *f) {
             type(f, "txtContact", "Ö. Ng");
         }, "cmSave")},
        {"supplier: delete", browserCase<fmSuppliers>("cmUpdate", [](QDialog *) {}, "cmDelete")},
        {"recipe: add", browserCase<fmRecipes>("cmAdd", [](QDialog *f) {
             // Long enough to need a new page of the file, so that undoing a
             // failed save cuts the file back (a truncation).
             type(f, "txtRecipe", "Rye loaf");
             type(f, "txtDirections1", QString("混ぜて、こねて、焼く。\n").repeated(100).left(1000));
         }, "cmSave")},
        {"recipe: update", browserCase<fmRecipes>("cmUpdate", [](QDialog *f) {
             type(f, "txtDirections1", "Bake at 220 °C for 40 minutes.");
         }, "cmSave")},
        {"recipe: delete", browserCase<fmRecipes>("cmUpdate", [](QDialog *) {}, "cmDelete")},
        {"expense: add", expenseCase("cmExpense", [](QDialog *f) {
             type(f, "txtdesc", "Jars");
             type(f, "medAmt", "12.5");
             type(f, "medDate", "06/02/2025");
         }, "cmUpdate")},
        {"expense: update", expenseCase("cmUpdate", [](QDialog *f) {
             type(f, "txtdesc", "Jars and lids");
             type(f, "medAmt", "19.95");
         }, "cmUpdate")},
        {"expense: delete", expenseCase("cmUpdate", [](QDialog *) {}, "cmDelete")},
        {"business defaults", adminCase()},
    };
    return all;
}

// The records every case starts from.
const char *const Seed[] = {
    "UPDATE admin SET tax = 7.25, shipping = 5, shippingoot = 10, invReminderqty = 3",
    "INSERT INTO customer (cust_num, first_name, last_name, address, phone, email) VALUES"
    " (1, 'Ann', 'Lee', '1 Oak', '555-0001', 'ann@x.com'), (2, 'Bo', 'Ng', '2 Elm', '555-0002', ''),"
    " (3, 'Cy', 'Roe', '3 Ash', '555-0003', '')",
    "INSERT INTO inventory (product_num, product, product_refnum, cost, qty) VALUES"
    " (1, 'Bread', 'B1', 35000, 100), (2, 'Jam', 'J1', 50000, 100), (3, 'Honey', 'H1', 80000, 100)",
    "INSERT INTO suppliers (supplier_num, Company, Contact, Address, Phone) VALUES"
    " (1, 'Acme Flour', 'Al', '9 Mill Rd', '555-0101'), (2, 'Bee Farm', 'Bea', '4 Hive Ln', '555-0102')",
    "INSERT INTO recipes (Recipe_Name, Recipe_Directions1, Recipe_Directions2, Recipe_Directions3,"
    " Recipe_Directions4) VALUES ('Bread', 'Mix and bake.', '', '', ''),"
    " ('Soup', printf('%400s', 'Boil.'), printf('%400s', 'Stir.'), printf('%400s', 'Salt.'), printf('%400s', 'Serve.'))",
    "INSERT INTO expenses (expense_num, expense_desc, expense_amt, expense_date) VALUES"
    " (1, 'Flour', 200000, '2025-05-01'), (2, 'Gas', 45000, '2025-05-03')",
    "INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type, subtotal, total_price) VALUES"
    " (1, 1, '2025-05-01', 'O', 'P', 120000, 128700), (2, 2, '2025-05-02', 'O', 'P', 80000, 85800),"
    " (3, 3, '2025-05-03', 'C', 'R', 35000, 37500)",
    "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES"
    " (1, 1, 1, 2), (1, 1, 2, 1), (2, 2, 3, 1), (3, 3, 1, 1)",
};

} // namespace

class tst_IoFaults : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    FaultSweep::Sweep m_sweep;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QStringList seed;
        for (const char *sql : Seed)
            seed << QString::fromUtf8(sql);
        const QString error = m_sweep.prepare(m_dir.path(), seed);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    // Qt's driver opens its files through the fault VFS: its statements see the
    // faults, with SQLite's own result codes.
    void qtDriverUsesTheVfs()
    {
        QVERIFY(m_sweep.fresh());
        FaultVfs::resetCounts();
        QSqlQuery q(Database::connection());
        QVERIFY(q.exec("UPDATE admin SET tax = 8"));
        QVERIFY(FaultVfs::counts()[Op::Write] > 0);
        QVERIFY(FaultVfs::counts()[Op::Sync] > 0);
        FaultVfs::arm(Op::Write, 1, FaultVfs::Mode::Persistent, FaultVfs::Error::DiskFull);
        const bool stored = q.exec("UPDATE admin SET tax = 9");
        FaultVfs::disarm();
        QVERIFY(!stored);
        QCOMPARE(q.lastError().nativeErrorCode(), QString::number(13)); // SQLITE_FULL
        QVERIFY(FaultVfs::injected() > 0);
        Database::close();
    }

    void faults_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : cases().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void faults()
    {
        QFETCH(QString, name);
        const QStringList failures = m_sweep.sweep(name, cases()[name]);
        QVERIFY2(failures.isEmpty(), qPrintable(QString::number(failures.size()) + " failures:\n"
                                                + failures.mid(0, 15).join('\n')));
    }

    void cleanupTestCase()
    {
        qInfo("%lld runs with a fault, %lld saves refused, %lld failing calls injected", m_sweep.runs,
              m_sweep.refused, m_sweep.injected);
    }
};

QTEST_MAIN(tst_IoFaults)
#include "tst_iofaults.moc"
