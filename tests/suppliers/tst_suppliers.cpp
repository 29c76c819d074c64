#include "GuiSupport.h"
#include "TestSupport.h"

#include "shell/Printer.h"
#include "suppliers/SupplierForms.h"
#include "suppliers/SupplierRules.h"
#include "suppliers/fmSuppliers.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

struct Supplier
{
    int num;
    QString company, contact, address, phone, email, comments;
};

bool insert(const TestDatabase &db, const Supplier &s)
{
    return db.exec("INSERT INTO suppliers (supplier_num, Company, Contact, Address, Phone, Email, Comments) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?)",
                   {s.num, s.company, s.contact, s.address, s.phone, s.email, s.comments});
}

// The first three are in a table order (by number) that is not alphabetical.
const QList<Supplier> samples{
    {1, "Zenith Flour", "Zoe", "1 Mill Rd", "555-0101", "zoe@zenith.test", "weekly"},
    {2, "Acme Jars", "Al", "2 Glass St", "555-0102", "al@acme.test", "bulk only"},
    {3, "Mid Labels", "Mo", "3 Print Ave", "555-0103", "mo@mid.test", ""},
    {5, "Bee Farm", "Bea", "5 Field Rd", "555-0105", "bea@farm.test", "spring\r\nand autumn"},
};

bool insertThree(const TestDatabase &db)
{
    for (const Supplier &s : samples.mid(0, 3)) {
        if (!insert(db, s))
            return false;
    }
    return true;
}

