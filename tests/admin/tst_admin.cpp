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
#include <memory>

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

void storeDefaults(const TestDatabase &t, double tax, double shipping, double oot, int qty)
{
    QVERIFY(t.exec("UPDATE admin SET tax = ?, shipping = ?, shippingoot = ?, invReminderqty = ?",
                   {tax, shipping, oot, qty}));
}

// The stored tax, shipping, out of town shipping and reminder, blank-separated.
QString adminRow(const TestDatabase &t)
{
    return t.scalar("SELECT tax || ' ' || shipping || ' ' || shippingoot || ' ' || invReminderqty FROM admin")
        .toString();
}

QList<double> settingsNow()
{
    const Settings &s = Settings::current();
    return {s.TaxRate, s.ShippingRate, s.ShippingOOTRate, double(s.ReminderQty)};
}

std::unique_ptr<fmAdministrative> openAdmin()
{
    auto screen = std::make_unique<fmAdministrative>();
    screen->show();
    if (!QTest::qWaitForWindowActive(screen.get()))
        qWarning("the administrative screen did not become active");
    return screen;
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

// "editing" when every box is enabled and Save is shown, "viewing" when no box
// is and Save is hidden, "mixed" otherwise.
const char *mode(QWidget *screen)
{
    QList<bool> open{!child<QPushButton>(screen, "cmSave")->isHidden()};
    for (const QString &name : Boxes)
        open << child<MaskedEdit>(screen, name)->isEnabled();
    if (!open.contains(false))
        return "editing";
    return open.contains(true) ? "mixed" : "viewing";
}

} // namespace

class tst_Admin : public QObject
{
    Q_OBJECT
    MailReceiver mail;

private slots:
    void init()
    {
        mail.received.clear();
        QDesktopServices::setUrlHandler("mailto", &mail, "openMail");
    }

