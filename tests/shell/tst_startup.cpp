#include "ChildProcess.h"
#include "TestSupport.h"

#include "data/DatabaseError.h"
#include "data/Transaction.h"
#include "shell/Startup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "text" writes a text file at `path`; anything else is SQL run on a new Corvana file there.
bool makeFile(const QString &path, const QString &setup)
{
    if (setup == "text") {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("hello") == 5;
    }
    const bool ok = Database::open(path).ok() && execBound(Database::connection(), setup).ok();
    Database::close();
    return ok;
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath("shop.db");
        Settings::current() = Settings{0.5, 0.5, 0.5, 9};
    }

    void cleanup()
    {
        Database::close(); // before its folder goes
        m_dir.reset();
        Settings::current() = Settings{};
    }

    void parseOptions()
    {
        const Startup::Options both = Startup::parseOptions({"corvana", "--print-to-pdf", "out", "--database", "a b.db"});
        QVERIFY(both.error.isEmpty());
        QCOMPARE(both.database, QString("a b.db"));
        QCOMPARE(both.pdfFolder, QString("out"));
        // An unknown option, and --database without a file.
        for (const QStringList &wrong : {QStringList{"--bogus"}, QStringList{"--database"}})
            QVERIFY(!Startup::parseOptions(QStringList{"corvana"} + wrong).error.isEmpty());
    }

    void infoText_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // texts the output contains; none: empty output
        QTest::newRow("version") << QStringList{"--version"} << QStringList{"Corvana 2.3\n"};
        QTest::newRow("version with a file") << QStringList{"--database", "x.db", "-v"} << QStringList{"Corvana 2.3\n"};
        QTest::newRow("help lists the options") << QStringList{"--help"}
            << QStringList{"--database <FILE>", "--print-to-pdf <DIR>", "--version", "Corvana: records"};
        QTest::newRow("neither") << QStringList{"--database", "x.db"} << QStringList{};
        QTest::newRow("unknown option left to parseOptions") << QStringList{"--bogus"} << QStringList{};
    }

    // --version prints exactly the name and version; --help every option.
    void infoText()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QCoreApplication::setApplicationName("Corvana");
        QCoreApplication::setApplicationVersion("2.3");
        const QString out = Startup::infoText(QStringList{"corvana"} + arguments);
        if (expected.isEmpty())
            QVERIFY2(out.isEmpty(), qPrintable(out));
        else if (expected.size() == 1 && expected.first().endsWith('\n'))
            QCOMPARE(out, expected.first());
        for (const QString &part : expected)
            QVERIFY2(out.contains(part), qPrintable(out));
    }

    void openData_data()
    {
        QTest::addColumn<QString>("setup"); // for makeFile(); "": no file yet
        QTest::addColumn<QList<double>>("settings"); // tax, shipping, out of town, reminder; none: refused
        QTest::newRow("new file") << "" << QList<double>{0, 0, 0, 0};
        QTest::newRow("stored defaults, largest reminder")
            << "UPDATE admin SET tax = 7.25, shipping = 8.5, shippingoot = 12, invReminderqty = 32767"
            << QList<double>{0.0725, 0.085, 0.12, 32767};
        QTest::newRow("text file") << "text" << QList<double>();
        QTest::newRow("no admin row") << "DELETE FROM admin" << QList<double>();
        QTest::newRow("no admin table") << "DROP TABLE admin" << QList<double>();
        QTest::newRow("reminder out of range") << "UPDATE admin SET tax = 5, invReminderqty = 40000" << QList<double>();
    }

    // The business defaults are loaded before any screen opens. A refusal names the
    // file and gives the data layer's own words for the cause; the file and the
    // settings are left as they were.
    void openData()
    {
        QFETCH(QString, setup);
        QFETCH(QList<double>, settings);
        if (!setup.isEmpty())
            QVERIFY(makeFile(m_path, setup));
        const bool refused = settings.isEmpty();
        Status cause;
        if (refused) {
            cause = Database::open(m_path);
            if (cause)
                cause = LoadSettings(Database::connection());
            Database::close();
            QVERIFY(!cause.ok());
            settings = {0.5, 0.5, 0.5, 9};
        }
        const QByteArray before = contents(m_path);

        const Status s = Startup::openData(m_path);
        QCOMPARE(s.ok(), !refused);
        QCOMPARE(Database::connection().isOpen(), !refused);
        if (refused) {
            QVERIFY2(s.message().contains(QDir::toNativeSeparators(m_path)), qPrintable(s.message()));
            QVERIFY2(s.message().contains(cause.message()), qPrintable(s.message()));
            QCOMPARE(contents(m_path), before);
        }
        const Settings &now = Settings::current();
        QCOMPARE((QList<double>{now.TaxRate, now.ShippingRate, now.ShippingOOTRate, double(now.ReminderQty)}),
                 settings);
    }

    // A file another program keeps locked beyond the wait is reported as in use,
    // in plain words, not as damaged.
    void fileInUseAtStart()
    {
        QVERIFY(makeFile(m_path, "SELECT 1"));
        Database::setBusyTimeout(300);
        const auto otherProgram = holdWriteLock(m_path);
        QVERIFY(otherProgram->ready());
        const Status s = Startup::openData(m_path);
        Database::setBusyTimeout(-1);
        QCOMPARE(s.message(), QString("Corvana cannot open the database file\n%1\n\n%2")
                                  .arg(QDir::toNativeSeparators(m_path),
                                       DatabaseError::explain(DatabaseError::Cause::Busy)));
    }

    void programRuns_data()
    {
        QTest::addColumn<bool>("fresh");
        QTest::newRow("new file") << true;
        QTest::newRow("text file") << false;
    }

    // The real program: a new file gets created with the schema; a text file is
    // left as it was and the program does not go on (headless, it may wait on its
    // error box: its exit code is checked only when it ends).
    void programRuns()
    {
        QFETCH(bool, fresh);
        if (!fresh)
            QVERIFY(makeFile(m_path, "text"));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", m_dir->path());
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(m_dir->path());
        program.start(CORVANA_BIN, {"--database", m_path, "--print-to-pdf", m_dir->path()});
        QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
        const auto stop = qScopeGuard([&program] {
            program.kill();
            program.waitForFinished(5000);
        });

        if (fresh) {
            // PRAGMA application_id is stored big-endian at offset 68 of the file.
            QTRY_COMPARE_WITH_TIMEOUT(contents(m_path).mid(68, 4), QByteArray("CRVN"), 20000);
            QVERIFY(QFile::exists(m_path + ".lock"));
            QCOMPARE(program.state(), QProcess::Running);
            return;
        }
        const bool exited = program.waitForFinished(3000);
        QCOMPARE(contents(m_path), QByteArray("hello"));
        QVERIFY(!QFile::exists(m_path + ".lock"));
        if (exited)
            QVERIFY(program.exitStatus() == QProcess::NormalExit && program.exitCode() != 0);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
