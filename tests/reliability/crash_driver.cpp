// The crash driver: runs the crash worker on one Corvana file and kills it, over
// and over, then checks the file as the program would find it at its next start.
//
// First it kills the worker just before each of its writes to the disk in turn,
// for every kind of save (k = 1, 2, 3, ... until the save completes; the first
// writes of a start after a kill roll back the journal it left, so kills land
// there too), and once more when the save has returned but is not yet reported;
// then at random moments while it saves, until the number of kills asked for is
// reached. After each kill
// it copies the file (with its journal, as the kill left them) and opens the copy
// with Database::open, the program's own start-up, and checks:
//  - integrity_check is ok, foreign_key_check finds nothing, no order line is
//    without its order and no order without its lines;
//  - every product's stock is its starting stock less the quantities of the
//    closed orders stored;
//  - the stored records are exactly those of a model built from the saves the
//    worker announced: every save reported done is there whole (order headers,
//    totals and lines as the worker gave them), and the save that was under way
//    is there whole or not at all.
// The file itself is left as the kill left it, so the next worker's start rolls
// back the journal, and a kill can land there too.
//
//   crash_driver --kills 1000 [--seed N] [--dir DIR] [--no-sweep] [--max-delay MS]
//                [--kill-in-start-up]

#include "CrashOps.h"
#include "Stored.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

using Stored::State;

