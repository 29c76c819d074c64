// I/O faults along every save path: the fault VFS fails the n-th read, write,
// sync or deletion of a save, once or from then on, as an I/O error and as a
// full disk, for every n the save reaches, and likewise each truncation made
// while a failed save is undone. Each time:
//  - the save reports failure (the screen tells the user in plain words, the
//    form stays open with what was typed) or reports success;
//  - the file passes integrity_check and holds the old records when the save
//    was refused and the new ones when it was reported stored, both as the next
//    start would find it (a copy of the file and its journal, opened afresh)
//    and as the running program reads it;
//  - once the fault clears, the same save made again is stored, whole.
// Orders are saved through OrderStore; the record forms, the expense forms and
// the business defaults through their screens.

#include "FaultVfs.h"
#include "GuiSupport.h"
#include "Stored.h"
#include "TestSupport.h"

#include "admin/fmAdministrative.h"
#include "bookkeeping/fmBookkeeping.h"
#include "customers/fmCustomers.h"
#include "inventory/fmInventory.h"
#include "orders/OrderStore.h"
#include "recipes/fmRecipes.h"
#include "suppliers/fmSuppliers.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <functional>

using FaultVfs::Op;

namespace {

const QDate Today(2025, 6, 30);

// --- What the user is told -----------------------------------------------------

// A failure message in plain words: no SQL, none of the database engine's or the
// driver's own texts. Where failures are explained in one place (DatabaseError),
// the engine's texts are not accepted either; before that, the program's own
// sentence must come first and the driver's text may follow it.
QString plainWordsProblem(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("the message is empty");
    static const QStringList jargon = {
        "SELECT ", "INSERT ", "UPDATE ", "DELETE FROM", "PRAGMA", "ROLLBACK", "COMMIT", "BEGIN ", " WHERE ",
        "RETURNING", "QSQLITE", "SQLITE_", "sqlite3", "errno", " rowid",
#if __has_include("data/DatabaseError.h")
        "Unable to fetch row", "Unable to execute", "Unable to begin", "Unable to commit", "disk I/O error",
        "database or disk is full", "database disk image",
#endif
    };
    for (const QString &word : jargon) {
        if (text.contains(word, Qt::CaseSensitive))
            return QStringLiteral("the message holds \"%1\"").arg(word.trimmed());
    }
    if (!text.front().isUpper())
        return QStringLiteral("the message does not start with a sentence");
    return {};
}

// --- One save, as the harness drives it -------------------------------------------

// A save made ready (form open, values typed): the harness makes it, with a
// fault armed, and again once the fault has cleared.
struct Attempt
{
    std::function<void()> save;      // one click of Save (Delete answered OK), or one call
    std::function<bool()> refused;   // the save said it did not store (the form is still open)
    std::function<QString()> kept;   // what the user typed, as it stands
    std::function<QString()> status; // the failure a core call returned (empty for screens)
    std::function<QStringList()> screenMismatch; // the screen against the file, when it shows stored values
};

// Runs a save case: builds its screen, opens its form, types, then calls
// `during` with the save ready; returns when the form has closed.
using Case = std::function<void(const std::function<void(Attempt &)> &during)>;

void click(QWidget *parent, const QString &name)
{
    if (auto *b = child<QAbstractButton>(parent, name))
        b->click();
}

void type(QWidget *form, const QString &box, const QString &text)
{
    QWidget *w = child<QWidget>(form, box);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
        plain->setPlainText(text);
        return;
    }
    auto *line = qobject_cast<QLineEdit *>(w);
    QVERIFY(line);
    line->setFocus();
    line->selectAll();
    line->del();
    // Keys for plain text, as typed; other characters as entered by an input method.
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii)
        QTest::keyClicks(line, text);
    else
        line->insert(text);
}

// The offscreen platform's notice for every dialog shown says nothing here.
QtMessageHandler g_handler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        g_handler(type, context, message);
}

QString boxTexts(QWidget *form)
{
    QStringList texts;
    for (QLineEdit *line : form->findChildren<QLineEdit *>())
        texts << line->objectName() + "=" + line->text();
    for (QPlainTextEdit *plain : form->findChildren<QPlainTextEdit *>())
        texts << plain->objectName() + "=" + plain->toPlainText();
    return texts.join(QLatin1Char('|'));
}

// A modal form opened from `screen` by `opener`, filled by `fill`, saved with `button`.
template <typename Screen>
Case formCase(std::function<Screen *()> make, std::function<void(Screen *)> opener,
              std::function<void(QDialog *)> fill, QString button)
{
    return [=](const std::function<void(Attempt &)> &during) {
        std::unique_ptr<Screen> screen(make());
        screen->show();
        ModalDriver driver([&](QDialog *form) {
            fill(form);
            Attempt a;
            a.save = [form, button] { click(form, button); };
            a.refused = [form] { return form->isVisible(); };
            a.kept = [form] { return boxTexts(form); };
            during(a);
        });
        opener(screen.get());
        QVERIFY2(!driver.opened.isEmpty(), "the form did not open");
    };
}

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

