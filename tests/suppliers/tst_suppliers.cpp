#include "GuiSupport.h"
#include "TestSupport.h"

#include "shell/Printer.h"
#include "suppliers/SupplierRules.h"
#include "suppliers/fmSuppliers.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

struct Supplier
{
    int num;
    QStringList texts; // Company, Contact, Address, Phone, Email, Comments
};

// The first three are in a table order (by number) that is not alphabetical.
const QList<Supplier> samples{
    {1, {"Zenith Flour", "Zoe", "1 Mill Rd", "555-0101", "zoe@zenith.test", "weekly"}},
    {2, {"Acme Jars", "Al", "2 Glass St", "555-0102", "al@acme.test", "bulk only"}},
    {3, {"Mid Labels", "Mo", "3 Print Ave", "555-0103", "mo@mid.test", ""}},
    {5, {"Bee Farm", "Bea", "5 Field Rd", "555-0105", "bea@farm.test", "spring\r\nand autumn"}},
};

bool insert(const TestDatabase &db, const QList<Supplier> &suppliers)
{
    for (const Supplier &s : suppliers) {
        const QVariantList values = QVariantList{s.num} + QVariant(s.texts).toList();
        if (!db.exec("INSERT INTO suppliers (supplier_num, Company, Contact, Address, Phone, Email, Comments) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?)",
                     values))
            return false;
    }
    return true;
}

// The stored texts of one supplier, in the order of Supplier::texts.
QStringList stored(const TestDatabase &db, int num)
{
    const QVariant texts = db.scalar("SELECT Company || '|' || Contact || '|' || Address || '|' || Phone || '|' "
                                     "|| Email || '|' || Comments FROM suppliers WHERE supplier_num = ?",
                                     {num});
    return texts.toString().split('|');
}

QStringList comboItems(QWidget *screen)
{
    auto *combo = child<QComboBox>(screen, "cmbSupplier");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QString shown(QWidget *screen, const QString &valueLabel)
{
    return child<QLabel>(screen, valueLabel)->text();
}

void click(QWidget *parent, const QString &button)
{
    child<QPushButton>(parent, button)->click();
}

// Types into a form's box the way the user would.
void type(QWidget *form, const QString &box, const QString &text)
{
    QWidget *w = child<QWidget>(form, box);
    QMetaObject::invokeMethod(w, "clear");
    QTest::keyClicks(w, text);
}

// An update form is deleted (Delete pressed until it closes, at most twice); an
// add form saves "New Honey".
void deleteOrAdd(QDialog *form)
{
    if (form->objectName() == "fmUpdateSuppliers") {
        for (int i = 0; i < 2 && form->isVisible(); ++i)
            click(form, "cmDelete");
        return;
    }
    type(form, "txtCompany", "New Honey");
    type(form, "txtPhone", "555-0200");
    click(form, "cmSave");
}

} // namespace

class tst_Suppliers : public QObject
{
    Q_OBJECT
private slots:
    void listLines()
    {
        TestDatabase db;
        QVERIFY(insert(db, {samples[0], samples[2], samples[3]}));
        RecordSet rs = RecordSet::table(db.db(), "suppliers");
        QVERIFY(rs.refresh());

        // Empty comments still give a line; multi-line comments stay one item.
        const QDate day(2024, 3, 5);
        const QStringList expected{QLocale::system().toString(day, QLocale::ShortFormat), " ", " ",
                                   "Zenith Flour", "1 Mill Rd", "555-0101", "zoe@zenith.test", "weekly", " ",
                                   "Mid Labels", "3 Print Ave", "555-0103", "mo@mid.test", "", " ",
                                   "Bee Farm", "5 Field Rd", "555-0105", "bea@farm.test", "spring\r\nand autumn", " "};
        QCOMPARE(SupplierRules::listLines(rs, day), expected);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("company"); // the phone is left empty
        QTest::addColumn<QStringList>("expected");

        // The add form reports the first missing box only, the update form every one.
        const QString phone = "You must enter an phone number";
        QTest::newRow("add: both empty") << "cmAdd" << "" << QStringList{"You must enter a Company name"};
        QTest::newRow("add: phone empty") << "cmAdd" << "Bee Farm" << QStringList{phone};
        QTest::newRow("update: both empty") << "cmUpdate" << ""
                                            << QStringList{"You must enter a company name", phone};
    }