QStringList comboItems(QWidget *screen)
{
    auto *combo = child<QComboBox>(screen, "cmbSupplier");
    QStringList items;
    for (int i = 0; combo && i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QString shown(QWidget *screen, const QString &valueLabel)
{
    auto *label = child<QLabel>(screen, valueLabel);
    return label ? label->text() : QStringLiteral("<missing>");
}

void click(QWidget *parent, const QString &button)
{
    auto *b = child<QPushButton>(parent, button);
    if (b)
        b->click();
}

// Types into a form's box the way the user would.
void type(QWidget *form, const QString &box, const QString &text)
{
    QWidget *w = form->findChild<QWidget *>(box);
    if (auto *line = qobject_cast<QLineEdit *>(w))
        line->clear();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        plain->clear();
    else
        qWarning("no box named %s", qPrintable(box));
    if (w)
        QTest::keyClicks(w, text);
}

QStringList companies(const TestDatabase &db)
{
    QSqlQuery q(db.db());
    q.exec("SELECT Company FROM suppliers ORDER BY supplier_num");
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

QString pdfText(const QString &file)
{
    QProcess process;
    process.start("pdftotext", {file, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class tst_Suppliers : public QObject
{
    Q_OBJECT
private slots:
    void listLines_data();
    void listLines();
    void emptyTableOffersOnlyAdd();
    void listFollowsTableOrder();
    void checks_data();
    void checks();
    void companyAndPhoneSuffice_data();
    void companyAndPhoneSuffice();
    void updateKeepsUnchangedValues();
    void deletedNumberIsReused();
    void deleteRefusedKeepsRow();
    void deletingOnlySupplierEmptiesScreen();
    void limitRefusesSave();
    void goTo_data();
    void goTo();
    void printAll_data();
    void printAll();
};

void tst_Suppliers::listLines_data()
{
    QTest::addColumn<QList<int>>("sampleIndexes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two suppliers in table order")
        << QList<int>{0, 1}
        << QStringList{" ",         " ",
                       "Zenith Flour", "1 Mill Rd", "555-0101", "zoe@zenith.test", "weekly", " ",
                       "Acme Jars", "2 Glass St", "555-0102", "al@acme.test", "bulk only", " "};
    QTest::newRow("empty comments give an empty line")
        << QList<int>{2}
        << QStringList{" ", " ", "Mid Labels", "3 Print Ave", "555-0103", "mo@mid.test", "", " "};
    QTest::newRow("multi-line comments stay one item")
        << QList<int>{3}
        << QStringList{" ", " ", "Bee Farm", "5 Field Rd", "555-0105", "bea@farm.test", "spring\r\nand autumn", " "};
}

void tst_Suppliers::listLines()
{
    QFETCH(QList<int>, sampleIndexes);
    QFETCH(QStringList, expected);

    TestDatabase db;
    for (int i : sampleIndexes)
        QVERIFY(insert(db, samples.at(i)));
    RecordSet rs = RecordSet::table(db.db(), "suppliers");
    QVERIFY(rs.refresh());

    const QDate day(2024, 3, 5);
    const QStringList lines = SupplierRules::listLines(rs, day);
    QCOMPARE(lines.value(0), QLocale::system().toString(day, QLocale::ShortFormat));
    QCOMPARE(lines.mid(1), expected);
}

void tst_Suppliers::emptyTableOffersOnlyAdd()
{
    TestDatabase db;
    MessageRecorder messages;
    ModalDriver driver([](QDialog *) {});
    fmSuppliers screen;

    child<QComboBox>(&screen, "cmbSupplier")->setEditText("Acme");
    for (const char *button : {"cmSearch", "cmPrev", "cmNext", "cmUpdate", "cmPrint"})
        click(&screen, button);
    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join(" | ")));
    QVERIFY(driver.opened.isEmpty());
    QCOMPARE(shown(&screen, "lblCompany"), QString());

    click(&screen, "cmAdd");
    QCOMPARE(driver.opened, QStringList{"fmAddSuppliers"});
    QCOMPARE(db.count("suppliers"), 0);
}

void tst_Suppliers::listFollowsTableOrder()
{
    TestDatabase db;
    QVERIFY(insertThree(db));
    fmSuppliers screen;

    const QStringList tableOrder{"Zenith Flour", "Acme Jars", "Mid Labels"};
    QCOMPARE(comboItems(&screen), tableOrder);
    QStringList stepped;
    for (int i = 0; i < 4; ++i) {
        stepped << shown(&screen, "lblCompany");
        click(&screen, "cmNext");
    }
    QCOMPARE(stepped, tableOrder + QStringList{"Zenith Flour"});
    QCOMPARE(shown(&screen, "lblEmail"), QStringLiteral("al@acme.test"));
}

void tst_Suppliers::checks_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QStringList>("expected");

    const QString phone = "You must enter an phone number";
    QTest::newRow("add: both empty") << "cmAdd" << "" << "" << QStringList{"You must enter a Company name"};
    QTest::newRow("add: company empty") << "cmAdd" << "" << "555" << QStringList{"You must enter a Company name"};
    QTest::newRow("add: phone empty") << "cmAdd" << "Bee Farm" << "" << QStringList{phone};
    QTest::newRow("update: both empty") << "cmUpdate" << "" << ""
                                        << QStringList{"You must enter a company name", phone};
    QTest::newRow("update: company empty") << "cmUpdate" << "" << "555"
                                           << QStringList{"You must enter a company name"};
    QTest::newRow("update: phone empty") << "cmUpdate" << "Bee Farm" << "" << QStringList{phone};
}

void tst_Suppliers::checks()
{
    QFETCH(QString, form);
    QFETCH(QString, company);
    QFETCH(QString, phone);
    QFETCH(QStringList, expected);

    TestDatabase db;
    QVERIFY(insertThree(db));
    MessageRecorder messages;
    bool stayedOpen = false;
    QString keptAddress;
    ModalDriver driver([&](QDialog *d) {
        type(d, "txtCompany", company);
        type(d, "txtPhone", phone);
        type(d, "txtAddress", "9 Hive Ln");
        click(d, "cmSave");
        stayedOpen = d->isVisible();
        keptAddress = child<QLineEdit>(d, "txtAddress")->text();
    });
    fmSuppliers screen;
    click(&screen, form);

    QCOMPARE(messages.texts(), expected);
    for (const Msg::Record &box : messages.boxes) {
        QCOMPARE(box.title, QStringLiteral("Invalid data"));
        QCOMPARE(box.icon, Msg::Icon::None);
        QCOMPARE(box.buttons, Msg::Buttons::Ok);
    }
    QVERIFY(stayedOpen);
    QCOMPARE(keptAddress, QStringLiteral("9 Hive Ln"));
    QCOMPARE(companies(db), (QStringList{"Zenith Flour", "Acme Jars", "Mid Labels"}));
    QCOMPARE(db.scalar("SELECT Address FROM suppliers WHERE supplier_num = 1").toString(),
             QStringLiteral("1 Mill Rd"));
}

void tst_Suppliers::companyAndPhoneSuffice_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<int>("storedAs");

    QTest::newRow("add") << "cmAdd" << 4;
    QTest::newRow("update") << "cmUpdate" << 1;
}

void tst_Suppliers::companyAndPhoneSuffice()
{
    QFETCH(QString, form);
    QFETCH(int, storedAs);

    TestDatabase db;
    QVERIFY(insertThree(db));
    MessageRecorder messages;
    ModalDriver driver([](QDialog *d) {
        for (const char *box : {"txtContact", "txtAddress", "txtEmail", "txtComments"})
            type(d, box, QString());
        type(d, "txtCompany", "O'Brien & Sons");
        type(d, "txtPhone", "555-0199");
        click(d, "cmSave");
    });
    fmSuppliers screen;
    click(&screen, form);

    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join(" | ")));
    QCOMPARE(db.count("suppliers"), 3 + (form == "cmAdd" ? 1 : 0));
    QSqlQuery q(db.db());
    q.prepare("SELECT Company, Contact, Address, Phone, Email, Comments FROM suppliers WHERE supplier_num = ?");
    q.addBindValue(storedAs);
    VERIFY_SQL(q, q.exec() && q.next());
    const QStringList row{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                          q.value(3).toString(), q.value(4).toString(), q.value(5).toString()};
    QCOMPARE(row, (QStringList{"O'Brien & Sons", "", "", "555-0199", "", ""}));
    QVERIFY(comboItems(&screen).contains("O'Brien & Sons"));
}

