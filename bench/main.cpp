// corvana_bench: writes a file at the program's largest data and measures the
// program on it, each figure beside its floor (raw SQLite, a bare Qt window)
// measured in the same run on the same file.
//
//   corvana_bench generate FILE
//   corvana_bench run FILE [--runs N] [--json OUT] [--only start,lists,books,save,screens,memory]
//
// The child modes (child-bare, child-start, child-screens) are what `run`
// starts as separate processes to time a start and read its peak memory.
#include "Generator.h"

#include "bookkeeping/Ledger.h"
#include "data/Database.h"
#include "data/QueryModel.h"
#include "data/Transaction.h"
#include "orders/ItemLines.h"
#include "orders/OrderQueries.h"
#include "orders/OrderStore.h"
#include "orders/fmShowOrder.h"
#include "orders/fmUpdateOrd.h"
#include "shell/BrowserScreen.h"
#include "shell/Forms.h"
#include "shell/Messages.h"
#include "shell/Navigator.h"
#include "shell/Printer.h"
#include "shell/Screens.h"
#include "shell/Startup.h"
#include "shell/fmMain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

extern char **environ;

namespace {

using Clock = QElapsedTimer;

// A benchmark step that fails stops the run: its figures would mean nothing.
void must(const Status &s)
{
    if (!s) {
        std::fprintf(stderr, "corvana_bench: %s\n", qPrintable(s.message()));
        std::exit(1);
    }
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds of one call.
double timeMs(const std::function<void()> &f)
{
    Clock c;
    c.start();
    f();
    return c.nsecsElapsed() / 1e6;
}

double medianMs(int runs, const std::function<void()> &f, const std::function<void()> &before = {})
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        t.push_back(timeMs(f));
    }
    return median(t);
}

// Closes a screen and lets it go (deleted later) before the next opening is timed.
void unloadScreen(fmMain &main, const QString &name)
{
    main.navigator()->unload(name);
    QCoreApplication::processEvents();
}

// One line of the table: a figure, its floor (0: none) and its target.
struct Row {
    QString group;
    QString name;
    double value = 0;
    double floor = 0;
    QString unit = QStringLiteral("ms");
    QString target; // "<= 2x floor", "<= 100 ms"
    bool met = true;
};

std::vector<Row> rows;

void add(const QString &group, const QString &name, double value, double floor, const QString &target,
    double ratioLimit, double absoluteLimit = 0, const QString &unit = QStringLiteral("ms"))
{
    Row r{group, name, value, floor, unit, target};
    if (ratioLimit > 0 && floor > 0)
        r.met = value <= ratioLimit * floor;
    if (absoluteLimit > 0)
        r.met = value <= absoluteLimit;
    rows.push_back(r);
    std::fprintf(stderr, "  %-4s %-52s %10.2f %s\n", qPrintable(group), qPrintable(name), value, qPrintable(unit));
}

// ---- child processes -------------------------------------------------------

struct ChildResult {
    double wallMs = 0;
    int exitCode = -1;
};

// The process's peak resident memory in MB. Read from /proc (VmHWM) by the
// process itself: the rusage a parent gets also counts the memory the child
// had before its exec, which is the parent's own.
double peakMemoryMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// A child's figures: how long quitting took and its peak memory.
void writeFigures(const QString &out, double quitMs)
{
    QFile f(out);
    if (f.open(QIODevice::WriteOnly))
        f.write(QByteArray::number(quitMs) + ' ' + QByteArray::number(peakMemoryMb()));
}

std::pair<double, double> readFigures(const QString &out)
{
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return {0, 0};
    const QList<QByteArray> parts = f.readAll().split(' ');
    return {parts.value(0).toDouble(), parts.value(1).toDouble()};
}

ChildResult runChild(const QStringList &args)
{
    std::vector<QByteArray> store;
    store.push_back(QFile::encodeName(QCoreApplication::applicationFilePath()));
    for (const QString &a : args)
        store.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : store)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ChildResult r;
    Clock c;
    c.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.wallMs = c.nsecsElapsed() / 1e6;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A bare Qt program: one QMainWindow, shown, then quits once idle.