    void cleanup()
    {
        QDesktopServices::unsetUrlHandler("mailto");
        Screens::clear();
    }

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
        QTest::newRow("currency") << QStringList{"1", "$5", "1", "1"} << "medshipping";
        QTest::newRow("point alone") << QStringList{"1", "1", ".", "1"} << "medShippingOOT";
        QTest::newRow("too large for a double") << QStringList{"1", "1", QString(400, u'9'), "1"} << "medShippingOOT";
        QTest::newRow("reminder above range") << QStringList{"1", "1", "1", "32768"} << "medInvQty";
        QTest::newRow("reminder below range") << QStringList{"1", "1", "1", "-32769"} << "medInvQty";
        QTest::newRow("reminder fraction") << QStringList{"1", "1", "1", "2.5"} << "medInvQty";
    }

    void check()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, result);

        const QHash<QString, QString> problems{
            {"medtax", "The sales tax rate must be a number, such as 7.25."},
            {"medshipping", "The shipping rate must be a number, such as 8.5."},
            {"medShippingOOT", "The out of town shipping rate must be a number, such as 12.5."},
            {"medInvQty", "The quantity for \"Notify me when Inventory is less than\" must "
                          "be a whole number from -32768 to 32767, such as 5."},
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
        QTest::newRow("none left") << QVariantList{"", null} << "";
        QTest::newRow("blanks kept") << QVariantList{" a@x.com", " ", "b@y.org "} << " a@x.com,  , b@y.org ";
        QTest::newRow("duplicates kept") << QVariantList{"a@x.com", "a@x.com"} << "a@x.com, a@x.com";
        QTest::newRow("special characters as stored")
            << QVariantList{"a?b@x.com", "c&d@y.org", "e#f@z"} << "a?b@x.com, c&d@y.org, e#f@z";
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
            {"Label1", "Set Sales Tax: "}, {"Label3", "%"},
            {"Label2", "Set Shipping rate:"}, {"Label4", "%"},
            {"Label9", "Set Shipping rate: (out of town)"}, {"Label10", "%"},
            {"Label12", "Notify me when Inventory is less than:"},
            {"cmUpdate", "Update Values"}, {"cmSave", "Save"},
            {"Frame2", "Suppliers"}, {"cmSuppliers", "Add/Change"},
            {"Frame1", "Marketing"}, {"cmRecipes", "Recipes"}, {"cmEmail", "Create Email"},
            {"cmHelp", "Help with CVN"}, {"Label11", "Corvana Version 2.3"},
        };
        for (const auto &[name, caption] : captions) {
            QWidget *w = child<QWidget>(&screen, name);
            QVERIFY2(w, qPrintable(name));
            const QVariant text = w->property("text"); // a group box has a title instead
            QCOMPARE(text.isValid() ? text.toString() : w->property("title").toString(), caption);
        }
        QCOMPARE(child<QWidget>(&screen, "cmSuppliers")->parentWidget()->objectName(), QString("Frame2"));
        QCOMPARE(child<QWidget>(&screen, "cmRecipes")->parentWidget()->objectName(), QString("Frame1"));
        QCOMPARE(child<QWidget>(&screen, "cmEmail")->parentWidget()->objectName(), QString("Frame1"));
    }

    void loadShowsTheStoredRowEachTime()
    {
        TestDatabase t;
        storeDefaults(t, 6.125, 8.5, 12, -2);
        MessageRecorder messages;
        {
            fmAdministrative first;
            QStringList shown;
            for (const QString &name : Boxes)
                shown << child<MaskedEdit>(&first, name)->Text();
            QCOMPARE(shown, (QStringList{"6.13", "8.50", "12.00", "-2"}));
            QCOMPARE(settingsNow(), (QList<double>{0.06125, 0.085, 0.12, -2}));
            QCOMPARE(mode(&first), "viewing");
        }
        storeDefaults(t, 6, 3, 4, 2);
        fmAdministrative second;
        QCOMPARE(child<MaskedEdit>(&second, "medtax")->Text(), QString("6.00"));
        QCOMPARE(settingsNow(), (QList<double>{0.06, 0.03, 0.04, 2}));
        QVERIFY(messages.boxes.isEmpty());
    }

    void saveStores_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("row");

        // Stored before each Save: 6.125 % (shown rounded as 6.13), 5 %, 10 %, reminder 4.
        // A box left alone keeps its stored value, not its rounded display. The rate
        // boxes discard what is neither a digit nor a point; the reminder box does not.
        QTest::newRow("tax keeps three decimals") << "medtax" << "7.255" << "7.26" << "7.255 5.0 10.0 4";
        QTest::newRow("shipping, a letter discarded") << "medshipping" << "8a.5" << "8.50" << "6.125 8.5 10.0 4";
        QTest::newRow("out of town, a minus discarded") << "medShippingOOT" << "-12" << "12.00" << "6.125 5.0 12.0 4";
        QTest::newRow("reminder takes a minus") << "medInvQty" << "-3" << "-3" << "6.125 5.0 10.0 -3";
    }

    void saveStores()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, row);

        TestDatabase t;
        storeDefaults(t, 6.125, 5, 10, 4);
        MessageRecorder messages;
        auto screen = openAdmin();
        click(screen.get(), "cmUpdate");
        typeInto(child<MaskedEdit>(screen.get(), name), typed);
        click(screen.get(), "cmSave");

        QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(adminRow(t), row);
        QCOMPARE(mode(screen.get()), "viewing");
        QCOMPARE(child<MaskedEdit>(screen.get(), name)->Text(), shown);
    }

    void refusedSave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("invalid reminder") << "medInvQty" << "2.5" << false << "Invalid data" << "whole number";
        QTest::newRow("database refuses") << "medshipping" << "8.5" << true << "Administrative"
                                          << "The business defaults could not be saved.\n\ndisk is full";
    }

    // A refused Save keeps the typed texts, the stored row and the settings; a
    // second Update while editing and closing the screen change nothing either.
    void refusedSave()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, writeFails);
        QFETCH(QString, title);
        QFETCH(QString, mentions);

        TestDatabase t;
        storeDefaults(t, 6, 5, 10, 4);
        if (writeFails)
            QVERIFY(t.exec("CREATE TRIGGER refuse BEFORE UPDATE ON admin BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
        MessageRecorder messages;
        auto screen = openAdmin();
        click(screen.get(), "cmUpdate");
        typeInto(child<MaskedEdit>(screen.get(), "medtax"), "9");
        typeInto(child<MaskedEdit>(screen.get(), name), typed);
        click(screen.get(), "cmSave");
        click(screen.get(), "cmUpdate");

        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].title, title);
        QCOMPARE(messages.boxes[0].icon, writeFails ? Msg::Icon::Critical : Msg::Icon::None);
        QCOMPARE(messages.boxes[0].buttons, Msg::Buttons::Ok);
        QVERIFY2(messages.boxes[0].text.contains(mentions), qPrintable(messages.boxes[0].text));
        QCOMPARE(mode(screen.get()), "editing");
        QCOMPARE(child<MaskedEdit>(screen.get(), "medtax")->Text(), QString("9"));
        QCOMPARE(child<MaskedEdit>(screen.get(), name)->Text(), typed);

        QVERIFY(screen->close());
        screen.reset();
        QCOMPARE(adminRow(t), QString("6.0 5.0 10.0 4"));
        QCOMPARE(settingsNow(), (QList<double>{0.06, 0.05, 0.1, 4}));
    }

    void emailToAllCustomers()
    {
        TestDatabase t;
        // Inserted out of key order; the table's order is its key order.
        QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (3, 'c&d@y.org'), (1, 'a?b@x.com'), (2, '')"));
        MessageRecorder messages;
        auto screen = openAdmin();

        // The customers are read again at each click.
        QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (4, 'new@x.com')"));
        click(screen.get(), "cmEmail");
        QVERIFY(t.exec("DELETE FROM customer"));
        click(screen.get(), "cmEmail");

        QCOMPARE(mail.received, (QStringList{"mailto:a%3Fb@x.com,%20c%26d@y.org,%20new@x.com?subject=",
                                             "mailto:?subject="}));
        QVERIFY(messages.boxes.isEmpty());
    }

    void addChangeClosesListedScreens()
    {
        TestDatabase t;
        const auto fakeScreen = [](const QString &name) {
            auto *w = new QLabel(name);
            w->setWindowTitle(name);
            return static_cast<QWidget *>(w);
        };
        for (const QString &name : {"fmCustomers", "fmOrders", "fmBookkeeping", "fmInventory", "fmSuppliers"})
            Screens::add(name, {[=] { return fakeScreen(name); }});
        Screens::add("fmRecipes", {[=] { return fakeScreen("fmRecipes"); }, false});
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
        auto screen = openAdmin();
        bool wasModal = false;
        ModalDriver driver([&](QDialog *d) { wasModal = d->isModal() && d->isVisible(); });
        click(screen.get(), "cmHelp");

        QCOMPARE(driver.opened, QStringList{"fmHelp"});
        QVERIFY(wasModal);
        QVERIFY(screen->isVisible());
    }
};

QTEST_MAIN(tst_Admin)
#include "tst_admin.moc"