void tst_Suppliers::updateKeepsUnchangedValues()
{
    TestDatabase db;
    const Supplier before = samples.at(3);
    QVERIFY(insert(db, before));
    MessageRecorder messages;
    ModalDriver driver([](QDialog *d) {
        type(d, "txtPhone", "555-0155");
        click(d, "cmSave");
    });
    fmSuppliers screen;
    click(&screen, "cmUpdate");

    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join(" | ")));
    QSqlQuery q(db.db());
    VERIFY_SQL(q, q.exec("SELECT supplier_num, Company, Contact, Address, Phone, Email, Comments FROM suppliers"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), before.num);
    const QStringList row{q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                          q.value(4).toString(), q.value(5).toString(), q.value(6).toString()};
    QCOMPARE(row, (QStringList{before.company, before.contact, before.address, "555-0155", before.email,
                               before.comments}));
    QVERIFY(!q.next());
    QCOMPARE(shown(&screen, "lblPhone"), QStringLiteral("555-0155"));
}

void tst_Suppliers::deletedNumberIsReused()
{
    TestDatabase db;
    QVERIFY(insertThree(db));
    MessageRecorder messages;
    ModalDriver driver([](QDialog *d) {
        if (d->objectName() == "fmUpdateSuppliers") {
            click(d, "cmDelete");
            return;
        }
        type(d, "txtCompany", "New Honey");
        type(d, "txtPhone", "555-0200");
        click(d, "cmSave");
    });
    fmSuppliers screen;
    click(&screen, "cmNext");
    QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Acme Jars"));
    click(&screen, "cmUpdate");

    QCOMPARE(messages.texts(), QStringList{"Are you sure you want to delete this supplier?"});
    QCOMPARE(messages.boxes.first().title, QStringLiteral("Delete Supplier?"));
    QCOMPARE(messages.boxes.first().buttons, Msg::Buttons::OkCancel);
    QCOMPARE(messages.boxes.first().icon, Msg::Icon::None);
    QCOMPARE(companies(db), (QStringList{"Zenith Flour", "Mid Labels"}));
    QCOMPARE(comboItems(&screen), (QStringList{"Zenith Flour", "Mid Labels"}));
    QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Zenith Flour"));

    click(&screen, "cmAdd");
    QCOMPARE(db.scalar("SELECT supplier_num FROM suppliers WHERE Company = ?", {"New Honey"}), QVariant(2));
    QCOMPARE(driver.opened, (QStringList{"fmUpdateSuppliers", "fmAddSuppliers"}));
}

void tst_Suppliers::deleteRefusedKeepsRow()
{
    TestDatabase db;
    QVERIFY(insertThree(db));
    MessageRecorder messages;
    messages.answers << Msg::Answer::Cancel;
    bool stayedOpen = false;
    ModalDriver driver([&](QDialog *d) {
        click(d, "cmDelete");
        stayedOpen = d->isVisible();
        click(d, "cmCancel");
    });
    fmSuppliers screen;
    click(&screen, "cmUpdate");

    QCOMPARE(messages.texts(), QStringList{"Are you sure you want to delete this supplier?"});
    QVERIFY(stayedOpen);
    QCOMPARE(db.count("suppliers"), 3);
    QCOMPARE(comboItems(&screen).size(), 3);
}

void tst_Suppliers::deletingOnlySupplierEmptiesScreen()
{
    TestDatabase db;
    QVERIFY(insert(db, {0, "Solo Supply", "Sam", "4 One Way", "555-0104", "sam@solo.test", "only one"}));
    MessageRecorder messages;
    ModalDriver driver([](QDialog *d) { click(d, "cmDelete"); });
    fmSuppliers screen;
    QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Solo Supply"));
    click(&screen, "cmUpdate");

    QCOMPARE(db.count("suppliers"), 0);
    QCOMPARE(comboItems(&screen), QStringList());
    for (const char *label : {"lblCompany", "lblContact", "lblAddress", "lblPhone", "lblEmail", "lblComments"})
        QCOMPARE(shown(&screen, label), QString());
}

