#include "GuiSupport.h"
#include "TestSupport.h"

#include "admin/fmAdministrative.h"
#include "data/Mailto.h"
#include "shell/MaskedEdit.h"
#include "shell/Navigator.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QDesktopServices>
#include <QGroupBox>
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

void storeDefaults(const TestDatabase &t, double tax, double shipping, double oot, int qty)
{
    QVERIFY(t.exec("UPDATE admin SET tax = ?, shipping = ?, shippingoot = ?, invReminderqty = ?",
                   {tax, shipping, oot, qty}));
}

QVariantList adminRow(const TestDatabase &t)
{
    QSqlQuery q(t.db());
    q.exec("SELECT tax, shipping, shippingoot, invReminderqty, party_profit, reorder_profit FROM admin");
    QVariantList row;
    if (q.next()) {
        for (int i = 0; i < 6; ++i)
            row << q.value(i);
    }
    return row;
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

MaskedEdit *box(QWidget *screen, const QString &name)
{
    return child<MaskedEdit>(screen, name);
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
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

bool editing(QWidget *screen)
{
    for (const char *name : {"medtax", "medshipping", "medShippingOOT", "medInvQty"}) {
        if (!box(screen, name)->isEnabled())
            return false;
    }
    return child<QPushButton>(screen, "cmSave")->isVisible();
}

bool viewing(QWidget *screen)
{
    for (const char *name : {"medtax", "medshipping", "medShippingOOT", "medInvQty"}) {
        if (box(screen, name)->isEnabled())
            return false;
    }
    return !child<QPushButton>(screen, "cmSave")->isVisible();
}

QWidget *fakeScreen(const QString &name)
{
    auto *w = new QLabel(name);
    w->setWindowTitle(name);
    return w;
}

} // namespace

class tst_Admin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captions_data();
    void captions();
    void loadShowsStoredValues_data();
    void loadShowsStoredValues();
    void loadReadsTheRowEachTime();
    void rateKeyFilter_data();
    void rateKeyFilter();
    void saveStoresAndAppliesAtOnce_data();
    void saveStoresAndAppliesAtOnce();
    void refusedSave_data();
    void refusedSave();
    void databaseFailureKeepsEditing();
    void updateTwiceChangesNothing();
    void closeWhileEditingWritesNothing();
    void emailToAllCustomers_data();
    void emailToAllCustomers();
    void emailRereadsCustomers();
    void addChangeClosesListedScreens();
    void helpOpensModally();

private:
    MailReceiver mail;
};

void tst_Admin::init()
{
    Screens::clear();
    mail.received.clear();
    QDesktopServices::setUrlHandler("mailto", &mail, "openMail");
}

void tst_Admin::cleanup()
{
    QDesktopServices::unsetUrlHandler("mailto");
    Screens::clear();
}

void tst_Admin::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    const QStringList pairs = {
        "Label1", "Set Sales Tax: ", "Label3", "%", "Label2", "Set Shipping rate:", "Label4", "%",
        "Label9", "Set Shipping rate: (out of town)", "Label10", "%",
        "Label12", "Notify me when Inventory is less than:", "cmUpdate", "Update Values", "cmSave", "Save",
        "Frame2", "Suppliers", "cmSuppliers", "Add/Change", "Frame1", "Marketing", "cmRecipes", "Recipes",
        "cmEmail", "Create Email", "cmHelp", "Help with CVN", "Label11", "Corvana Version 2.3",
    };
    for (qsizetype i = 0; i < pairs.size(); i += 2)
        QTest::newRow(qPrintable(pairs[i])) << pairs[i] << pairs[i + 1];
}

void tst_Admin::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);

    TestDatabase t;
    fmAdministrative screen;
    QCOMPARE(screen.windowTitle(), QString("Administrative"));
    QWidget *w = screen.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    if (auto *label = qobject_cast<QLabel *>(w))
        QCOMPARE(label->text(), caption);
    else if (auto *button = qobject_cast<QPushButton *>(w))
        QCOMPARE(button->text(), caption);
    else
        QCOMPARE(qobject_cast<QGroupBox *>(w)->title(), caption);
    if (name == "cmSuppliers")
        QCOMPARE(w->parentWidget()->objectName(), QString("Frame2"));
    if (name == "cmRecipes" || name == "cmEmail")
        QCOMPARE(w->parentWidget()->objectName(), QString("Frame1"));
}