// A fault, or two of different kinds armed together (a failed write, then a
// failed truncation while the save is undone).
struct Fault
{
    struct Step
    {
        Op op;
        qint64 n;
        FaultVfs::Mode mode;
        FaultVfs::Error error;
        QString name() const
        {
            return QStringLiteral("%1 %2 #%3, %4").arg(FaultVfs::modeName(mode), FaultVfs::opName(op)).arg(n)
                .arg(FaultVfs::errorName(error));
        }
    };
    Step first;
    std::optional<Step> then;

    void arm() const
    {
        FaultVfs::arm(first.op, first.n, first.mode, first.error);
        if (then)
            FaultVfs::armAlso(then->op, then->n, then->mode, then->error);
    }
    QString name() const { return then ? first.name() + " then " + then->name() : first.name(); }
};

// What one run of a case came to.
struct Outcome
{
    Stored::State before, after;
    FaultVfs::Counts counts;
    bool refused = false;
    qint64 injected = 0;
};

} // namespace

class tst_IoFaults : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_template, m_file, m_copy;
    qint64 m_runs = 0;
    qint64 m_injected = 0;
    qint64 m_refused = 0;

    void fresh()
    {
        for (const QString &f : {m_file, m_file + "-journal", m_file + ".lock", m_copy, m_copy + "-journal"})
            QFile::remove(f);
        QVERIFY(QFile::copy(m_template, m_file));
        const Status s = Database::open(m_file);
        QVERIFY2(s, qPrintable(s.message()));
        QVERIFY(LoadSettings(Database::connection()));
    }

    // The file as the next start would find it: a copy of the file and its
    // journal as they are now, opened afresh (a journal left behind is rolled back).
    Stored::State nextStart(QStringList &problems)
    {
        for (const QString &suffix : {QString(), QStringLiteral("-journal")}) {
            QFile::remove(m_copy + suffix);
            if (QFile::exists(m_file + suffix))
                QFile::copy(m_file + suffix, m_copy + suffix);
        }
        Stored::State state;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "nextStart");
            db.setDatabaseName(m_copy);
            if (!db.open()) {
                problems << "the copy does not open: " + db.lastError().text();
            } else {
                problems << Stored::problems(db);
                QString error;
                state = Stored::read(db, &error);
                if (!error.isEmpty())
                    problems << "reading the copy failed: " + error;
                db.close();
            }
        }
        QSqlDatabase::removeDatabase("nextStart");
        return state;
    }

    // The file against what the save said: the records before it when it was
    // refused, `expected` when it was reported stored (checked only if given).
    void checkFile(const QString &when, bool refused, const Stored::State &before, const Stored::State *expected,
                   const Attempt &a, QStringList &failures)
    {
        QStringList problems;
        const Stored::State onDisk = nextStart(problems);
        QString error;
        const Stored::State running = Stored::read(Database::connection(), &error);
        if (!error.isEmpty())
            problems << "the program cannot read the file: " + error;
        const Stored::State *want = refused ? &before : expected;
        if (want && onDisk != *want)
            problems << QStringLiteral("the file as the next start finds it holds %1:\n%2")
                            .arg(refused ? "more than the old records" : "other than the new records",
                                 Stored::diff(*want, onDisk, 6));
        if (onDisk != running)
            problems << "the running program reads other records than the file holds:\n"
                            + Stored::diff(onDisk, running, 6);
        if (a.screenMismatch)
            problems << a.screenMismatch();
        for (const QString &p : problems)
            failures << when + ": " + p;
    }

    // Runs `c` on a fresh copy of the starting file, with `fault` armed while
    // the save is made the first time; a refused save is made again once the
    // fault has cleared. `expected` is what a stored save leaves (none for the
    // run without a fault, which finds it out).
    Outcome run(const Case &c, const std::optional<Fault> &fault, const Stored::State *expected, QStringList &failures)
    {
        Outcome out;
        fresh();
        if (QTest::currentTestFailed())
            return out;
        const QString name = fault ? fault->name() : QStringLiteral("no fault");
        out.before = Stored::read(Database::connection());
        MessageRecorder boxes;
        bool reached = false;
        c([&](Attempt &a) {
            reached = true;
            const QString typed = a.kept();
            FaultVfs::resetCounts();
            if (fault)
                fault->arm();
            a.save();
            FaultVfs::disarm();
            out.counts = FaultVfs::counts();
            out.injected = fault ? FaultVfs::injected() : 0;
            out.refused = a.refused();

            // What the user was told.
            QStringList errors;
            for (const Msg::Record &r : boxes.boxes) {
                if (r.buttons == Msg::Buttons::Ok)
                    errors << r.text;
            }
            if (a.status && out.refused)
                errors << a.status();
            if (out.refused && errors.isEmpty())
                failures << name + ": the save was refused without a word";
            if (!out.refused && !errors.isEmpty())
                failures << name + ": the save was stored, yet the user was told: " + errors.join(" / ");
            for (const QString &e : errors) {
                if (const QString p = plainWordsProblem(e); !p.isEmpty() && !a.status)
                    failures << QStringLiteral("%1: %2: \"%3\"").arg(name, p, e.simplified().left(200));
            }
            if (out.refused && a.kept() != typed)
                failures << name + ": the form lost what was typed";
            checkFile(name, out.refused, out.before, expected, a, failures);
            if (!fault && out.refused)
                return;

            // The fault has cleared: the same save again is stored.
            if (out.refused) {
                boxes.boxes.clear();
                a.save();
                if (a.refused())
                    failures << name + ": once the fault cleared, the save was still refused: "
                                    + QStringList(boxes.texts() + QStringList(a.status ? a.status() : QString()))
                                          .join(" / ").simplified().left(300);
                else
                    checkFile(name + ", saved again", false, out.before, expected, a, failures);
            }
        });
        if (!reached)
            failures << name + ": the save was never made ready";
        out.after = Stored::read(Database::connection());
        Database::close();
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        g_handler = qInstallMessageHandler(quietHandler);
        QVERIFY2(FaultVfs::install(), "the fault VFS is not SQLite's default");
        m_template = m_dir.filePath("template.db");
        m_file = m_dir.filePath("CVN.db");
        QDir(m_dir.path()).mkpath("copy");
        m_copy = m_dir.filePath("copy/CVN.db");
        QVERIFY(Database::open(m_template));
        for (const char *sql : Seed) {
            QSqlQuery q(Database::connection());
            VERIFY_SQL(q, q.exec(QString::fromUtf8(sql)));
        }
        Database::close();
    }

    // Qt's driver opens its files through the fault VFS: its statements see the
    // faults, with SQLite's own result codes.
    void qtDriverUsesTheVfs()
    {
        fresh();
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
        const Case &c = cases()[name];
        QStringList failures;
        const Outcome clean = run(c, std::nullopt, nullptr, failures);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        QVERIFY2(!clean.refused, "the save is refused without a fault");
        QVERIFY2(clean.after != clean.before, "the save changes nothing");

        qint64 runs = 0, refused = 0, injected = 0;
        const auto sweep = [&](const Fault &fault) {
            const Outcome o = run(c, fault, &clean.after, failures);
            if (o.injected == 0)
                failures << fault.name() + ": the fault was never reached";
            ++runs;
            refused += o.refused;
            injected += o.injected;
            return o;
        };
        // Saves truncate nothing (the journal is deleted at commit and nothing
        // shrinks the file) until a failed save that grew the file is undone:
        // truncations are failed there, after each write that leads to one.
        QList<std::pair<qint64, qint64>> undone; // write n -> truncations while undoing
        for (int op = 0; op < FaultVfs::OpCount; ++op) {
            for (qint64 n = 1; n <= clean.counts.calls[op]; ++n) {
                for (auto mode : {FaultVfs::Mode::Once, FaultVfs::Mode::Persistent}) {
                    for (auto error : {FaultVfs::Error::IoError, FaultVfs::Error::DiskFull}) {
                        const Outcome o = sweep({{Op(op), n, mode, error}, std::nullopt});
                        if (mode == FaultVfs::Mode::Once && error == FaultVfs::Error::IoError
                            && o.counts[Op::Truncate] > 0)
                            undone << std::pair{n, o.counts[Op::Truncate]};
                    }
                }
            }
        }
        for (const auto &[write, truncations] : undone) {
            for (qint64 n = 1; n <= truncations; ++n) {
                for (auto mode : {FaultVfs::Mode::Once, FaultVfs::Mode::Persistent}) {
                    for (auto error : {FaultVfs::Error::IoError, FaultVfs::Error::DiskFull})
                        sweep({{Op::Write, write, FaultVfs::Mode::Once, FaultVfs::Error::IoError},
                               Fault::Step{Op::Truncate, n, mode, error}});
                }
            }
        }
        m_runs += runs;
        m_refused += refused;
        m_injected += injected;
        qint64 truncations = 0;
        for (const auto &u : undone)
            truncations += u.second;
        qInfo("%s", qPrintable(QStringLiteral("%1: %2 reads, %3 writes, %4 syncs, %5 deletions (%6 truncations "
                                              "undoing failed writes); %7 runs with a fault, %8 refused")
                                   .arg(name)
                                   .arg(clean.counts[Op::Read])
                                   .arg(clean.counts[Op::Write])
                                   .arg(clean.counts[Op::Sync])
                                   .arg(clean.counts[Op::Delete])
                                   .arg(truncations)
                                   .arg(runs)
                                   .arg(refused)));
        failures.removeDuplicates();
        QVERIFY2(failures.isEmpty(), qPrintable(QString::number(failures.size()) + " failures:\n"
                                                + failures.mid(0, 15).join('\n')));
    }

    void cleanupTestCase()
    {
        qInfo("%lld runs with a fault, %lld saves refused, %lld failing calls injected", m_runs, m_refused,
              m_injected);
    }
};

QTEST_MAIN(tst_IoFaults)
#include "tst_iofaults.moc"