void tst_Suppliers::limitRefusesSave()
{
    TestDatabase db;
    for (int n = 1; n <= 98; ++n)
        QVERIFY(insert(db, {n, QStringLiteral("Supplier %1").arg(n), "", "", "555", "", ""}));
    MessageRecorder messages;
    QStringList atOpen;
    bool stayedOpen = false;
    ModalDriver driver([&](QDialog *d) {
        atOpen = messages.texts();
        type(d, "txtCompany", "One Too Many");
        type(d, "txtPhone", "555-0999");
        click(d, "cmSave");
        stayedOpen = d->isVisible();
    });
    fmSuppliers screen;
    click(&screen, "cmAdd");

    const QString limit = "You have too many Suppliers.  Max is 99.";
    QCOMPARE(atOpen, QStringList{limit});
    QCOMPARE(messages.texts(), (QStringList{limit, limit}));
    for (const Msg::Record &box : messages.boxes) {
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.icon, Msg::Icon::Critical);
    }
    QVERIFY(stayedOpen);
    QCOMPARE(db.count("suppliers"), 98);
    QCOMPARE(db.scalar("SELECT count(*) FROM suppliers WHERE Company = ?", {"One Too Many"}), QVariant(0));
}

void tst_Suppliers::goTo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedCompany");
    QTest::addColumn<QStringList>("expectedMessages");

    const QStringList notFound{"Supplier not found!"};
    QTest::newRow("quote and ampersand") << "O'Brien & Sons" << "O'Brien & Sons" << QStringList();
    QTest::newRow("letter case aside") << "o'brien & SONS" << "O'Brien & Sons" << QStringList();
    QTest::newRow("first of the table") << "Zenith Flour" << "Zenith Flour" << QStringList();
    QTest::newRow("no such company") << "Nobody Ltd" << "Acme Jars" << notFound;
    QTest::newRow("SQL text finds nothing") << "' OR 1=1 --" << "Acme Jars" << notFound;
    QTest::newRow("trailing blank counts") << "O'Brien & Sons " << "Acme Jars" << notFound;
}

void tst_Suppliers::goTo()
{
    QFETCH(QString, text);
    QFETCH(QString, expectedCompany);
    QFETCH(QStringList, expectedMessages);

    TestDatabase db;
    QVERIFY(insertThree(db));
    QVERIFY(insert(db, {7, "O'Brien & Sons", "Pat", "7 Quay", "555-0107", "", ""}));
    MessageRecorder messages;
    fmSuppliers screen;
    click(&screen, "cmNext");

    auto *combo = child<QComboBox>(&screen, "cmbSupplier");
    auto *search = child<QPushButton>(&screen, "cmSearch");
    combo->setFocus();
    QTest::keyClicks(combo, text);
    QVERIFY(search->isEnabled());
    click(&screen, "cmSearch");

    QCOMPARE(messages.texts(), expectedMessages);
    for (const Msg::Record &box : messages.boxes) {
        QCOMPARE(box.title, QStringLiteral("Search Failed"));
        QCOMPARE(box.icon, Msg::Icon::Exclamation);
    }
    QCOMPARE(shown(&screen, "lblCompany"), expectedCompany);
    QCOMPARE(combo->currentText(), QString());
    QVERIFY(!search->isEnabled());
}

void tst_Suppliers::printAll_data()
{
    QTest::addColumn<bool>("printed");

    QTest::newRow("OK prints") << true;
    QTest::newRow("Cancel prints nothing") << false;
}

void tst_Suppliers::printAll()
{
    QFETCH(bool, printed);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");

    TestDatabase db;
    QVERIFY(insertThree(db));
    QTemporaryDir folder;
    Printer::setPdfDirectory(folder.path());
    MessageRecorder messages;
    messages.answers << (printed ? Msg::Answer::Ok : Msg::Answer::Cancel);
    fmSuppliers screen;
    click(&screen, "cmNext");
    click(&screen, "cmPrint");
    Printer::setPdfDirectory(QString());

    QCOMPARE(messages.texts(), QStringList{"Print entire supplier list?"});
    QCOMPARE(messages.boxes.first().title, QStringLiteral("Print"));
    QCOMPARE(messages.boxes.first().buttons, Msg::Buttons::OkCancel);
    const QStringList files = QDir(folder.path()).entryList({"*.pdf"}, QDir::Files);
    QCOMPARE(files.size(), printed ? 1 : 0);
    if (!printed) {
        QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Acme Jars"));
        return;
    }
    QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Zenith Flour"));

    QStringList lines;
    for (const QString &line : pdfText(folder.filePath(files.first())).split('\n')) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    const QStringList expected{
        QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat),
        "Zenith Flour", "1 Mill Rd", "555-0101", "zoe@zenith.test", "weekly",
        "Acme Jars", "2 Glass St", "555-0102", "al@acme.test", "bulk only",
        "Mid Labels", "3 Print Ave", "555-0103", "mo@mid.test",
    };
    QCOMPARE(lines, expected);
}

QTEST_MAIN(tst_Suppliers)
#include "tst_suppliers.moc"