void tst_Admin::loadShowsStoredValues_data()
{
    QTest::addColumn<double>("tax");
    QTest::addColumn<double>("shipping");
    QTest::addColumn<double>("oot");
    QTest::addColumn<int>("qty");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QList<double>>("settings");

    QTest::newRow("typical") << 7.25 << 8.5 << 12.0 << 5 << QStringList{"7.25", "8.50", "12.00", "5"}
                             << QList<double>{0.0725, 0.085, 0.12, 5};
    QTest::newRow("all zero") << 0.0 << 0.0 << 0.0 << 0 << QStringList{"0.00", "0.00", "0.00", "0"}
                              << QList<double>{0, 0, 0, 0};
    QTest::newRow("fraction of a cent") << 6.125 << 10.0 << 0.5 << -2
                                        << QStringList{"6.13", "10.00", "0.50", "-2"}
                                        << QList<double>{0.06125, 0.1, 0.005, -2};
}

void tst_Admin::loadShowsStoredValues()
{
    QFETCH(double, tax);
    QFETCH(double, shipping);
    QFETCH(double, oot);
    QFETCH(int, qty);
    QFETCH(QStringList, shown);
    QFETCH(QList<double>, settings);

    TestDatabase t;
    storeDefaults(t, tax, shipping, oot, qty);
    MessageRecorder messages;
    fmAdministrative screen;

    const QStringList names = {"medtax", "medshipping", "medShippingOOT", "medInvQty"};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(box(&screen, names[i])->Text(), shown[i]);
    QCOMPARE(settingsNow(), settings);
    QVERIFY(viewing(&screen));
    QVERIFY(messages.boxes.isEmpty());
}

void tst_Admin::loadReadsTheRowEachTime()
{
    TestDatabase t;
    storeDefaults(t, 7.25, 5, 9, 4);
    { fmAdministrative first; }
    storeDefaults(t, 6, 3, 4, 2);
    QCOMPARE(Settings::current().TaxRate, 0.0725);

    fmAdministrative second;
    QCOMPARE(box(&second, "medtax")->Text(), QString("6.00"));
    QCOMPARE(settingsNow(), (QList<double>{0.06, 0.03, 0.04, 2}));
}

void tst_Admin::rateKeyFilter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("after");

    QTestEventList letter, minus, typed, backspace, del, replace, qtyBackspace;
    letter.addKeyClick(Qt::Key_End);
    letter.addKeyClicks("a");
    minus.addKeyClick(Qt::Key_Home);
    minus.addKeyClicks("-");
    typed.addKeyClicks("7.5");
    backspace.addKeyClick(Qt::Key_End);
    backspace.addKeyClick(Qt::Key_Backspace);
    del.addKeyClick(Qt::Key_Home);
    del.addKeyClick(Qt::Key_Delete);
    replace.addKeyClick(Qt::Key_A, Qt::ControlModifier);
    replace.addKeyClicks("9");
    qtyBackspace.addKeyClick(Qt::Key_End);
    qtyBackspace.addKeyClick(Qt::Key_Backspace);
    qtyBackspace.addKeyClicks("x-");

    QTest::newRow("letter ignored") << "medtax" << "7.25" << letter << "7.25";
    QTest::newRow("minus ignored") << "medtax" << "7.25" << minus << "7.25";
    QTest::newRow("digits and point") << "medtax" << "" << typed << "7.5";
    QTest::newRow("backspace ignored") << "medtax" << "7.25" << backspace << "7.25";
    QTest::newRow("delete deletes") << "medtax" << "7.25" << del << ".25";
    QTest::newRow("select all, then type") << "medtax" << "7.25" << replace << "9";
    QTest::newRow("shipping filtered too") << "medshipping" << "8.5" << letter << "8.5";
    QTest::newRow("out of town filtered too") << "medShippingOOT" << "8.5" << backspace << "8.5";
    QTest::newRow("reminder not filtered") << "medInvQty" << "12" << qtyBackspace << "1x-";
}

void tst_Admin::rateKeyFilter()
{
    QFETCH(QString, name);
    QFETCH(QString, before);
    QFETCH(QTestEventList, keys);
    QFETCH(QString, after);

    TestDatabase t;
    auto screen = openAdmin();
    click(screen.get(), "cmUpdate");
    MaskedEdit *edit = box(screen.get(), name);
    edit->setFocus();
    edit->setText(before);
    keys.simulate(edit);
    QCOMPARE(edit->Text(), after);
}