void print(const QString &text)
{
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

// The model: what the file must hold after the saves announced so far.
struct Model
{
    State state;
    QMap<QString, qint64> startingStock; // product number -> stock when it was added

    // Applies one announced save; false (with the reason) when the save could not
    // have been stored against this state.
    bool apply(const QJsonObject &op, QString &why)
    {
        const QString name = op.value("op").toString();
        const QString prefix = name.section(QLatin1Char('.'), 0, 0);
        if (prefix == QLatin1String("order"))
            return applyOrder(name, op, why);
        if (prefix == QLatin1String("expense"))
            return applyExpense(name, op, why);
        if (prefix == QLatin1String("admin")) {
            const QString key = state["admin"].firstKey();
            for (auto [field, column] : {std::pair{"tax", "tax"}, {"shipping", "shipping"},
                                         {"shippingoot", "shippingoot"}, {"qty", "invReminderqty"}})
                set("admin", key, column, op.value(field).toVariant());
            return true;
        }
        if (prefix == QLatin1String("recipe"))
            return applyRecipe(name, op, why);
        return applyRecord(name, prefix, op, why);
    }

private:
    void set(const QString &table, const QString &key, const QString &column, const QVariant &value)
    {
        state.setValue(table, key, column, Stored::canonical(table, column, value));
    }

    bool applyOrder(const QString &name, const QJsonObject &op, QString &why)
    {
        const int num = op.value("num").toInt();
        const QString key = QString::number(num);
        Stored::Rows &orders = state["orders"];
        const bool adding = name.startsWith(QLatin1String("order.add"));
        if (adding && orders.contains(key)) {
            why = QStringLiteral("order %1 is stored already").arg(num);
            return false;
        }
        if (!adding && state.value("orders", key, "order_status") != QLatin1String("'O'")) {
            why = QStringLiteral("order %1 is not open").arg(num);
            return false;
        }
        if (name == QLatin1String("order.delete")) {
            set("orders", key, "order_status", QStringLiteral("D"));
            return true;
        }
        const QString cust = adding ? QString::number(op.value("cust").toInt()) : state.value("orders", key, "cust_num");
        const bool closing = op.value("status").toString() == QLatin1String("C");
        const QString closeDate = state.value("orders", key, "close_date");
        set("orders", key, "cust_num", cust);
        set("orders", key, "order_date", op.value("date").toString());
        set("orders", key, "order_status", op.value("status").toString());
        set("orders", key, "order_type", op.value("type").toString());
        set("orders", key, "subtotal", op.value("subtotal").toVariant());
        set("orders", key, "add_costs", op.value("add_costs").toVariant());
        set("orders", key, "discounts", op.value("discounts").toVariant());
        set("orders", key, "total_price", op.value("total").toVariant());
        set("orders", key, "out_of_town_order", op.value("oot").toVariant());
        set("orders", key, "comments", op.value("comments").toString());
        if (closing)
            set("orders", key, "close_date", op.value("today").toString());
        else if (adding)
            set("orders", key, "close_date", QVariant());
        else
            state.setValue("orders", key, "close_date", closeDate);

        QList<Stored::Row> lines;
        for (const QJsonValue &v : op.value("lines").toArray()) {
            const QJsonArray line = v.toArray();
            const QString product = QString::number(line.at(0).toInt());
            const qint64 qty = line.at(1).toInteger();
            lines << Stored::Row{cust, product, QString::number(qty)};
            if (closing) {
                const QString stock = state.value("inventory", product, "qty");
                if (stock.isEmpty()) {
                    why = QStringLiteral("product %1 is not stored").arg(product);
                    return false;
                }
                set("inventory", product, "qty", stock.toLongLong() - qty);
            }
        }
        state.setLines(num, lines);
        return true;
    }

    bool applyExpense(const QString &name, const QJsonObject &op, QString &why)
    {
        const QString key = QString::number(op.value("num").toInt());
        Stored::Rows &expenses = state["expenses"];
        if ((name == QLatin1String("expense.add")) == expenses.contains(key)) {
            why = QStringLiteral("expense %1 %2").arg(key, expenses.contains(key) ? "is stored already" : "is not stored");
            return false;
        }
        if (name == QLatin1String("expense.delete")) {
            expenses.remove(key);
            return true;
        }
        set("expenses", key, "expense_desc", op.value("desc").toString());
        set("expenses", key, "expense_amt", op.value("amt").toVariant());
        set("expenses", key, "expense_date", op.value("date").toString());
        return true;
    }

    bool applyRecipe(const QString &name, const QJsonObject &op, QString &why)
    {
        const QString key = op.value("name").toString();
        Stored::Rows &recipes = state["recipes"];
        if ((name == QLatin1String("recipe.add")) == recipes.contains(key)) {
            why = QStringLiteral("recipe %1 %2").arg(key, recipes.contains(key) ? "is stored already" : "is not stored");
            return false;
        }
        if (name == QLatin1String("recipe.delete")) {
            recipes.remove(key);
            return true;
        }
        const QJsonArray parts = op.value("directions").toArray();
        Stored::Row row;
        for (const QJsonValue &part : parts)
            row << Stored::canonical(QStringLiteral("recipes"), QStringLiteral("Recipe_Directions1"),
                                     part.toString());
        recipes.insert(key, row);
        return true;
    }

    bool applyRecord(const QString &name, const QString &prefix, const QJsonObject &op, QString &why)
    {
        static const QMap<QString, QString> tables = {
            {"customer", "customer"}, {"product", "inventory"}, {"supplier", "suppliers"}};
        const QString table = tables.value(prefix);
        if (table.isEmpty()) {
            why = QStringLiteral("unknown save %1").arg(name);
            return false;
        }
        const QString key = QString::number(op.value("num").toInt());
        Stored::Rows &rows = state[table];
        const bool adding = name.endsWith(QLatin1String(".add"));
        if (adding == rows.contains(key)) {
            why = QStringLiteral("%1 %2 %3").arg(table, key, rows.contains(key) ? "is stored already" : "is not stored");
            return false;
        }
        if (name.endsWith(QLatin1String(".delete"))) {
            rows.remove(key);
            return true;
        }
        const Stored::Table &shape = Stored::table(table);
        if (adding) {
            // A new row starts from the columns' defaults: '' for text, 0 for numbers.
            for (const QString &column : shape.columns)
                set(table, key, column, Schema::columnKind(table, column) == Schema::Kind::Text ? QVariant(QString(""))
                                                                                                 : QVariant(0));
        }
        for (auto it = op.begin(); it != op.end(); ++it) {
            // A changed product keeps the stock the model holds: what the worker
            // wrote back is what it read, and the stock check must not take it on trust.
            if (!adding && it.key() == QLatin1String("qty"))
                continue;
            for (const QString &column : shape.columns) {
                if (column.compare(it.key(), Qt::CaseInsensitive) == 0)
                    set(table, key, column, it.value().toVariant());
            }
        }
        if (adding && table == QLatin1String("inventory"))
            startingStock.insert(key, op.value("qty").toInteger());
        return true;
    }
};

// Each product's stock against its starting stock less the closed orders' lines.
QStringList stockProblems(const State &s, const QMap<QString, qint64> &starting)
{
    QMap<QString, qint64> expected = starting;
    const Stored::Rows orders = s["orders"];
    const Stored::Rows lines = s["order_detail"];
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        const QString order = QString::number(it.key().section(QLatin1Char('/'), 0, 0).toInt());
        if (orders.value(order).value(2) == QLatin1String("'C'"))
            expected[it.value().at(1)] -= it.value().at(2).toLongLong();
    }
    QStringList problems;
    const Stored::Rows products = s["inventory"];
    for (auto it = products.cbegin(); it != products.cend(); ++it) {
        if (!expected.contains(it.key()))
            problems << QStringLiteral("product %1 has no starting stock").arg(it.key());
        else if (it.value().at(3).toLongLong() != expected.value(it.key()))
            problems << QStringLiteral("product %1: stock %2, expected %3 (starting stock less closed orders)")
                            .arg(it.key(), it.value().at(3))
                            .arg(expected.value(it.key()));
    }
    return problems;
}

