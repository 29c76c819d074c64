// The administrative screen and its plain rules.

#include "GuiSupport.h"
#include "TestSupport.h"

#include "admin/AdminRules.h"
#include "admin/fmAdministrative.h"
#include "shell/MaskedEdit.h"
#include "shell/Navigator.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

// Stands in for the desktop's mail program.
class MailReceiver : public QObject
{
    Q_OBJECT
public:
    QStringList received;
public slots:
    void openMail(const QUrl &url) { received << url.toString(QUrl::FullyEncoded); }
};

namespace {

const QStringList Boxes = {"medtax", "medshipping", "medShippingOOT", "medInvQty"};
const QString QtyProblem = "The quantity for \"Notify me when Inventory is less than\" must "
                           "be a whole number from -32768 to 32767, such as 5.";

QList<double> settingsNow()
{
    const Settings &s = Settings::current();
    return {s.TaxRate, s.ShippingRate, s.ShippingOOTRate, double(s.ReminderQty)};
}

void click(QWidget *screen, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(screen, button), Qt::LeftButton);
}

// Replaces the box's text by typing, as a user would.
void typeInto(MaskedEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// "view" or "edit" as Save is hidden or shown, then "+" for each enabled box
// and "-" for each disabled one.
QString mode(QWidget *screen)
{
    QString state = child<QPushButton>(screen, "cmSave")->isHidden() ? "view" : "edit";
    for (const QString &name : Boxes)
        state += child<MaskedEdit>(screen, name)->isEnabled() ? "+" : "-";
    return state;
}

} // namespace