int childBare(int argc, char **argv, const QString &out)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int result = app.exec();
    if (!out.isEmpty())
        writeFigures(out, 0);
    return result;
}

// Opens every screen once, as the main window's buttons and the browsers' own
// openers do.
void openEveryScreen(fmMain &main)
{
    main.cmCustomers_Click();
    main.cmInventory_Click();
    main.navigator()->open(QStringLiteral("fmSuppliers"));
    main.navigator()->open(QStringLiteral("fmRecipes"));
    main.cmOrders_Click();
    main.cmBookKeeping_Click();
    main.cmadministrative_Click();
}

// Corvana's start as the program does it (Startup::run), quitting once the
// main window is shown and idle; with `screens`, every screen is opened first
// and the time from Exit to the end of the program is written to `out`.
int childStart(int argc, char **argv, const QString &file, bool screens, const QString &out)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvana");
    if (Status s = Startup::openData(file); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.message()));
        return 1;
    }
    Screens::registerAll();
    Clock quit;
    {
        fmMain main;
        main.show();
        QTimer::singleShot(0, &app, [&] {
            if (screens) {
                openEveryScreen(main);
                QCoreApplication::processEvents();
                quit.start();
                main.cmExit_Click();
            }
            QCoreApplication::quit();
        });
        app.exec();
    }
    Database::close();
    if (screens)
        writeFigures(out, quit.nsecsElapsed() / 1e6);
    return 0;
}

// ---- raw SQLite floors -----------------------------------------------------