    void checks()
    {
        QFETCH(QString, form);
        QFETCH(QString, company);
        QFETCH(QStringList, expected);

        TestDatabase db;
        QVERIFY(insert(db, samples.mid(0, 3)));
        MessageRecorder messages;
        bool stayedOpen = false;
        bool cancelCloses = false;
        ModalDriver driver([&](QDialog *d) {
            type(d, "txtCompany", company);
            type(d, "txtPhone", "");
            click(d, "cmSave");
            stayedOpen = d->isVisible();
            click(d, "cmCancel");
            cancelCloses = !d->isVisible();
        });
        fmSuppliers screen;
        click(&screen, form);

        QCOMPARE(messages.texts(), expected);
        QCOMPARE(messages.boxes.first().title, QStringLiteral("Invalid data"));
        QVERIFY(stayedOpen);
        QVERIFY(cancelCloses);
        QCOMPARE(db.count("suppliers"), 3);
        QCOMPARE(stored(db, 1), samples[0].texts);
    }

    void saves_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("typed"); // box, text, box, text, ...
        QTest::addColumn<int>("storedAs");
        QTest::addColumn<QStringList>("expected");

        const QStringList onlyCompanyAndPhone{"txtContact", "", "txtAddress", "", "txtEmail", "", "txtComments", "",
                                              "txtCompany", "O'Brien & Sons", "txtPhone", "555-0199"};
        const QStringList obrien{"O'Brien & Sons", "", "", "555-0199", "", ""};
        QStringList newPhone = samples[0].texts;
        newPhone[3] = "555-0155";
        QTest::newRow("add: company and phone suffice") << "cmAdd" << onlyCompanyAndPhone << 4 << obrien;
        QTest::newRow("update: emptied boxes stored") << "cmUpdate" << onlyCompanyAndPhone << 1 << obrien;
        QTest::newRow("update: unchanged boxes kept") << "cmUpdate" << QStringList{"txtPhone", "555-0155"} << 1
                                                      << newPhone;
    }

    void saves()
    {
        QFETCH(QString, form);
        QFETCH(QStringList, typed);
        QFETCH(int, storedAs);
        QFETCH(QStringList, expected);

        TestDatabase db;
        QVERIFY(insert(db, samples.mid(0, 3)));
        MessageRecorder messages;
        ModalDriver driver([&](QDialog *d) {
            for (qsizetype i = 0; i < typed.size(); i += 2)
                type(d, typed[i], typed[i + 1]);
            click(d, "cmSave");
        });
        fmSuppliers screen;
        click(&screen, form);

        QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join(" | ")));
        QCOMPARE(stored(db, storedAs), expected);
    }

    void deleteThenAdd_data()
    {
        QTest::addColumn<int>("suppliers");      // how many samples are stored
        QTest::addColumn<bool>("cancelFirst");   // the first Delete is answered Cancel
        QTest::addColumn<QStringList>("listed"); // after the delete
        QTest::addColumn<int>("newNum");         // the number the added supplier gets

        QTest::newRow("second of three, after a Cancel") << 3 << true << QStringList{"Zenith Flour", "Mid Labels"} << 2;
        QTest::newRow("the only one") << 1 << false << QStringList() << 0;
    }

    void deleteThenAdd()
    {
        QFETCH(int, suppliers);
        QFETCH(bool, cancelFirst);
        QFETCH(QStringList, listed);
        QFETCH(int, newNum);

        TestDatabase db;
        QVERIFY(insert(db, samples.mid(0, suppliers)));
        MessageRecorder messages;
        if (cancelFirst)
            messages.answers << Msg::Answer::Cancel;
        ModalDriver driver(deleteOrAdd);
        fmSuppliers screen;
        click(&screen, "cmNext");
        click(&screen, "cmUpdate");

        const QString question = "Are you sure you want to delete this supplier?";
        QCOMPARE(messages.texts(), QStringList(cancelFirst ? 2 : 1, question));
        QCOMPARE(messages.boxes.first().title, QStringLiteral("Delete Supplier?"));
        QCOMPARE(messages.boxes.first().buttons, Msg::Buttons::OkCancel);
        QCOMPARE(comboItems(&screen), listed);
        QCOMPARE(shown(&screen, "lblCompany"), listed.value(0));

        click(&screen, "cmAdd");
        QCOMPARE(db.scalar("SELECT supplier_num FROM suppliers WHERE Company = 'New Honey'"), QVariant(newNum));
        QCOMPARE(driver.opened, (QStringList{"fmUpdateSuppliers", "fmAddSuppliers"}));
    }

    void limitRefusesSave()
    {
        TestDatabase db;
        for (int n = 1; n <= 98; ++n)
            QVERIFY(insert(db, {{n, {QStringLiteral("Supplier %1").arg(n), "", "", "555", "", ""}}}));
        MessageRecorder messages;
        ModalDriver driver([](QDialog *d) {
            type(d, "txtCompany", "One Too Many");
            type(d, "txtPhone", "555-0999");
            click(d, "cmSave");
        });
        fmSuppliers screen;
        click(&screen, "cmAdd");

        // Once as the form opens, once more at Save.
        const QString limit = "You have too many Suppliers.  Max is 99.";
        QCOMPARE(messages.texts(), (QStringList{limit, limit}));
        QCOMPARE(messages.boxes.first().title, QStringLiteral("Error"));
        QCOMPARE(db.count("suppliers"), 98);
    }

    // The list follows the table's order; each value label shows its own column.
    void browseAndGoTo()
    {
        TestDatabase db;
        const Supplier obrien{7, {"O'Brien & Sons", "Pat", "7 Quay", "555-0107", "pat@obrien.test", "by boat"}};
        QVERIFY(insert(db, samples.mid(0, 3) + QList<Supplier>{obrien}));
        MessageRecorder messages;
        fmSuppliers screen;
        QCOMPARE(comboItems(&screen), (QStringList{"Zenith Flour", "Acme Jars", "Mid Labels", "O'Brien & Sons"}));

        auto *combo = child<QComboBox>(&screen, "cmbSupplier");
        combo->setEditText("o'brien & SONS");
        click(&screen, "cmSearch");
        QStringList values;
        for (const char *label : {"lblCompany", "lblContact", "lblAddress", "lblPhone", "lblEmail", "lblComments"})
            values << shown(&screen, label);
        QCOMPARE(values, obrien.texts);

        combo->setEditText("Nobody Ltd");
        click(&screen, "cmSearch");
        QCOMPARE(messages.texts(), QStringList{"Supplier not found!"});
        QCOMPARE(shown(&screen, "lblCompany"), obrien.texts[0]);
    }

    void printAll()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");

        TestDatabase db;
        QVERIFY(insert(db, samples.mid(0, 3)));
        QTemporaryDir folder;
        Printer::setPdfDirectory(folder.path());
        MessageRecorder messages;
        messages.answers << Msg::Answer::Cancel;
        fmSuppliers screen;
        click(&screen, "cmNext");
        click(&screen, "cmPrint");
        QVERIFY(QDir(folder.path()).isEmpty());
        click(&screen, "cmPrint");
        Printer::setPdfDirectory(QString());

        QCOMPARE(messages.texts(), QStringList(2, "Print entire supplier list?"));
        const QStringList files = QDir(folder.path()).entryList({"*.pdf"}, QDir::Files);
        QCOMPARE(files.size(), 1);
        // The whole list is printed from the first supplier, which is shown afterwards.
        QCOMPARE(shown(&screen, "lblCompany"), QStringLiteral("Zenith Flour"));

        QProcess pdftotext;
        pdftotext.start("pdftotext", {folder.filePath(files.first()), "-"});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
        QCOMPARE(QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified(),
                 date + " Zenith Flour 1 Mill Rd 555-0101 zoe@zenith.test weekly"
                        " Acme Jars 2 Glass St 555-0102 al@acme.test bulk only"
                        " Mid Labels 3 Print Ave 555-0103 mo@mid.test");
    }
};

QTEST_MAIN(tst_Suppliers)
#include "tst_suppliers.moc"