struct Run
{
    bool killed = false;
    QList<QJsonObject> done;
    std::optional<QJsonObject> pending;
    QStringList errors;   // refusals and failures to start
};

// The worker's announcements: complete lines only (the kill may cut the last).
Run parse(const QByteArray &output, bool killed)
{
    Run run;
    run.killed = killed;
    QList<QByteArray> lines = output.split('\n');
    lines.removeLast(); // after the last newline: empty, or a line the kill cut
    for (const QByteArray &line : lines) {
        if (line.startsWith("B ")) {
            if (run.pending)
                run.errors << QStringLiteral("a save began before the last one ended");
            run.pending = QJsonDocument::fromJson(line.mid(2)).object();
        } else if (line == "D") {
            if (!run.pending)
                run.errors << QStringLiteral("a save ended that had not begun");
            else
                run.done << *run.pending;
            run.pending.reset();
        } else if (line.startsWith("F ")) {
            run.errors << QStringLiteral("refused: %1 (%2)")
                              .arg(QString::fromUtf8(line.mid(2)),
                                   run.pending ? run.pending->value("op").toString() : QString());
            run.pending.reset();
        } else if (line.startsWith("E ")) {
            run.errors << QStringLiteral("the worker could not start: %1").arg(QString::fromUtf8(line.mid(2)));
        }
    }
    return run;
}

class Driver
{
public:
    Driver(const QString &dir, const QString &worker, quint64 seed) : m_dir(dir), m_worker(worker), m_rng(seed)
    {
        m_file = QDir(dir).filePath("CVN.db");
        m_copy = QDir(dir).filePath("check/CVN.db");
        QDir(dir).mkpath("check");
    }

    bool setup()
    {
        QProcess p;
        p.start(m_worker, {"--db", m_file, "--setup", "--seed", QString::number(m_rng.generate())});
        p.waitForFinished(120000);
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            print("setup failed: " + QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
            return false;
        }
        if (Status s = Database::open(m_file); !s) {
            print("setup: the file does not open: " + s.message());
            return false;
        }
        QString error;
        m_model.state = Stored::read(Database::connection(), &error);
        Database::close();
        if (!error.isEmpty()) {
            print("setup: " + error);
            return false;
        }
        const Stored::Rows products = m_model.state["inventory"];
        for (auto it = products.cbegin(); it != products.cend(); ++it)
            m_model.startingStock.insert(it.key(), it.value().at(3).toLongLong());
        return true;
    }