struct Raw {
    sqlite3 *db = nullptr;
    explicit Raw(const QString &file)
    {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
    void exec(const char *sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    // Steps through up to `limit` rows (all when < 0), reading every column.
    int query(const QString &sql, const QVariantList &binds, int limit = -1)
    {
        sqlite3_stmt *st = nullptr;
        const QByteArray text = sql.toUtf8();
        sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr);
        for (int i = 0; i < binds.size(); ++i) {
            if (binds[i].typeId() == QMetaType::QString) {
                const QByteArray v = binds[i].toString().toUtf8();
                sqlite3_bind_text(st, i + 1, v.constData(), v.size(), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(st, i + 1, binds[i].toLongLong());
            }
        }
        int n = 0;
        const int columns = sqlite3_column_count(st);
        while ((limit < 0 || n < limit) && sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                sqlite3_column_text(st, c);
            ++n;
        }
        sqlite3_finalize(st);
        return n;
    }
};

// ---- the measurements ------------------------------------------------------

QString freshCopy(const QTemporaryDir &dir, const QString &file, const QString &name)
{
    const QString copy = dir.filePath(name);
    QFile::remove(copy);
    QFile::copy(file, copy);
    return copy;
}

void measureStart(const QString &file, const QTemporaryDir &dir, int runs)
{
    // A start takes a few tens of milliseconds, and the medians of five varied
    // by a third from one run of the benchmark to the next: at least 25 starts each.
    std::vector<double> bare, fresh, full;
    for (int i = 0; i < std::max(runs, 25); ++i) {
        bare.push_back(runChild({QStringLiteral("child-bare")}).wallMs);
        const QString newFile = dir.filePath(QStringLiteral("new%1.db").arg(i));
        fresh.push_back(runChild({QStringLiteral("child-start"), newFile}).wallMs);
        full.push_back(runChild({QStringLiteral("child-start"), file}).wallMs);
    }
    const double floor = median(bare);
    add("P1", "bare QMainWindow shown and idle", floor, 0, "floor", 0);
    add("P1", "start to main window idle, new file", median(fresh), floor, "<= 1.5x bare", 1.5);
    add("P1", "start to main window idle, full file", median(full), floor, "<= 1.5x bare", 1.5);

    const double open = medianMs(runs, [&] {
        must(Database::open(file));
        Database::close();
    });
    const double check = medianMs(runs, [&] {
        Raw raw(file);
        raw.query(QStringLiteral("PRAGMA quick_check"), {});
    });
    add("P1", "Database::open (start-up checks), full file", open, check, "floor: quick_check alone", 0);
}

void measureOrderLists(QSqlDatabase db, const QString &file, int runs)
{
    Raw raw(file);
    for (const QString &status : {QStringLiteral("O"), QStringLiteral("C"), QStringLiteral("D")}) {
        for (auto order : {OrderQueries::ListOrder::Date, OrderQueries::ListOrder::LastName}) {
            const QString sql = OrderQueries::orderList(order);
            const QString name = QStringLiteral("order list %1 by %2")
                                     .arg(status, order == OrderQueries::ListOrder::Date ? "date" : "last name");
            const double first = medianMs(runs, [&] {
                QueryModel m;
                must(m.setQuery(db, sql, {status}));
            });
            const double firstFloor = medianMs(runs, [&] { raw.query(sql, {status}, QueryModel::PageSize); });
            add("P2", name + ", first page", first, firstFloor, "<= 2x SQLite", 2);
            const double all = medianMs(runs, [&] {
                QueryModel m;
                must(m.setQuery(db, sql, {status}));
                while (m.canFetchMore())
                    m.fetchMore();
            });
            const double allFloor = medianMs(runs, [&] { raw.query(sql, {status}); });
            add("P2", name + ", every row", all, allFloor, "<= 2x SQLite", 2);
        }
    }
}

void measureBookkeeping(QSqlDatabase db, const QString &file, int runs)
{
    Raw raw(file);
    const auto periods = {std::make_pair(QStringLiteral("Show All"), Bookkeeping::Period::everything()),
        std::make_pair(
            QStringLiteral("one year (2020)"), Bookkeeping::Period::between(QDate(2020, 1, 1), QDate(2020, 12, 31)))};
    for (const auto &[name, period] : periods) {
        const double totals = medianMs(runs, [&] { must(Bookkeeping::totals(db, period).status); });
        const double floor = medianMs(runs, [&] {
            if (period.all) {
                raw.query(QStringLiteral("SELECT SUM(subtotal) FROM orders WHERE order_status = 'C'"), {});
                raw.query(QStringLiteral("SELECT SUM(expense_amt) FROM expenses"), {});
            } else {
                raw.query(QStringLiteral("SELECT SUM(subtotal) FROM orders WHERE order_status = 'C'"
                                         " AND close_date BETWEEN '2020-01-01' AND '2020-12-31'"),
                    {});
                raw.query(QStringLiteral("SELECT SUM(expense_amt) FROM expenses"
                                         " WHERE expense_date BETWEEN '2020-01-01' AND '2020-12-31'"),
                    {});
            }
        });
        add("P3", "bookkeeping totals, " + name, totals, floor, "<= 2x SQLite", 2);
        const Bookkeeping::Query sales = Bookkeeping::salesQuery(period);
        const Bookkeeping::Query expenses = Bookkeeping::expensesQuery(period);
        const double grids = medianMs(runs, [&] {
            QueryModel a, b;
            must(a.setQuery(db, sales.sql, sales.values));
            must(b.setQuery(db, expenses.sql, expenses.values));
        });
        const double gridFloor = medianMs(runs, [&] {
            raw.query(sales.sql, sales.values, QueryModel::PageSize);
            raw.query(expenses.sql, expenses.values, QueryModel::PageSize);
        });
        add("P3", "bookkeeping grids (first pages), " + name, grids, gridFloor, "<= 2x SQLite", 2);
    }
}

Orders::Order closedOrder30()
{
    Orders::Order o;
    o.orderNum = 0; // the one number a generated file leaves free
    o.custNum = 1;
    o.orderDate = QDate(2025, 6, 1);
    o.status = Orders::Closed;
    o.comments = QStringLiteral("");
    for (int i = 0; i < 30; ++i)
        o.lines.push_back({i + 1, QString(), 2});
    return o;
}

void measureSave(const QString &file, const QTemporaryDir &dir, int runs)
{
    const QString copy = freshCopy(dir, file, QStringLiteral("save.db"));
    const Orders::Order order = closedOrder30();
    std::vector<double> store, floor;
    const auto undo = [&copy] {
        Raw raw(copy);
        raw.exec("DELETE FROM order_detail WHERE order_num = 0; DELETE FROM orders "
                 "WHERE order_num = 0;");
    };
    for (int i = 0; i < runs; ++i) {
        must(Database::open(copy));
        store.push_back(
            timeMs([&] { must(OrderStore::addOrder(Database::connection(), order, 0, QDate(2025, 6, 2)).status); }));
        Database::close();
        undo();
        Raw raw(copy);
        raw.exec("PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; PRAGMA "
                 "foreign_keys = ON;");
        floor.push_back(timeMs([&] {
            raw.exec("BEGIN IMMEDIATE");
            raw.query(QStringLiteral("SELECT order_status, cust_num FROM orders WHERE order_num = 0"), {});
            raw.exec("INSERT INTO orders (order_num, cust_num, order_date, "
                     "order_status, order_type, subtotal,"
                     " add_costs, discounts, total_price, out_of_town_order, "
                     "close_date, comments)"
                     " VALUES (0, 1, '2025-06-01', 'C', 'P', 0, 0, 0, 0, 0, "
                     "'2025-06-02', '')");
            sqlite3_stmt *ins = nullptr, *upd = nullptr;
            sqlite3_prepare_v2(raw.db,
                "INSERT INTO order_detail (order_num, cust_num, "
                "product_num, order_qty)"
                " VALUES (0, 1, ?, 2)",
                -1, &ins, nullptr);
            sqlite3_prepare_v2(raw.db, "UPDATE inventory SET qty = qty - 2 WHERE product_num = ?", -1, &upd, nullptr);
            for (int p = 1; p <= 30; ++p) {
                sqlite3_bind_int(ins, 1, p);
                sqlite3_step(ins);
                sqlite3_reset(ins);
                sqlite3_bind_int(upd, 1, p);
                sqlite3_step(upd);
                sqlite3_reset(upd);
            }
            sqlite3_finalize(ins);
            sqlite3_finalize(upd);
            raw.exec("COMMIT");
        }));
        raw.exec("DELETE FROM order_detail WHERE order_num = 0; DELETE FROM orders "
                 "WHERE order_num = 0;");
    }
    add("P4", "save a closed 30-line order", median(store), median(floor), "<= 1.5x SQLite", 1.5);
}

// Every modal form opened meanwhile is handed to `onShown`, then closed.
void withModalHook(const std::function<void(QDialog *)> &onShown, const std::function<void()> &f)
{
    Forms::setModalHook(onShown);
    f();
    Forms::clearModalHook();
}

void measureScreens(const QString &file, const QTemporaryDir &dir, int runs)
{
    const QString copy = freshCopy(dir, file, QStringLiteral("screens.db"));
    must(Startup::openData(copy));
    Screens::registerAll();
    Printer::setPdfDirectory(dir.filePath(QStringLiteral("pdf")));
    Msg::setScript([](const Msg::Record &) { return Msg::Answer::Ok; });
    {
        fmMain main;
        main.show();
        QCoreApplication::processEvents();
        struct Browser {
            QString name;
            std::function<void()> open;
        };
        const std::vector<Browser> browsers = {
            {"fmCustomers", [&] { main.cmCustomers_Click(); }},
            {"fmInventory", [&] { main.cmInventory_Click(); }},
            {"fmSuppliers", [&] { main.navigator()->open(QStringLiteral("fmSuppliers")); }},
            {"fmRecipes", [&] { main.navigator()->open(QStringLiteral("fmRecipes")); }},
        };
        for (const Browser &b : browsers) {
            const double open = medianMs(
                runs,
                [&] {
                    b.open();
                    QCoreApplication::processEvents();
                },
                [&] { unloadScreen(main, b.name); });
            add("open", "open " + b.name, open, 0, "< 100 ms", 0, 100);
            auto *screen = qobject_cast<BrowserScreen *>(main.navigator()->find(b.name));
            if (!screen)
                continue;
            auto *next = screen->findChild<QPushButton *>(QStringLiteral("cmNext"));
            std::vector<double> steps;
            const int count = screen->rs().recordCount();
            for (int i = 0; i < count; ++i)
                steps.push_back(timeMs([&] {
                    next->click();
                    QCoreApplication::processEvents();
                }));
            add("step", b.name + " next (median of every record)", median(steps), 0, "< 100 ms", 0, 100);
            add("step", b.name + " next (slowest)", *std::max_element(steps.begin(), steps.end()), 0, "< 100 ms", 0,
                100);
            auto *print = screen->findChild<QPushButton *>(QStringLiteral("cmPrint"));
            add("print", b.name + " Print All to PDF", medianMs(runs, [&] { print->click(); }), 0, "< 100 ms", 0, 100);
            main.navigator()->unload(b.name);
        }
        for (const auto &[name, open] : std::vector<std::pair<QString, std::function<void()>>>{
                 {"fmOrders", [&] { main.cmOrders_Click(); }}, {"fmBookkeeping", [&] { main.cmBookKeeping_Click(); }},
                 {"fmAdministrative", [&] { main.cmadministrative_Click(); }}}) {
            const double t = medianMs(
                runs,
                [&] {
                    open();
                    QCoreApplication::processEvents();
                },
                [&] { unloadScreen(main, name); });
            add("open", "open " + name, t, 0, "< 100 ms", 0, 100);
        }

        // The order view and the update form of a 40-line order: from the call
        // to the form shown with its lines.
        QWidget *opener = main.navigator()->open(QStringLiteral("fmOrders"));
        Clock clock;
        std::vector<double> view, update, addLine, quantity;
        for (int i = 0; i < runs; ++i) {
            ShowOrderInputs in;
            in.orderNum = Generator::ClosedOrder40;
            in.customer = QStringLiteral("Benchmark Customer");
            in.statusCode = Orders::Closed;
            in.orderType = Orders::Party;
            clock.start();
            withModalHook([&](QDialog *) { view.push_back(clock.nsecsElapsed() / 1e6); },
                [&] { Forms::showModal(opener, new fmShowOrder(in)); });
            clock.start();
            withModalHook(
                [&](QDialog *form) {
                    update.push_back(clock.nsecsElapsed() / 1e6);
                    auto *lines = form->findChild<ItemLines *>();
                    // Change a quantity: the new text, then "Update Totals" recomputes.
                    quantity.push_back(timeMs([&] {
                        lines->txtQty(3)->setText(QString::number(5 + i));
                        form->findChild<QPushButton *>(QStringLiteral("cmUpdate_totals"))->click();
                        QCoreApplication::processEvents();
                    }));
                    // Add a line: "Add Item" lays out a new line and opens the
                    // product picker (closed at once by the hook).
                    Forms::setModalHook([](QDialog *) {});
                    addLine.push_back(timeMs([&] {
                        lines->cmInsertrow()->setEnabled(true);
                        lines->cmInsertrow()->click();
                        QCoreApplication::processEvents();
                    }));
                },
                [&] { Forms::showModal(opener, new fmUpdateOrd(Generator::OpenOrder40, QStringLiteral("X Y"))); });
        }
        add("form", "order view of a 40-line order", median(view), 0, "< 100 ms", 0, 100);
        add("form", "update form of a 40-line order", median(update), 0, "< 100 ms", 0, 100);
        add("P5", "40-line form: change a quantity (recompute, relayout)", median(quantity), 0, "<= 16 ms", 0, 16);
        add("P5", "40-line form: add a line (relayout, picker shown)", median(addLine), 0, "<= 16 ms", 0, 16);
        main.navigator()->unloadAll();
    }
    Msg::clearScript();
    Database::close();
}

void measureMemoryAndQuit(const QString &file, const QTemporaryDir &dir, int runs)
{
    const QString copy = freshCopy(dir, file, QStringLiteral("memory.db"));
    std::vector<double> bare, screens, quit;
    for (int i = 0; i < runs; ++i) {
        const QString out = dir.filePath(QStringLiteral("figures.txt"));
        runChild({QStringLiteral("child-bare"), out});
        bare.push_back(readFigures(out).second);
        runChild({QStringLiteral("child-screens"), copy, out});
        const auto [quitMs, peak] = readFigures(out);
        screens.push_back(peak);
        quit.push_back(quitMs);
    }
    add("P6", "peak memory, bare QMainWindow", median(bare), 0, "floor", 0, 0, "MB");
    add("P6", "peak memory, every screen opened once", median(screens), median(bare), "<= 100 MB", 0, 100, "MB");
    add("quit", "quitting with every screen open", median(quit), 0, "< 100 ms", 0, 100);
}

QString table()
{
    QString t = QStringLiteral("| | Measurement | Corvana | Floor | Ratio | Target | Met "
                               "|\n|---|---|---:|---:|---:|---|---|\n");
    for (const Row &r : rows) {
        t += QStringLiteral("| %1 | %2 | %3 %4 | %5 | %6 | %7 | %8 |\n")
                 .arg(r.group, r.name, QString::number(r.value, 'f', 2), r.unit,
                     r.floor > 0 ? QString::number(r.floor, 'f', 2) + QLatin1Char(' ') + r.unit : QStringLiteral("-"),
                     r.floor > 0 ? QString::number(r.value / r.floor, 'f', 2) + QLatin1Char('x') : QStringLiteral("-"),
                     r.target,
                     r.target.startsWith(QLatin1String("floor")) ? QStringLiteral("-")
                         : r.met                                 ? QStringLiteral("yes")
                                                                 : QStringLiteral("no"));
    }
    return t;
}

int runAll(int argc, char **argv, const QString &file, int runs, const QString &json, const QStringList &only)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvana");
    QTemporaryDir dir;
    std::fprintf(stderr, "Measuring %s (%d runs each)\n", qPrintable(file), runs);
    // --only P2,P4 measures some groups (start, lists, books, save, screens, memory) only.
    const auto wanted = [&only](const char *group) { return only.isEmpty() || only.contains(QLatin1String(group)); };
    if (wanted("start"))
        measureStart(file, dir, runs);
    if (wanted("lists") || wanted("books")) {
        const QString copy = freshCopy(dir, file, QStringLiteral("read.db"));
        must(Database::open(copy));
        if (wanted("lists"))
            measureOrderLists(Database::connection(), copy, runs);
        if (wanted("books"))
            measureBookkeeping(Database::connection(), copy, runs);
        Database::close();
    }
    if (wanted("save"))
        measureSave(file, dir, runs);
    if (wanted("screens"))
        measureScreens(file, dir, runs);
    if (wanted("memory"))
        measureMemoryAndQuit(file, dir, runs);

    const QString t = table();
    std::printf("%s", qPrintable(t));
    QJsonArray list;
    for (const Row &r : rows)
        list.append(QJsonObject{{"group", r.group}, {"name", r.name}, {"value", r.value}, {"floor", r.floor},
            {"unit", r.unit}, {"target", r.target}, {"met", r.met}});
    QFile out(json);
    if (out.open(QIODevice::WriteOnly))
        out.write(QJsonDocument(QJsonObject{{"file", file}, {"runs", runs}, {"rows", list}}).toJson());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString mode = args.value(1);
    if (mode == QLatin1String("child-bare"))
        return childBare(argc, argv, args.value(2));
    if (mode == QLatin1String("child-start") && args.size() == 3)
        return childStart(argc, argv, args[2], false, {});
    if (mode == QLatin1String("child-screens") && args.size() == 4)
        return childStart(argc, argv, args[2], true, args[3]);
    if (mode == QLatin1String("generate") && args.size() == 3) {
        QCoreApplication app(argc, argv);
        if (QFileInfo::exists(args[2])) {
            std::fprintf(stderr, "%s exists already.\n", qPrintable(args[2]));
            return 1;
        }
        const Status s = Generator::generate(args[2]);
        if (!s) {
            std::fprintf(stderr, "%s\n", qPrintable(s.message()));
            return 1;
        }
        return 0;
    }
    if (mode == QLatin1String("run") && args.size() >= 3) {
        int runs = 5;
        QString json = QStringLiteral("bench-results.json");
        QStringList only;
        for (int i = 3; i + 1 < args.size(); i += 2) {
            if (args[i] == QLatin1String("--runs"))
                runs = std::max(1, args[i + 1].toInt());
            else if (args[i] == QLatin1String("--json"))
                json = args[i + 1];
            else if (args[i] == QLatin1String("--only"))
                only = args[i + 1].split(QLatin1Char(','));
        }
        return runAll(argc, argv, args[2], runs, json, only);
    }
    std::fprintf(stderr,
        "usage: corvana_bench generate FILE\n"
        "       corvana_bench run FILE [--runs N] [--json OUT] [--only GROUPS]\n");
    return 2;
}