void tst_Admin::saveStoresAndAppliesAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QVariantList>("row");
    QTest::addColumn<QList<double>>("settings");

    // Stored before each Save: 6.125 % (shown rounded as 6.13), 5 %, 10 %, reminder 4.
    // A box left alone keeps its stored value, not its rounded display.
    QTest::newRow("shipping 8.5") << "medshipping" << "8.5" << "8.50" << QVariantList{6.125, 8.5, 10.0, 4}
                                  << QList<double>{0.06125, 0.085, 0.1, 4};
    QTest::newRow("tax 7.25") << "medtax" << "7.25" << "7.25" << QVariantList{7.25, 5.0, 10.0, 4}
                              << QList<double>{0.0725, 0.05, 0.1, 4};
    QTest::newRow("out of town 12") << "medShippingOOT" << "12" << "12.00" << QVariantList{6.125, 5.0, 12.0, 4}
                                    << QList<double>{0.06125, 0.05, 0.12, 4};
    QTest::newRow("three decimals kept") << "medtax" << "7.255" << "7.26" << QVariantList{7.255, 5.0, 10.0, 4}
                                         << QList<double>{0.07255, 0.05, 0.1, 4};
    QTest::newRow("reminder 3") << "medInvQty" << "3" << "3" << QVariantList{6.125, 5.0, 10.0, 3}
                                << QList<double>{0.06125, 0.05, 0.1, 3};
    QTest::newRow("rate zero") << "medshipping" << "0" << "0.00" << QVariantList{6.125, 0.0, 10.0, 4}
                               << QList<double>{0.06125, 0, 0.1, 4};
}

void tst_Admin::saveStoresAndAppliesAtOnce()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QVariantList, row);
    QFETCH(QList<double>, settings);

    TestDatabase t;
    storeDefaults(t, 6.125, 5, 10, 4);
    MessageRecorder messages;
    auto screen = openAdmin();
    click(screen.get(), "cmUpdate");
    typeInto(box(screen.get(), name), typed);
    click(screen.get(), "cmSave");

    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.texts().join('\n')));
    QCOMPARE(adminRow(t).mid(0, 4), row);
    QCOMPARE(settingsNow(), settings);
    QVERIFY(viewing(screen.get()));
    QCOMPARE(box(screen.get(), name)->Text(), shown);
}

void tst_Admin::refusedSave_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("tax empty") << "medtax" << "" << "sales tax";
    QTest::newRow("tax two points") << "medtax" << "7..5" << "sales tax";
    QTest::newRow("shipping point alone") << "medshipping" << "." << "shipping rate";
    QTest::newRow("out of town empty") << "medShippingOOT" << "" << "out of town";
    QTest::newRow("reminder fraction") << "medInvQty" << "2.5" << "whole number";
    QTest::newRow("reminder letters") << "medInvQty" << "abc" << "whole number";
    QTest::newRow("reminder empty") << "medInvQty" << "" << "whole number";
    QTest::newRow("reminder too large") << "medInvQty" << "40000" << "whole number";
}

void tst_Admin::refusedSave()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, mentions);

    TestDatabase t;
    storeDefaults(t, 6, 5, 10, 4);
    MessageRecorder messages;
    auto screen = openAdmin();
    const QVariantList rowBefore = adminRow(t);
    const QList<double> settingsBefore = settingsNow();

    click(screen.get(), "cmUpdate");
    typeInto(box(screen.get(), "medtax"), "9");
    typeInto(box(screen.get(), name), typed);
    click(screen.get(), "cmSave");

    QCOMPARE(messages.boxes.size(), 1);
    QCOMPARE(messages.boxes[0].title, QString("Invalid data"));
    QCOMPARE(messages.boxes[0].icon, Msg::Icon::None);
    QCOMPARE(messages.boxes[0].buttons, Msg::Buttons::Ok);
    QVERIFY2(messages.boxes[0].text.contains(mentions), qPrintable(messages.boxes[0].text));
    QCOMPARE(adminRow(t), rowBefore);
    QCOMPARE(settingsNow(), settingsBefore);
    QVERIFY(editing(screen.get()));
    QCOMPARE(box(screen.get(), name)->Text(), typed);
}

void tst_Admin::databaseFailureKeepsEditing()
{
    TestDatabase t;
    storeDefaults(t, 6, 5, 10, 4);
    QVERIFY(t.exec("CREATE TRIGGER refuse BEFORE UPDATE ON admin BEGIN SELECT RAISE(ABORT, 'disk is full'); END"));
    MessageRecorder messages;
    auto screen = openAdmin();
    const QList<double> settingsBefore = settingsNow();

    click(screen.get(), "cmUpdate");
    typeInto(box(screen.get(), "medshipping"), "8.5");
    click(screen.get(), "cmSave");

    QCOMPARE(messages.boxes.size(), 1);
    QVERIFY2(messages.boxes[0].text.contains("disk is full"), qPrintable(messages.boxes[0].text));
    QCOMPARE(messages.boxes[0].icon, Msg::Icon::Critical);
    QCOMPARE(adminRow(t).mid(0, 4), (QVariantList{6.0, 5.0, 10.0, 4}));
    QCOMPARE(settingsNow(), settingsBefore);
    QVERIFY(editing(screen.get()));
    QCOMPARE(box(screen.get(), "medshipping")->Text(), QString("8.5"));
}