class tst_Admin : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Screens::clear(); }

    void rateKeys()
    {
        // Only 0-9 and "." pass; Backspace (character 8) is discarded like the rest.
        for (QChar c : QString("0123456789."))
            QVERIFY2(AdminRules::rateKeyPasses(c), qPrintable(QString(c)));
        for (QChar c : {QChar(8), QChar(u'-'), QChar(u'a'), QChar(0x0663)})
            QVERIFY2(!AdminRules::rateKeyPasses(c), qPrintable(QString::number(c.unicode())));
    }

    void check_data()
    {
        QTest::addColumn<QStringList>("texts"); // tax, shipping, out of town, reminder
        QTest::addColumn<QString>("result");    // the values, or the box of the first problem
        QTest::newRow("points and blanks") << QStringList{"8.", ".5", " 6.5 ", " 12 "} << "8 0.5 6.5 12";
        QTest::newRow("lowest reminder") << QStringList{"0", "0", "0", "-32768"} << "0 0 0 -32768";
        QTest::newRow("highest reminder") << QStringList{"0", "0", "0", "32767"} << "0 0 0 32767";
        QTest::newRow("first problem only") << QStringList{"7..5", "x", "x", "x"} << "medtax";
        QTest::newRow("negative rate") << QStringList{"-1", "1", "1", "1"} << "medtax";
        QTest::newRow("blank rate") << QStringList{"1", "  ", "1", "1"} << "medshipping";
        QTest::newRow("point alone") << QStringList{"1", "1", ".", "1"} << "medShippingOOT";
        QTest::newRow("highest rates") << QStringList{"100", "100.0", "0100", "1"} << "100 100 100 1";
        QTest::newRow("rate above 100") << QStringList{"1", "100.01", "1", "1"} << "medshipping";
        QTest::newRow("1e20 written out") << QStringList{"100000000000000000000", "1", "1", "1"} << "medtax";
        QTest::newRow("too large for a double") << QStringList{"1", "1", QString(400, u'9'), "1"} << "medShippingOOT";
        QTest::newRow("reminder above range") << QStringList{"1", "1", "1", "32768"} << "medInvQty";
        QTest::newRow("reminder below range") << QStringList{"1", "1", "1", "-32769"} << "medInvQty";
    }
    void check()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, result);
        const QHash<QString, QString> problems{
            {"medtax", "The sales tax rate must be a number from 0 to 100, such as 7.25."},
            {"medshipping", "The shipping rate must be a number from 0 to 100, such as 8.5."},
            {"medShippingOOT", "The out of town shipping rate must be a number from 0 to 100, such as 12.5."},
            {"medInvQty", QtyProblem},
        };
        const auto c = AdminRules::checkAdminTexts({texts[0], texts[1], texts[2], texts[3]});
        const AdminValues &v = c.values;
        const QStringList values{QString::number(v.tax), QString::number(v.shipping),
                                 QString::number(v.shippingoot), QString::number(v.invReminderqty)};
        QCOMPARE(c.ok() ? values.join(' ') : c.box, result);
        QCOMPARE(c.problem, problems.value(c.box));
    }

    void recipients_data()
    {
        QTest::addColumn<QVariantList>("emails");
        QTest::addColumn<QString>("list");
        const QVariant null = QVariant(QMetaType::fromType<QString>());
        QTest::newRow("empty and NULL skipped") << QVariantList{"a@x.com", "", null, "b@y.org"} << "a@x.com, b@y.org";
        QTest::newRow("blanks and duplicates kept")
            << QVariantList{" a@x.com", " ", "b@y.org ", "b@y.org "} << " a@x.com,  , b@y.org , b@y.org ";
    }
    void recipients()
    {
        QFETCH(QVariantList, emails);
        QFETCH(QString, list);
        QCOMPARE(AdminRules::recipientList(emails), list);
    }

    void captions()
    {
        TestDatabase t;
        fmAdministrative screen;
        QCOMPARE(screen.windowTitle(), QString("Administrative"));
        const QList<std::pair<QString, QString>> captions = {
            {"Label1", "Set Sales Tax: "}, {"Label3", "%"}, {"Label2", "Set Shipping rate:"}, {"Label4", "%"},
            {"Label9", "Set Shipping rate: (out of town)"}, {"Label10", "%"}, {"cmUpdate", "Update Values"},
            {"Label12", "Notify me when Inventory is less than:"}, {"cmSave", "Save"}, {"Frame2", "Suppliers"},
            {"cmSuppliers", "Add/Change"}, {"Frame1", "Marketing"}, {"cmRecipes", "Recipes"},
            {"cmEmail", "Create Email"}, {"cmHelp", "Help with CVN"}, {"Label11", "Corvana Version 2.3"},
        };
        for (const auto &[name, caption] : captions) {
            QWidget *w = child<QWidget>(&screen, name);
            QVERIFY2(w, qPrintable(name));
            const QVariant text = w->property("text"); // a group box has a title instead
            QCOMPARE(text.isValid() ? text.toString() : w->property("title").toString(), caption);
        }
    }

    void save_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<QString>("shown"); // by the box afterwards
        QTest::addColumn<QString>("row");   // stored afterwards
        QTest::addColumn<QString>("title");   // of the one message, if any
        QTest::addColumn<QString>("message"); // its start
        // Stored before each Save: 6.125 % (shown rounded as 6.13), 5 %, 10 %, reminder 4.
        // A box left alone keeps its stored value, not its rounded display. The rate
        // boxes discard what is neither a digit nor a point; the reminder box does not.
        const QString before = "6.125 5.0 10.0 4";
        QTest::newRow("tax keeps three decimals") << "medtax" << "7.255" << false << "7.26" << "7.255 5.0 10.0 4"
                                                  << "" << "";
        QTest::newRow("shipping, a letter discarded") << "medshipping" << "8a.5" << false << "8.50"
                                                      << "6.125 8.5 10.0 4" << "" << "";
        QTest::newRow("out of town, a minus discarded") << "medShippingOOT" << "-12" << false << "12.00"
                                                        << "6.125 5.0 12.0 4" << "" << "";
        QTest::newRow("reminder takes a minus") << "medInvQty" << "-3" << false << "-3" << "6.125 5.0 10.0 -3"
                                                << "" << "";
        // A refused Save keeps the typed text; a second Update while editing and
        // closing the screen change nothing either.
        QTest::newRow("invalid reminder") << "medInvQty" << "2.5" << false << "2.5" << before
                                          << "Invalid data" << QtyProblem;
        QTest::newRow("database refuses")
            << "medshipping" << "8.5" << true << "8.5" << before
            << "Administrative" << "The business defaults could not be saved.\n\nThe database refused the values: disk is full.";
    }
    // Opening shows the stored row rounded; the settings follow the stored row.
    void save()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, writeFails);
        QFETCH(QString, shown);
        QFETCH(QString, row);
        QFETCH(QString, title);
        QFETCH(QString, message);
        TestDatabase t;
        QVERIFY(t.exec("UPDATE admin SET tax = 6.125, shipping = 5, shippingoot = 10, invReminderqty = 4"));
        if (writeFails)
            QVERIFY(t.exec("CREATE TRIGGER refuse BEFORE UPDATE ON admin BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
        MessageRecorder recorder;
        fmAdministrative screen;
        screen.show();
        QStringList opened;
        for (const QString &box : Boxes)
            opened << child<MaskedEdit>(&screen, box)->Text();
        QCOMPARE(opened, (QStringList{"6.13", "5.00", "10.00", "4"}));
        QCOMPARE(settingsNow(), (QList<double>{0.06125, 0.05, 0.1, 4}));
        QCOMPARE(mode(&screen), "view----");

        click(&screen, "cmUpdate");
        QCOMPARE(mode(&screen), "edit++++");
        typeInto(child<MaskedEdit>(&screen, name), typed);
        click(&screen, "cmSave");
        if (!title.isEmpty())
            click(&screen, "cmUpdate");
        const Msg::Record shownMessage = recorder.boxes.value(0);
        QCOMPARE(recorder.boxes.size(), title.isEmpty() ? 0 : 1);
        QCOMPARE(shownMessage.title, title);
        QCOMPARE(shownMessage.text.left(message.size()), message);
        QCOMPARE(shownMessage.icon, writeFails ? Msg::Icon::Critical : Msg::Icon::None);
        QCOMPARE(mode(&screen), title.isEmpty() ? "view----" : "edit++++");
        QCOMPARE(child<MaskedEdit>(&screen, name)->Text(), shown);
        QVERIFY(screen.close());
        QCOMPARE(t.scalar("SELECT tax || ' ' || shipping || ' ' || shippingoot || ' ' || invReminderqty FROM admin").toString(),
                 row);
        const QStringList stored = row.split(' ');
        QCOMPARE(settingsNow(), (QList<double>{stored[0].toDouble() / 100, stored[1].toDouble() / 100,
                                               stored[2].toDouble() / 100, stored[3].toDouble()}));
    }

    void unchangedSaveStoresTheSame_data()
    {
        QTest::addColumn<double>("tax");
        QTest::addColumn<QString>("shown"); // by the tax box while viewing
        QTest::newRow("more digits than fifteen") << 0.1 + 0.2 << "0.30";
        QTest::newRow("many decimals") << 7.123456789012345 << "7.12";
        QTest::newRow("smallest step") << 5e-324 << "0.00";
    }
    // What Save stored comes back into the boxes digit for digit, so Update and
    // Save without a change store the same row.
    void unchangedSaveStoresTheSame()
    {
        QFETCH(double, tax);
        QFETCH(QString, shown);
        TestDatabase t;
        QVERIFY(t.exec("UPDATE admin SET tax = ?, shipping = 100, shippingoot = 0.5, invReminderqty = 4", {tax}));
        MessageRecorder recorder;
        fmAdministrative screen;
        screen.show();
        QCOMPARE(child<MaskedEdit>(&screen, "medtax")->Text(), shown);
        for (int round = 0; round < 2; ++round) {
            click(&screen, "cmUpdate");
            click(&screen, "cmSave");
        }
        QCOMPARE(recorder.texts(), QStringList());
        QCOMPARE(t.scalar("SELECT count(*) FROM admin WHERE tax = ? AND shipping = 100 AND shippingoot = 0.5",
                          {tax}).toInt(), 1);
        QCOMPARE(Settings::current().TaxRate, tax / 100);
    }

    // A rate beyond 100 %, pasted past the key filter or left by an older
    // version, is shown written out in the box's format and refused at Save.
    void rateAbove100Refused_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("pasted") << 7.25 << "100000000000000000000" << "7.25";
        QTest::newRow("stored") << 1e20 << "" << "100000000000000000000.00";
    }
    void rateAbove100Refused()
    {
        QFETCH(double, stored);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        TestDatabase t;
        QVERIFY(t.exec("UPDATE admin SET tax = ?", {stored}));
        MessageRecorder recorder;
        fmAdministrative screen;
        screen.show();
        auto *tax = child<MaskedEdit>(&screen, "medtax");
        QCOMPARE(tax->Text(), shown);
        click(&screen, "cmUpdate");
        if (!pasted.isEmpty()) {
            tax->selectAll();
            tax->insert(pasted);
        }
        click(&screen, "cmSave");
        QCOMPARE(recorder.texts(), QStringList{"The sales tax rate must be a number from 0 to 100, such as 7.25."});
        QCOMPARE(mode(&screen), "edit++++");
        QCOMPARE(t.scalar("SELECT tax FROM admin").toDouble(), stored);
    }

    // The customers are read again at each click, in the table's (key) order.
    void emailToAllCustomers()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (3, 'c@y.org'), (1, 'a@x.com'), (2, '')"));
        MailReceiver mail;
        QDesktopServices::setUrlHandler("mailto", &mail, "openMail");
        MessageRecorder messages;
        fmAdministrative screen;
        screen.show();
        QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (4, 'new@x.com')"));
        click(&screen, "cmEmail");
        QVERIFY(t.exec("DELETE FROM customer"));
        click(&screen, "cmEmail");
        const QStringList expected{"mailto:a@x.com,%20c@y.org,%20new@x.com?subject=", "mailto:?subject="};
        QCOMPARE(mail.received, expected);
        QVERIFY(messages.boxes.isEmpty());
        QDesktopServices::unsetUrlHandler("mailto");
    }

    void addChangeClosesListedScreens()
    {
        TestDatabase t;
        for (const QString &name : {"fmCustomers", "fmOrders", "fmBookkeeping", "fmInventory", "fmSuppliers"})
            Screens::add(name, {[=] { return new QLabel(name); }});
        Screens::add("fmRecipes", {[] { return new QLabel("fmRecipes"); }, false});
        Screens::add("fmAdministrative", {[] { return new fmAdministrative; }});

        fmMain main;
        main.show();
        Navigator *nav = main.navigator();
        for (const char *name : {"fmCustomers", "fmOrders", "fmBookkeeping", "fmInventory", "fmAdministrative"})
            QVERIFY(nav->open(name));
        QPointer<QWidget> admin = nav->find("fmAdministrative");

        click(admin, "cmRecipes");
        QVERIFY(nav->find("fmRecipes"));
        QCOMPARE(nav->find("fmAdministrative"), admin.data());

        click(admin, "cmSuppliers");
        for (const char *closed : {"fmCustomers", "fmOrders", "fmAdministrative", "fmBookkeeping"})
            QVERIFY2(!nav->find(closed), closed);
        for (const char *open : {"fmSuppliers", "fmInventory", "fmRecipes"})
            QVERIFY2(nav->find(open) && nav->find(open)->isVisible(), open);
        QTRY_VERIFY(admin.isNull());
    }

    void helpOpensModally()
    {
        TestDatabase t;
        fmAdministrative screen;
        screen.show();
        ModalDriver driver([&](QDialog *d) { QVERIFY(d->isModal() && d->isVisible()); });
        click(&screen, "cmHelp");
        QCOMPARE(driver.opened, QStringList{"fmHelp"});
    }
};

QTEST_MAIN(tst_Admin)
#include "tst_admin.moc"