    // Kills the worker before each of its writes in turn, for every kind of save.
    void sweep()
    {
        for (const QString &op : CrashOps::names()) {
            for (qint64 k = 1;; ++k) {
                const Run run = start({"--first", op, "--ops", "1", "--kill-at", QString::number(k)}, -1);
                check(run, QStringLiteral("%1, killed before write %2").arg(op).arg(k));
                if (!run.killed || !run.errors.isEmpty())
                    break; // the save completed before its k-th write
                ++sweepKills;
            }
            // Stored, but killed before it said so.
            const Run run = start({"--first", op, "--ops", "1", "--kill-before-report"}, -1);
            check(run, QStringLiteral("%1, killed before its report").arg(op));
            sweepKills += run.killed;
        }
    }

    // Kills the worker at random moments after it has opened the file, or after
    // its start with `inStartUp` (the lock file and the journal's roll-back).
    void random(qint64 limit, int maxDelay, bool inStartUp)
    {
        while (kills < limit) {
            const int delay = int(m_rng.bounded(maxDelay + 1));
            const Run run = start({}, delay, inStartUp);
            check(run, QStringLiteral("killed %1 ms after %2").arg(delay).arg(inStartUp ? "its start" : "opening the file"));
        }
    }

    qint64 kills = 0;
    qint64 checks = 0;
    qint64 sweepKills = 0;
    qint64 broken = 0;
    qint64 savesChecked = 0;
    qint64 underwayStored = 0;
    qint64 underwayNotStored = 0;

private:
    QString m_dir, m_worker, m_file, m_copy;
    QRandomGenerator m_rng;
    Model m_model;
    QSet<QString> m_known; // what was wrong at the last check

    // Runs the worker; with `killAfter` >= 0 the driver kills it that many
    // milliseconds after it opened the file (its "R"), or after its start with
    // `fromStart`; else it runs until it ends or kills itself.
    Run start(QStringList args, int killAfter, bool fromStart = false)
    {
        args << "--db" << m_file << "--seed" << QString::number(m_rng.generate());
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(m_worker, args);
        QByteArray out;
        if (!p.waitForStarted(30000)) {
            Run run;
            run.errors << QStringLiteral("the worker did not start: %1").arg(p.errorString());
            return run;
        }
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer sinceOpen;
        if (fromStart)
            sinceOpen.start();
        bool killedHere = false;
        while (p.state() != QProcess::NotRunning) {
            if (!sinceOpen.isValid() && (out.startsWith("R\n") || out.contains("\nR\n")))
                sinceOpen.start();
            const qint64 left = killAfter < 0 || !sinceOpen.isValid() ? 50 : killAfter - sinceOpen.elapsed();
            if (killAfter >= 0 && sinceOpen.isValid() && left <= 0 && !killedHere) {
                ::kill(pid_t(p.processId()), SIGKILL);
                killedHere = true;
            }
            p.waitForReadyRead(int(std::clamp<qint64>(left, 1, 200)));
            out += p.readAllStandardOutput();
            if (clock.elapsed() > 120000) {
                p.kill();
                Run run;
                run.errors << QStringLiteral("the worker hung");
                return run;
            }
        }
        p.waitForFinished(-1);
        out += p.readAllStandardOutput();
        const bool killed = p.exitStatus() == QProcess::CrashExit;
        if (killed)
            ++kills;
        Run run = parse(out, killed);
        if (!killed && p.exitCode() != 0 && run.errors.isEmpty())
            run.errors << QStringLiteral("the worker ended with code %1: %2")
                              .arg(p.exitCode())
                              .arg(QString::fromUtf8(p.readAllStandardError()).left(500));
        return run;
    }

    void fail(const QString &what, const QStringList &details)
    {
        ++broken;
        if (broken <= 5) {
            print(QStringLiteral("BROKEN after kill %1 (%2):").arg(kills).arg(what));
            for (const QString &d : details)
                print("  " + QString(d).replace(QLatin1Char('\n'), QLatin1String("\n  ")));
        }
    }