void tst_Admin::updateTwiceChangesNothing()
{
    TestDatabase t;
    storeDefaults(t, 6, 5, 10, 4);
    MessageRecorder messages;
    auto screen = openAdmin();
    const QVariantList rowBefore = adminRow(t);

    click(screen.get(), "cmUpdate");
    typeInto(box(screen.get(), "medtax"), "9.5");
    typeInto(box(screen.get(), "medInvQty"), "2.5");
    click(screen.get(), "cmUpdate");

    QVERIFY(editing(screen.get()));
    QCOMPARE(box(screen.get(), "medtax")->Text(), QString("9.5"));
    QCOMPARE(box(screen.get(), "medInvQty")->Text(), QString("2.5"));
    QCOMPARE(adminRow(t), rowBefore);
    QVERIFY(messages.boxes.isEmpty());
}

void tst_Admin::closeWhileEditingWritesNothing()
{
    TestDatabase t;
    storeDefaults(t, 6, 5, 10, 4);
    auto screen = openAdmin();
    const QVariantList rowBefore = adminRow(t);
    const QList<double> settingsBefore = settingsNow();

    click(screen.get(), "cmUpdate");
    typeInto(box(screen.get(), "medtax"), "9.5");
    QVERIFY(screen->close());
    screen.reset();

    QCOMPARE(adminRow(t), rowBefore);
    QCOMPARE(settingsNow(), settingsBefore);
}

void tst_Admin::emailToAllCustomers_data()
{
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QString>("recipients");

    QTest::newRow("A, none, B") << QStringList{"a@x.com", "", "b@y.org"} << "a@x.com, b@y.org";
    QTest::newRow("all empty") << QStringList{"", ""} << "";
    QTest::newRow("no customers") << QStringList{} << "";
    QTest::newRow("blanks kept") << QStringList{" a@x.com", "b@y.org "} << " a@x.com, b@y.org ";
    QTest::newRow("duplicates kept") << QStringList{"a@x.com", "a@x.com"} << "a@x.com, a@x.com";
    QTest::newRow("characters that would cut the list")
        << QStringList{"a?b@x.com", "c&d@y.org", "e#f@z", "g%41@q"} << "a?b@x.com, c&d@y.org, e#f@z, g%41@q";
}

void tst_Admin::emailToAllCustomers()
{
    QFETCH(QStringList, emails);
    QFETCH(QString, recipients);

    TestDatabase t;
    for (int i = 0; i < emails.size(); ++i)
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name, email) VALUES (?, ?, ?)",
                       {i + 1, QString("Customer %1").arg(i + 1), emails[i]}));
    MessageRecorder messages;
    auto screen = openAdmin();
    click(screen.get(), "cmEmail");

    QCOMPARE(mail.received, QStringList{Mailto::build(MailMessage{recipients, {}, {}, false})});
    QVERIFY(mail.received[0].endsWith("?subject="));
    QCOMPARE(Mailto::parse(mail.received[0]).to, recipients);
    QVERIFY(messages.boxes.isEmpty());
}

void tst_Admin::emailRereadsCustomers()
{
    TestDatabase t;
    QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (1, 'a@x.com')"));
    auto screen = openAdmin();

    QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (2, 'new@x.com')"));
    click(screen.get(), "cmEmail");
    QVERIFY(t.exec("DELETE FROM customer"));
    click(screen.get(), "cmEmail");

    QCOMPARE(mail.received, (QStringList{"mailto:a@x.com,%20new@x.com?subject=", "mailto:?subject="}));
}

void tst_Admin::addChangeClosesListedScreens()
{
    TestDatabase t;
    const QStringList fakes = {"fmCustomers", "fmOrders", "fmBookkeeping", "fmInventory", "fmSuppliers"};
    for (const QString &name : fakes)
        Screens::add(name, {[name] { return fakeScreen(name); }});
    Screens::add("fmRecipes", {[] { return fakeScreen("fmRecipes"); }, false});
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

void tst_Admin::helpOpensModally()
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

QTEST_MAIN(tst_Admin)
#include "tst_admin.moc"
