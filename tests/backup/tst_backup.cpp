#include "ChildProcess.h"
#include "TestSupport.h"

#include "bookkeeping/Ledger.h"
#include "data/Backup.h"
#include "data/CsvExport.h"
#include "data/CsvImport.h"

#include "GuiSupport.h"
#include "shell/fmMain.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QFileDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

class tst_Backup : public QObject
{
    Q_OBJECT

private:
    static QDateTime at(const QString &text) { return QDateTime::fromString(text, "yyyy-MM-dd HH:mm"); }

    // Writes an empty file with the name of a backup taken at `when`.
    static void addCustomers(TestDatabase &t, int count)
    {
        for (int i = 1; i <= count; ++i)
            QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (?, ?)", {i, QString("Name %1").arg(i)}));
    }

    // Answers the export's folder chooser with `folder`.
    static void chooseFolder(QDialog *d, const QString &folder)
    {
        auto *chooser = qobject_cast<QFileDialog *>(d);
        QVERIFY(chooser);
        chooser->setDirectory(folder);
        chooser->selectFile(folder);
        QMetaObject::invokeMethod(chooser, "accept");
    }

    static void fakeBackup(const QString &databasePath, const QDateTime &when)
    {
        QFile f(QDir(Backup::folderFor(databasePath)).filePath(Backup::fileName(databasePath, when)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void names()
    {
        const QString db = "/somewhere/CVN.db";
        const QDateTime when = at("2026-03-04 05:06").addSecs(7);
        QCOMPARE(Backup::fileName(db, when), QString("CVN 2026-03-04 050607.db"));
        QCOMPARE(Backup::timeOf(db, Backup::fileName(db, when)), when);
        QVERIFY(!Backup::timeOf(db, "CVN 2026-03-04 0506.db").isValid());
        QVERIFY(!Backup::timeOf(db, "Other 2026-03-04 050607.db").isValid());
        QVERIFY(!Backup::timeOf(db, "CVN 2026-03-04 050607.db.partial").isValid());
        // Names sort as the times do.
        QVERIFY(Backup::fileName(db, at("2026-10-01 00:00")) > Backup::fileName(db, at("2026-09-30 23:59")));
    }

    void rotation_data()
    {
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QStringList>("removed");

        QStringList daily;
        for (int d = 1; d <= 12; ++d)
            daily << QString("2026-05-%1 09:00").arg(d, 2, 10, QChar('0'));
        QTest::newRow("ten or fewer: all kept") << daily.mid(0, 10) << "2026-05-12 10:00" << QStringList();
        QTest::newRow("twelve in one month: two oldest go")
            << daily << "2026-05-12 10:00" << QStringList{"2026-05-01 09:00", "2026-05-02 09:00"};
        // Eleven this month, one at the end of last month: the old one is the
        // newest of its month and stays.
        QStringList withApril = daily.mid(0, 11);
        withApril << "2026-04-30 18:00";
        QTest::newRow("newest of an earlier month stays")
            << withApril << "2026-05-12 10:00" << QStringList{"2026-05-01 09:00"};
        QStringList twoInApril = daily;
        twoInApril << "2026-04-30 18:00" << "2026-04-02 08:00";
        QTest::newRow("older ones of an earlier month go")
            << twoInApril << "2026-05-12 10:00"
            << QStringList{"2026-05-01 09:00", "2026-05-02 09:00", "2026-04-02 08:00"};
        QStringList yearly = daily;
        yearly << "2025-06-30 12:00" << "2025-05-31 12:00" << "2024-12-31 12:00";
        QTest::newRow("a year back: the 12th month before goes")
            << yearly << "2026-05-12 10:00"
            << QStringList{"2026-05-01 09:00", "2026-05-02 09:00", "2025-05-31 12:00", "2024-12-31 12:00"};
        QStringList future = daily;
        future << "2027-01-01 00:00";
        QTest::newRow("a time after now counts among the newest")
            << future << "2026-05-12 10:00"
            << QStringList{"2026-05-01 09:00", "2026-05-02 09:00", "2026-05-03 09:00"};
    }

    void rotation()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, now);
        QFETCH(QStringList, removed);
        QList<QDateTime> times;
        for (const QString &t : taken)
            times << at(t);
        QStringList got;
        for (const QDateTime &t : Backup::toRemove(times, at(now)))
            got << t.toString("yyyy-MM-dd HH:mm");
        got.sort();
        removed.sort();
        QCOMPARE(got, removed);
    }

    // Taking a backup thins the real folder by the same rule.
    void takeRotatesFolder()
    {
        TestDatabase t;
        const QDateTime now = at("2026-05-20 12:00");
        for (int d = 1; d <= 12; ++d)
            fakeBackup(t.path(), at(QString("2026-05-%1 09:00").arg(d, 2, 10, QChar('0'))));
        fakeBackup(t.path(), at("2026-01-15 09:00"));
        QString made;
        QVERIFY2(Backup::take(t.db(), t.path(), &made, now), "take");
        QStringList left;
        for (const Backup::Entry &e : Backup::list(t.path()))
            left << e.taken.toString("MM-dd");
        QCOMPARE(left, (QStringList{"05-20", "05-12", "05-11", "05-10", "05-09", "05-08", "05-07", "05-06",
                                   "05-05", "05-04", "01-15"}));
        QCOMPARE(QFileInfo(made).fileName(), QString("CVN 2026-05-20 120000.db"));
        QVERIFY(QDir(Backup::folderFor(t.path())).entryList({"*.partial"}).isEmpty());
    }

    void isDue()
    {
        TestDatabase t;
        const QDateTime now = at("2026-05-20 12:00");
        QVERIFY(Backup::isDue(t.path(), now));
        fakeBackup(t.path(), now.addSecs(-23 * 3600));
        QVERIFY(!Backup::isDue(t.path(), now));
        QVERIFY(Backup::isDue(t.path(), now.addSecs(3600)));
    }

    // Another program is in the middle of a save: the backup holds the last
    // committed data, whole and undamaged, and nothing of the unfinished save.
    void backupDuringSave()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'Kept')"));
        const QString path = t.path();
        HeldByChild saving([path] {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "saver");
            db.setDatabaseName(path);
            if (!db.open() || !QSqlQuery(db).exec("BEGIN IMMEDIATE"))
                return false;
            QSqlQuery q(db);
            for (int i = 2; i < 500; ++i) {
                if (!q.exec(QString("INSERT INTO customer (cust_num, last_name) VALUES (%1, 'Unsaved')").arg(i)))
                    return false;
            }
            return true;
        });
        QVERIFY(saving.ready());
        QString made;
        const Status s = Backup::take(t.db(), t.path(), &made);
        QVERIFY2(s, qPrintable(s.message()));
        Backup::Contents contents;
        QVERIFY(Backup::inspect(made, &contents));
        QCOMPARE(contents.customers, 1);
        saving.release();
    }

    void inspectRefusesDamage_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("empty") << QByteArray("empty");
        QTest::newRow("not a database") << QByteArray("text");
        QTest::newRow("cut short") << QByteArray("truncate");
        QTest::newRow("pages overwritten") << QByteArray("scribble");
    }

    void inspectRefusesDamage()
    {
        QFETCH(QByteArray, damage);
        TestDatabase t;
        for (int i = 0; i < 300; ++i)
            QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name, comments) VALUES (?, 'x', ?)",
                           {i, QString(200, QChar('c'))}));
        QString made;
        QVERIFY(Backup::take(t.db(), t.path(), &made));
        QVERIFY(Backup::inspect(made));
        QFile f(made);
        QVERIFY(f.open(QIODevice::ReadWrite));
        if (damage == "empty")
            f.resize(0);
        else if (damage == "text")
            f.write("name,phone\n");
        else if (damage == "truncate")
            f.resize(f.size() / 2);
        else {
            f.seek(f.size() / 2);
            f.write(QByteArray(8192, '\x5a'));
        }
        f.close();
        QVERIFY(!Backup::inspect(made));
    }

    void restoreReplacesData()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'Then')"));
        QString old;
        QVERIFY(Backup::take(t.db(), t.path(), &old, QDateTime::currentDateTime().addSecs(-60)));
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (2, 'Now')"));
        QString safety;
        const Status s = Database::restoreFrom(old, &safety);
        QVERIFY2(s, qPrintable(s.message()));
        QVERIFY(Database::connection().isOpen());
        QCOMPARE(t.count("customer"), 1);
        Backup::Contents before;
        QVERIFY(Backup::inspect(safety, &before));
        QCOMPARE(before.customers, 2);
        QVERIFY(!QFile::exists(t.path() + ".restoring"));
    }

    void restoreRefusesDamage_data()
    {
        QTest::addColumn<QByteArray>("damage");
        QTest::newRow("cut short") << QByteArray("truncate");
        QTest::newRow("pages overwritten") << QByteArray("scribble");
        QTest::newRow("another program's database") << QByteArray("foreign");
        QTest::newRow("missing") << QByteArray("missing");
    }

    // A damaged backup is refused before anything changes: the file keeps its
    // bytes and no backup is added.
    void restoreRefusesDamage()
    {
        QFETCH(QByteArray, damage);
        TestDatabase t;
        for (int i = 0; i < 200; ++i)
            QVERIFY(t.exec("INSERT INTO customer (cust_num, comments) VALUES (?, ?)", {i, QString(300, 'x')}));
        QString made;
        QVERIFY(Backup::take(t.db(), t.path(), &made, QDateTime::currentDateTime().addSecs(-60)));
        if (damage == "foreign") {
            QFile::remove(made);
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "foreign");
            other.setDatabaseName(made);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("CREATE TABLE customer (x)"));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase("foreign");
        } else if (damage == "missing") {
            QFile::remove(made);
        } else {
            QFile f(made);
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (damage == "truncate") {
                f.resize(f.size() / 3);
            } else {
                f.seek(f.size() / 2);
                f.write(QByteArray(4096, '\x33'));
            }
        }
        QFile current(t.path());
        QVERIFY(current.open(QIODevice::ReadOnly));
        const QByteArray bytes = current.readAll();
        current.close();
        const int backups = Backup::list(t.path()).size();

        const Status s = Database::restoreFrom(made);
        QVERIFY(!s);
        QVERIFY2(s.message().contains("nothing was changed"), qPrintable(s.message()));
        QVERIFY(current.open(QIODevice::ReadOnly));
        QCOMPARE(current.readAll(), bytes);
        QCOMPARE(Backup::list(t.path()).size(), backups);
        QVERIFY(Database::connection().isOpen());
        QCOMPARE(t.count("customer"), 200);
    }

    void killDuringRestore_data()
    {
        QTest::addColumn<int>("afterMs");
        for (int ms : {0, 1, 3, 8, 15, 30, 60, 120, 250})
            QTest::addRow("killed after %d ms", ms) << ms;
    }

    // Another process restores a large backup and is killed part way: the file
    // then holds the old data or the new, whole, and opens.
    void killDuringRestore()
    {
        QFETCH(int, afterMs);
        QTemporaryDir dir;
        const QString path = dir.filePath("CVN.db");
        QVERIFY(Database::open(path));
        {
            QSqlDatabase db = Database::connection();
            QVERIFY(QSqlQuery(db).exec("BEGIN"));
            QSqlQuery q(db);
            QVERIFY(q.prepare("INSERT INTO customer (cust_num, comments) VALUES (?, ?)"));
            for (int i = 0; i < 3000; ++i) {
                q.addBindValue(i);
                q.addBindValue(QString(1000, QChar('a' + i % 26)));
                QVERIFY(q.exec());
            }
            QVERIFY(QSqlQuery(db).exec("COMMIT"));
        }
        QString big;
        QVERIFY(Backup::take(Database::connection(), path, &big, QDateTime::currentDateTime().addSecs(-60)));
        QVERIFY(QSqlQuery(Database::connection()).exec("DELETE FROM customer WHERE cust_num >= 7"));
        Database::close();

        const pid_t child = ::fork();
        if (child == 0) {
            const bool ok = Database::open(path) && Database::restoreFrom(big);
            ::_exit(ok ? 0 : 1);
        }
        QVERIFY(child > 0);
        ::usleep(useconds_t(afterMs) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        Backup::Contents held;
        const Status inspected = Backup::inspect(path, &held);
        QVERIFY2(inspected, qPrintable(inspected.message()));
        QVERIFY2(held.customers == 7 || held.customers == 3000, qPrintable(QString::number(held.customers)));
        const Status reopened = Database::open(path);
        QVERIFY2(reopened, qPrintable(reopened.message()));
        Database::close();
    }

    // The File menu as a user works it: back up, change, restore, export.
    void fileMenu()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'First')"));
        fmMain main;
        main.show();
        QCOMPARE(main.findChild<QPushButton *>("cmCustomers")->text(), QString("Customers"));
        MessageRecorder messages;
        {
            // A backup cannot report its progress: busy, without Cancel.
            ProgressDriver busy;
            main.findChild<QAction *>("actBackUpNow")->trigger();
            QCOMPARE(busy.names, QStringList{"dlgProgress"});
            QVERIFY(!busy.cancellable);
        }
        QCOMPARE(messages.boxes.size(), 1);
        QVERIFY(messages.boxes[0].text.startsWith("The backup was saved as"));
        QCOMPARE(Backup::list(t.path()).size(), 1);
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (2, 'Second')"));
        QTest::qWait(1100); // the safety backup gets a name of its own

        // Chosen, then the confirmation cancelled: nothing changes.
        const auto chooseFirst = [](QDialog *d) {
            auto *list = d->findChild<QTableWidget *>("backupList");
            QCOMPARE(list->rowCount(), 1);
            QCOMPARE(list->item(0, 2)->text(), QString("1"));
            QVERIFY(!d->findChild<QPushButton *>("cmRestore")->isEnabled());
            list->selectRow(0);
            d->findChild<QPushButton *>("cmRestore")->click();
        };
        {
            ModalDriver driver(chooseFirst);
            messages.answers = {Msg::Answer::Cancel};
            main.findChild<QAction *>("actRestore")->trigger();
            QCOMPARE(driver.opened, QStringList{"fmRestore"});
        }
        QCOMPARE(t.count("customer"), 2);
        {
            // The safety backup before a restore cannot be cancelled.
            ModalDriver driver(chooseFirst);
            ProgressDriver busy;
            messages.boxes.clear();
            main.findChild<QAction *>("actRestore")->trigger();
            QCOMPARE(busy.names, QStringList{"dlgProgress"});
            QVERIFY(!busy.cancellable);
        }
        QCOMPARE(messages.boxes.size(), 2);
        QVERIFY2(messages.boxes[1].text.startsWith("The backup was restored."), qPrintable(messages.boxes[1].text));
        QCOMPARE(t.count("customer"), 1);
        QCOMPARE(Backup::list(t.path()).size(), 2);

        const QString out = QDir(t.dir()).filePath("csv");
        QVERIFY(QDir().mkpath(out));
        {
            ModalDriver driver([&out](QDialog *d) { chooseFolder(d, out); });
            messages.boxes.clear();
            main.findChild<QAction *>("actExportCsv")->trigger();
        }
        QCOMPARE(messages.texts(), QStringList{QString("8 CSV files were written to\n%1").arg(out)});
        QVERIFY(QFile::exists(QDir(out).filePath("customers.csv")));
    }

    // File, Import...: a file with a bad row shows it and adds nothing; a good
    // one is previewed with its numbers and added.
    void importFromMenu()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO inventory (product_num, product) VALUES (1, 'Old')"));
        fmMain main;
        main.show();
        MessageRecorder messages;
        const auto runImport = [&main](const QString &file, const std::function<void(QDialog *)> &preview) {
            ModalDriver driver([&file, &preview](QDialog *d) {
                if (auto *chooser = qobject_cast<QFileDialog *>(d)) {
                    chooser->selectFile(file);
                    QMetaObject::invokeMethod(chooser, "accept");
                } else {
                    preview(d);
                }
            });
            main.findChild<QAction *>("actImportCsv")->trigger();
            return driver.opened;
        };
        const QString bad = QDir(t.dir()).filePath("bad.csv");
        const QString good = QDir(t.dir()).filePath("good.csv");
        for (const auto &[path, text] : {std::pair{bad, QByteArray("product,cost\nTea,2.50\nJam,lots\n")},
                                         std::pair{good, QByteArray("product,cost,qty\nTea,2.50,4\n\"Jam, fig\",$3,1\n")}}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        QString shownProblems;
        bool addEnabled = true;
        QStringList opened = runImport(bad, [&](QDialog *d) {
            QCOMPARE(d->findChild<QComboBox *>("kindChoice")->currentText(), QString("Products"));
            shownProblems = d->findChild<QPlainTextEdit *>("importProblems")->toPlainText();
            addEnabled = d->findChild<QPushButton *>("cmAdd")->isEnabled();
            d->findChild<QPushButton *>("cmAdd")->click();
        });
        QCOMPARE(opened, (QStringList{"fileChooser", "fmImport"}));
        QCOMPARE(shownProblems, QString("Row 3, column cost: \"lots\" is not an amount of money."));
        QVERIFY(!addEnabled);
        QCOMPARE(t.count("inventory"), 1);
        QVERIFY(messages.boxes.isEmpty());

        QStringList numbers;
        runImport(good, [&](QDialog *d) {
            auto *preview = d->findChild<QTableWidget *>("importPreview");
            for (int r = 0; r < preview->rowCount(); ++r)
                numbers << preview->item(r, 0)->text() + ":" + preview->item(r, 1)->text();
            d->findChild<QPushButton *>("cmAdd")->click();
        });
        QCOMPARE(numbers, (QStringList{"2:Tea", "3:Jam, fig"}));
        QCOMPARE(messages.texts(), QStringList{"2 products were added."});
        QCOMPARE(t.scalar("SELECT cost FROM inventory WHERE product = 'Tea'").toLongLong(), 25000);
        QCOMPARE(t.scalar("SELECT qty FROM inventory WHERE product_num = 3").toInt(), 1);
    }

    // An export stopped through its progress callback removes the files it had
    // written, and the file it was writing never gets its name; other files in
    // the folder stay. Left to run, its progress rises to its total.
    void exportStops_data()
    {
        QTest::addColumn<int>("stopAtCall");
        QTest::newRow("before the first file") << 0;
        QTest::newRow("inside the first file") << 1; // at row 200 of 450 customers
        QTest::newRow("after the first file") << 3;
        QTest::newRow("after the last file") << 10;
        QTest::newRow("never") << -1;
    }
    void exportStops()
    {
        QFETCH(int, stopAtCall);
        TestDatabase t;
        addCustomers(t, 450);
        const QString out = QDir(t.dir()).filePath("csv");
        QVERIFY(QDir().mkpath(out));
        QFile other(QDir(out).filePath("notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();

        QList<QPair<qint64, qint64>> calls;
        QStringList written;
        const Status s = CsvExport::write(t.db(), CsvExport::allTables(), out,
                                          [&](qint64 done, qint64 total) {
                                              calls << qMakePair(done, total);
                                              return calls.size() - 1 != stopAtCall;
                                          },
                                          &written);
        const QStringList left = QDir(out).entryList(QDir::Files);
        if (stopAtCall >= 0) {
            QVERIFY(!s);
            QCOMPARE(s.message(), CsvExport::stoppedMessage());
            QCOMPARE(calls.size(), stopAtCall + 1);
            QCOMPARE(left, QStringList{"notes.txt"});
            QVERIFY(written.isEmpty());
            return;
        }
        QVERIFY2(s, qPrintable(s.message()));
        QCOMPARE(calls.size(), 11);
        QCOMPARE(calls.first(), qMakePair(qint64(0), qint64(451)));
        for (int i = 1; i < calls.size(); ++i)
            QVERIFY(calls[i].first >= calls[i - 1].first);
        QCOMPARE(calls.last(), qMakePair(qint64(451), qint64(451))); // and the defaults row
        QCOMPARE(left.size(), CsvExport::allTables().size() + 1);
    }

    // Cancel in the export's progress dialog leaves no CSV file and says so.
    void exportCancelledInDialog()
    {
        TestDatabase t;
        addCustomers(t, 450);
        const QString out = QDir(t.dir()).filePath("csv");
        QVERIFY(QDir().mkpath(out));
        fmMain main;
        main.show();
        MessageRecorder messages;
        ProgressDriver progress(2); // at row 400 of 450
        {
            ModalDriver driver([&out](QDialog *d) { chooseFolder(d, out); });
            main.findChild<QAction *>("actExportCsv")->trigger();
        }
        QCOMPARE(progress.names.value(0), QStringLiteral("dlgProgress"));
        QVERIFY(progress.cancellable);
        QCOMPARE(progress.steps, 3);
        QCOMPARE(messages.texts(), QStringList{CsvExport::stoppedMessage()});
        QCOMPARE(messages.boxes[0].icon, Msg::Icon::Information);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList());
    }

    // The export read back by Python's csv module equals the stored data.
    void exportReadBack()
    {
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        TestDatabase t;
        const QStringList awkward = {"Plain", "Comma, inside", "Quote \"here\"", "Line\nbreak", "Crlf\r\nbreak",
                                     "Zoë Ångström – 東京", " spaced ", ""};
        for (int i = 0; i < awkward.size(); ++i)
            QVERIFY(t.exec("INSERT INTO customer (cust_num, first_name, last_name, comments) VALUES (?, ?, ?, ?)",
                           {i + 1, awkward[i], awkward[(i + 1) % awkward.size()], awkward[(i + 2) % awkward.size()]}));
        QVERIFY(t.exec("INSERT INTO inventory (product_num, product, cost, qty) VALUES (7, 'Jam, \"fig\"', 125000, 3)"));
        QVERIFY(t.exec("INSERT INTO inventory (product_num, product, cost, qty) VALUES (8, 'Tea', -5, 0)"));
        QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num, order_date, subtotal, total_price, comments) "
                       "VALUES (3, 1, '2026-01-31', 123456, 1234560000, 'a\nb')"));
        QVERIFY(t.exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (3, 1, 7, 2)"));
        QVERIFY(t.exec("INSERT INTO expenses (expense_num, expense_desc, expense_amt, expense_date) "
                       "VALUES (1, 'Rent', 5000000, NULL)"));

        const QString out = QDir(t.dir()).filePath("csv");
        QStringList written;
        QVERIFY(CsvExport::write(t.db(), CsvExport::allTables(), out, {}, &written));
        QCOMPARE(written.size(), CsvExport::allTables().size());

        QProcess py;
        py.setWorkingDirectory(out);
        py.start(python, {"-c", "import csv, glob, json, sys\n"
                                "d = {}\n"
                                "for f in glob.glob('*.csv'):\n"
                                "    with open(f, newline='', encoding='utf-8-sig') as h:\n"
                                "        d[f] = list(csv.reader(h, strict=True))\n"
                                "sys.stdout.write(json.dumps(d))\n"});
        QVERIFY(py.waitForFinished(30000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        const QJsonObject files = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
        const auto rows = [&files](const QString &name) {
            QList<QStringList> result;
            for (const QJsonValue &row : files.value(name).toArray()) {
                QStringList fields;
                for (const QJsonValue &v : row.toArray())
                    fields << v.toString();
                result << fields;
            }
            return result;
        };

        const auto customers = rows("customers.csv");
        QCOMPARE(customers.size(), awkward.size() + 1);
        QCOMPARE(customers[0], (QStringList{"cust_num", "first_name", "last_name", "address", "phone", "email",
                                            "birthday", "comments"}));
        QSqlQuery q(t.db());
        QVERIFY(q.exec("SELECT * FROM customer ORDER BY cust_num"));
        for (int r = 1; q.next(); ++r) {
            QStringList stored;
            for (int c = 0; c < 8; ++c)
                stored << q.value(c).toString();
            QCOMPARE(customers[r], stored);
        }
        QCOMPARE(rows("products.csv").value(1), (QStringList{"7", "Jam, \"fig\"", "", "12.50", "3"}));
        QCOMPARE(rows("products.csv").value(2), (QStringList{"8", "Tea", "", "-0.0005", "0"}));
        const auto orders = rows("orders.csv");
        const int date = orders[0].indexOf("order_date");
        const int total = orders[0].indexOf("total_price");
        const int subtotal = orders[0].indexOf("subtotal");
        QCOMPARE(orders[1][date], QString("2026-01-31"));
        QCOMPARE(orders[1][subtotal], QString("12.3456"));
        QCOMPARE(orders[1][total], QString("123456.00"));
        QCOMPARE(orders[1][orders[0].indexOf("comments")], QString("a\nb"));
        QCOMPARE(rows("order_lines.csv").value(1), (QStringList{"3", "1", "7", "Jam, \"fig\"", "2"}));
        QCOMPARE(rows("expenses.csv").value(1), (QStringList{"1", "Rent", "500.00", ""}));
        QCOMPARE(rows("suppliers.csv").size(), 1);
        QCOMPARE(rows("business_defaults.csv").size(), 2);
    }

    // The bookkeeping period's lists: only what lies in the period.
    void exportPeriod()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (1, 'Ann', 'Lee')"));
        QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num, order_status, subtotal, close_date) VALUES "
                       "(1, 1, 'C', 100000, '2026-03-10'), (2, 1, 'C', 200000, '2026-04-01'), "
                       "(3, 1, 'O', 300000, NULL)"));
        QVERIFY(t.exec("INSERT INTO expenses (expense_num, expense_desc, expense_amt, expense_date) VALUES "
                       "(1, 'In', 25000, '2026-03-31'), (2, 'Out', 5000, '2026-02-28')"));
        const QString out = QDir(t.dir()).filePath("period");
        QVERIFY(Bookkeeping::exportPeriod(t.db(),
                                          Bookkeeping::Period::between(QDate(2026, 3, 1), QDate(2026, 3, 31)), out));
        const auto lines = [&out](const QString &name) {
            QFile f(QDir(out).filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                return QStringList();
            return QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF)).split("\r\n", Qt::SkipEmptyParts);
        };
        const QStringList sales = lines("period_sales.csv");
        QCOMPARE(sales.size(), 2);
        QVERIFY(sales[1].startsWith("1,"));
        QVERIFY(sales[1].contains(",10.00,2026-03-10,C,"));
        QCOMPARE(lines("period_expenses.csv"), (QStringList{"expense_num,expense_date,expense_amt,expense_desc",
                                                            "1,2026-03-31,2.50,In"}));
    }

    // Exported customers come back in whole: quotes, commas, line breaks,
    // non-ASCII; numbers chosen by the numbering rule (lowest free).
    void importRoundTrip()
    {
        TestDatabase t;
        const QStringList awkward = {"Comma, inside", "Quote \"here\"", "Line\nbreak", "Zoë – 東京", " spaced "};
        for (int i = 0; i < awkward.size(); ++i)
            QVERIFY(t.exec("INSERT INTO customer (cust_num, first_name, comments) VALUES (?, ?, ?)",
                           {i * 2, awkward[i], awkward[(i + 1) % awkward.size()]}));
        const QString out = QDir(t.dir()).filePath("csv");
        QVERIFY(CsvExport::write(t.db(), CsvExport::allTables(), out));
        QFile f(QDir(out).filePath("customers.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const CsvImport::Plan plan = CsvImport::prepare(t.db(), Keys::Kind::Customer, f.readAll());
        QVERIFY2(plan.ok(), qPrintable(plan.problems.join("\n")));
        QCOMPARE(plan.rows.size(), awkward.size());
        const Status applied = CsvImport::apply(t.db(), plan);
        QVERIFY2(applied, qPrintable(applied.message()));
        QCOMPARE(t.count("customer"), 2 * awkward.size());
        QSqlQuery q(t.db());
        QVERIFY(q.exec("SELECT cust_num, first_name, comments FROM customer WHERE cust_num IN (1, 3, 5, 7, 9) "
                       "ORDER BY cust_num"));
        for (int i = 0; q.next(); ++i) {
            QCOMPARE(q.value(1).toString(), awkward[i]);
            QCOMPARE(q.value(2).toString(), awkward[(i + 1) % awkward.size()]);
        }
    }

    void importBadRowsAddNothing_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("products: bad cost and quantity")
            << int(Keys::Kind::Product)
            << QByteArray("product,cost,qty\r\nTea,$2.50,3\r\nJam,abc,1\r\nFig,1.00,2.5\r\nOil,,\r\n")
            << QStringList{"Row 3, column cost: \"abc\" is not an amount of money.",
                           "Row 4, column qty: \"2.5\" is not a whole number."};
        QTest::newRow("customers: short row and unknown column")
            << int(Keys::Kind::Customer)
            << QByteArray("first_name,last_name,shoe_size\nAnn,Lee,5\nBob\n")
            << QStringList{"Row 1: \"shoe_size\" is not a column of customers (the columns are first_name, "
                           "last_name, address, phone, email, birthday, comments).",
                           "Row 3: it has 1 fields; the header has 3."};
        QTest::newRow("customers: unclosed quote")
            << int(Keys::Kind::Customer) << QByteArray("last_name\n\"Lee\n")
            << QStringList{"The file cannot be read: a quoted field is not closed before the end of the file."};
        QByteArray many("last_name\n");
        for (int i = 0; i < 300; ++i)
            many += "Name\n";
        QTest::newRow("customers: more than the numbers allow")
            << int(Keys::Kind::Customer) << many
            << QStringList{"Row 299: no number is free. You have too many customers.  Max is 299.",
                           "Row 300: no number is free. You have too many customers.  Max is 299.",
                           "Row 301: no number is free. You have too many customers.  Max is 299."};
    }

    // A file with rows that cannot be added adds nothing, and each such row is
    // named with its column and the reason.
    void importBadRowsAddNothing()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, problems);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (5, 'There')"));
        const CsvImport::Plan plan = CsvImport::prepare(t.db(), Keys::Kind(kind), file);
        QCOMPARE(plan.problems, problems);
        QVERIFY(!CsvImport::apply(t.db(), plan));
        QCOMPARE(t.count("customer"), 1);
        QCOMPARE(t.count("inventory"), 0);
    }

    // The same work from the command line, without a window: exit status and
    // message; the file may be held by a running Corvana meanwhile.
    void commandLine()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'Held')"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "none-such");
        p.setProcessEnvironment(env);

        p.start(CORVANA_BIN, {"--backup-now", "--database", t.path()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).startsWith("Backup saved: "));
        QCOMPARE(Backup::list(t.path()).size(), 1);
        Backup::Contents contents;
        QVERIFY(Backup::inspect(Backup::list(t.path()).first().path, &contents));
        QCOMPARE(contents.customers, 1);

        const QString out = QDir(t.dir()).filePath("export");
        p.start(CORVANA_BIN, {"--export-csv", out, "--database", t.path()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).startsWith("Exported 8 CSV files"));
        QVERIFY(QFile::exists(QDir(out).filePath("customers.csv")));

        p.start(CORVANA_BIN, {"--backup-now", "--database", QDir(t.dir()).filePath("missing.db")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("does not exist"));
        QVERIFY(!QFile::exists(QDir(t.dir()).filePath("missing.db")));

        QFile text(QDir(t.dir()).filePath("notes.db"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a database");
        text.close();
        p.start(CORVANA_BIN, {"--export-csv", out, "--database", text.fileName()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("not a database"));
    }
};

QTEST_MAIN(tst_Backup)
#include "tst_backup.moc"
