#include "FaultSweep.h"

#include "data/Database.h"
#include "data/Settings.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace FaultSweep {

using FaultVfs::Op;

namespace {

// The offscreen platform's notice for every dialog shown says nothing here.
QtMessageHandler g_handler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        g_handler(type, context, message);
}

} // namespace

// Where failures are explained in one place (DatabaseError), the engine's and
// the driver's texts are refused too; before that, the message must start with
// a sentence of the program's own, and the driver's text may follow it.
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

QString boxTexts(QWidget *form)
{
    QStringList texts;
    for (QLineEdit *line : form->findChildren<QLineEdit *>()) {
        if (!line->isReadOnly()) // figures the form computes are not typed
            texts << line->objectName() + "=" + line->text();
    }
    for (QPlainTextEdit *plain : form->findChildren<QPlainTextEdit *>())
        texts << plain->objectName() + "=" + plain->toPlainText();
    return texts.join(QLatin1Char('|'));
}

// A fault, or two of different kinds armed together (a failed write, then a
// failed truncation while the save is undone).
struct Sweep::Fault
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
struct Sweep::Outcome
{
    Stored::State before, after;
    FaultVfs::Counts counts;
    bool refused = false;
    qint64 injected = 0;
};

QString Sweep::prepare(const QString &dir, const QStringList &seed)
{
    if (!g_handler)
        g_handler = qInstallMessageHandler(quietHandler);
    if (!FaultVfs::install())
        return QStringLiteral("the fault VFS is not SQLite's default");
    m_template = QDir(dir).filePath("template.db");
    m_file = QDir(dir).filePath("CVN.db");
    QDir(dir).mkpath("copy");
    m_copy = QDir(dir).filePath("copy/CVN.db");
    if (Status s = Database::open(m_template); !s)
        return s.message();
    QString error;
    for (const QString &sql : seed) {
        QSqlQuery q(Database::connection());
        if (!q.exec(sql)) {
            error = sql.left(60) + ": " + q.lastError().text();
            break;
        }
    }
    Database::close();
    return error;
}

bool Sweep::fresh()
{
    for (const QString &f : {m_file, m_file + "-journal", m_file + ".lock", m_copy, m_copy + "-journal"})
        QFile::remove(f);
    return QFile::copy(m_template, m_file) && Database::open(m_file) && LoadSettings(Database::connection());
}

// The file as the next start would find it: a copy of the file and its
// journal as they are now, opened afresh (a journal left behind is rolled back).
Stored::State Sweep::nextStart(QStringList &problems)
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
void Sweep::checkFile(const QString &when, bool refused, const Stored::State &before, const Stored::State *expected,
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
Sweep::Outcome Sweep::run(const Case &c, const Fault *fault, const Stored::State *expected, QStringList &failures)
{
    Outcome out;
    if (!fresh()) {
        failures << QStringLiteral("the starting file could not be opened");
        return out;
    }
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

QStringList Sweep::sweep(const QString &name, const Case &c)
{
    QStringList failures;
    const Outcome clean = run(c, nullptr, nullptr, failures);
    if (!failures.isEmpty())
        return failures;
    if (clean.refused)
        return {QStringLiteral("the save is refused without a fault")};
    if (clean.after == clean.before)
        return {QStringLiteral("the save changes nothing")};

    qint64 runs = 0, refused = 0, injected = 0;
    const auto tryFault = [&](const Fault &fault) {
        const Outcome o = run(c, &fault, &clean.after, failures);
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
                    const Outcome o = tryFault({{Op(op), n, mode, error}, std::nullopt});
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
                    tryFault({{Op::Write, write, FaultVfs::Mode::Once, FaultVfs::Error::IoError},
                              Fault::Step{Op::Truncate, n, mode, error}});
            }
        }
    }
    this->runs += runs;
    this->refused += refused;
    this->injected += injected;
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
    return failures;
}

} // namespace FaultSweep
