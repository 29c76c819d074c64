// The supplier browser and its forms; the browsing shared with the other screens
// is tested with the customers.

#include "GuiSupport.h"
#include "TestSupport.h"

#include "shell/Printer.h"
#include "suppliers/SupplierRules.h"
#include "suppliers/fmSuppliers.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLocale>
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

void insert(const TestDatabase &db, const QList<Supplier> &suppliers)
{
    for (const Supplier &s : suppliers) {
        QVERIFY(db.exec("INSERT INTO suppliers (supplier_num, Company, Contact, Address, Phone, Email, Comments) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?)",
                        QVariantList{s.num} + QVariant(s.texts).toList()));
    }
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

QString shown(QWidget *screen, const QString &valueLabel) { return child<QLabel>(screen, valueLabel)->text(); }
void click(QWidget *parent, const QString &button) { child<QPushButton>(parent, button)->click(); }

// Types into a form's box the way the user would.
void type(QWidget *form, const QString &box, const QString &text)
{
    QWidget *w = child<QWidget>(form, box);
    QMetaObject::invokeMethod(w, "clear");
    QTest::keyClicks(w, text);
}

} // namespace

class tst_Suppliers : public QObject
{
    Q_OBJECT
private slots:
    void listLines()
    {
        TestDatabase db;
        insert(db, {samples[0], samples[2], samples[3]});
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
        QTest::newRow("update: both empty") << "cmUpdate" << "" << QStringList{"You must enter a company name", phone};
    }
    void checks()
    {
        QFETCH(QString, form);
        QFETCH(QString, company);
        QFETCH(QStringList, expected);
        TestDatabase db;
        insert(db, samples.mid(0, 1));
        MessageRecorder messages;
        ModalDriver driver([&](QDialog *d) {
            type(d, "txtCompany", company);
            type(d, "txtPhone", "");
            click(d, "cmSave");
            QVERIFY(d->isVisible());
            click(d, "cmCancel");
            QVERIFY(!d->isVisible());
        });
        fmSuppliers screen;
        click(&screen, form);
        QCOMPARE(messages.texts(), expected);
        QCOMPARE(messages.boxes.first().title, QStringLiteral("Invalid data"));
        QCOMPARE(db.count("suppliers"), 1);
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
        insert(db, samples.mid(0, 3));
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

    void deletes_data()
    {
        QTest::addColumn<int>("suppliers");      // how many samples are stored
        QTest::addColumn<bool>("cancelFirst");   // the first Delete is answered Cancel
        QTest::addColumn<QStringList>("listed"); // after the delete
        QTest::newRow("second of three, after a Cancel") << 3 << true << QStringList{"Zenith Flour", "Mid Labels"};
        QTest::newRow("the only one") << 1 << false << QStringList();
    }
    // Delete asks first; the browser then shows the first supplier left, or nothing.
    void deletes()
    {
        QFETCH(int, suppliers);
        QFETCH(bool, cancelFirst);
        QFETCH(QStringList, listed);
        TestDatabase db;
        insert(db, samples.mid(0, suppliers));
        MessageRecorder messages;
        if (cancelFirst)
            messages.answers << Msg::Answer::Cancel;
        ModalDriver driver([](QDialog *d) {
            for (int i = 0; i < 2 && d->isVisible(); ++i)
                click(d, "cmDelete");
        });
        fmSuppliers screen;
        click(&screen, "cmNext");
        click(&screen, "cmUpdate");
        const QString question = "Are you sure you want to delete this supplier?";
        QCOMPARE(messages.texts(), QStringList(cancelFirst ? 2 : 1, question));
        QCOMPARE(messages.boxes.first().title, QStringLiteral("Delete Supplier?"));
        QCOMPARE(messages.boxes.first().buttons, Msg::Buttons::OkCancel);
        QCOMPARE(db.count("suppliers"), suppliers - 1);
        QCOMPARE(comboItems(&screen), listed);
        QCOMPARE(shown(&screen, "lblCompany"), listed.value(0));
    }

    void limitRefusesSave()
    {
        TestDatabase db;
        for (int n = 1; n <= 98; ++n)
            insert(db, {{n, {QStringLiteral("Supplier %1").arg(n), "", "", "555", "", ""}}});
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
    void browseGoToAndPrint()
    {
        TestDatabase db;
        insert(db, samples);
        QTemporaryDir folder;
        Printer::setPdfDirectory(folder.path());
        MessageRecorder messages;
        fmSuppliers screen;
        QCOMPARE(screen.windowTitle(), QStringLiteral("Supplier Information"));
        QCOMPARE(comboItems(&screen), (QStringList{"Zenith Flour", "Acme Jars", "Mid Labels", "Bee Farm"}));
        auto *combo = child<QComboBox>(&screen, "cmbSupplier");
        combo->setEditText("Bee Farm");
        click(&screen, "cmSearch");
        QStringList values;
        for (const char *label : {"lblCompany", "lblContact", "lblAddress", "lblPhone", "lblEmail", "lblComments"})
            values << shown(&screen, label);
        QCOMPARE(values, samples[3].texts);

        combo->setEditText("Nobody Ltd");
        click(&screen, "cmSearch");
        click(&screen, "cmPrint");
        Printer::setPdfDirectory(QString());
        QCOMPARE(messages.texts(), (QStringList{"Supplier not found!", "Print entire supplier list?"}));
        QCOMPARE(QDir(folder.path()).entryList({"*Supplier-list.pdf"}, QDir::Files).size(), 1);
    }
};

QTEST_MAIN(tst_Suppliers)
#include "tst_suppliers.moc"