    void check(const Run &run, const QString &what)
    {
        // The file as the kill left it, journal included, opened the way the
        // program opens it at start-up.
        for (const QString &suffix : {QString(), QStringLiteral("-journal")}) {
            QFile::remove(m_copy + suffix);
            if (QFile::exists(m_file + suffix))
                QFile::copy(m_file + suffix, m_copy + suffix);
        }
        QStringList problems = run.errors;
        State found;
        if (Status s = Database::open(m_copy); !s) {
            problems << "the program does not open the file: " + s.message();
        } else {
            problems << Stored::problems(Database::connection());
            QString error;
            found = Stored::read(Database::connection(), &error);
            if (!error.isEmpty())
                problems << "reading the file failed: " + error;
        }
        Database::close();

        Model expected = m_model;
        for (const QJsonObject &op : run.done) {
            QString why;
            if (!expected.apply(op, why))
                problems << QStringLiteral("the worker stored %1 although %2").arg(op.value("op").toString(), why);
        }
        savesChecked += run.done.size();
        Model withUnderway = expected;
        bool underwayApplies = false;
        if (run.pending) {
            QString why;
            underwayApplies = withUnderway.apply(*run.pending, why);
        }
        if (found == expected.state) {
            if (run.pending)
                ++underwayNotStored;
        } else if (run.pending && underwayApplies && found == withUnderway.state) {
            ++underwayStored;
            expected = withUnderway;
        } else {
            problems << "the stored records are neither those of the saves reported done nor those plus the save "
                        "under way:";
            problems << "against the saves reported done:\n" + Stored::diff(expected.state, found);
            if (run.pending)
                problems << QStringLiteral("against those plus the save under way (%1):\n")
                                    .arg(run.pending->value("op").toString())
                                + Stored::diff(withUnderway.state, found);
        }
        problems << stockProblems(found, expected.startingStock);
        ++checks;
        if (!problems.isEmpty()) {
            // Go on from what the file holds, and count a state as broken only
            // for what was not wrong with it before: one fault is counted once.
            expected.state = found;
            QStringList fresh;
            for (const QString &p : problems) {
                if (!m_known.contains(p))
                    fresh << p;
            }
            m_known = QSet<QString>(problems.begin(), problems.end());
            if (!fresh.isEmpty())
                fail(what, fresh);
        } else {
            m_known.clear();
        }
        m_model = expected;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({
        {"kills", "Kills in all (the sweep first, then random moments).", "n", "100"},
        {"seed", "Seed of the random choices.", "n", "1"},
        {"dir", "Work folder (a temporary one by default).", "dir"},
        {"worker", "The crash worker program.", "file"},
        {"no-sweep", "Only random kills."},
        {"max-delay", "Longest time before a random kill, in milliseconds.", "ms", "250"},
        {"kill-in-start-up", "Time random kills from the worker's start, not from its opening of the file."},
    });
    parser.process(app);

    QTemporaryDir temp;
    const QString dir = parser.isSet("dir") ? parser.value("dir") : temp.path();
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath("CVN.db"));
    QFile::remove(QDir(dir).filePath("CVN.db-journal"));
    const QString worker = parser.isSet("worker")
                               ? parser.value("worker")
                               : QDir(QCoreApplication::applicationDirPath()).filePath("crash_worker");
    const qint64 kills = parser.value("kills").toLongLong();

    Driver driver(dir, worker, parser.value("seed").toULongLong());
    if (!driver.setup())
        return 2;
    QElapsedTimer clock;
    clock.start();
    if (!parser.isSet("no-sweep"))
        driver.sweep();
    driver.random(kills, parser.value("max-delay").toInt(), parser.isSet("kill-in-start-up"));
    print(QStringLiteral("%1 kills (%2 before each write of every kind of save and after it, %3 at random moments), "
                         "%4 files checked, %5 broken states; %6 saves reported done checked; the save under way "
                         "was found whole %7 times and not at all %8 times; %9 s")
              .arg(driver.kills)
              .arg(driver.sweepKills)
              .arg(driver.kills - driver.sweepKills)
              .arg(driver.checks)
              .arg(driver.broken)
              .arg(driver.savesChecked)
              .arg(driver.underwayStored)
              .arg(driver.underwayNotStored)
              .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return driver.broken == 0 ? 0 : 1;
}
