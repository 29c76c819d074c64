#include "GuiSupport.h"

#include "shell/Navigator.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <algorithm>

namespace {

const QStringList ScreenNames = {"fmCustomers", "fmInventory", "fmOrders", "fmBookkeeping", "fmAdministrative",
                                 "fmSuppliers"};

// Plain widgets standing in for the screens; every one ever made is remembered.
struct FakeScreens
{
    QHash<QString, int> created;
    QMultiHash<QString, QPointer<QWidget>> made;

    void registerAll()
    {
        for (const QString &name : ScreenNames) {
            // The suppliers screen is a window of its own; the rest live in the main window.
            Screens::add(name, {[this, name] {
                                    ++created[name];
                                    auto *w = new QWidget;
                                    w->setWindowTitle(name);
                                    made.insert(name, w);
                                    return w;
                                },
                                name != "fmSuppliers"});
        }
    }

    // The screens still existing, one entry per live instance.
    QStringList alive() const
    {
        QStringList names;
        for (auto it = made.cbegin(); it != made.cend(); ++it)
            if (it.value())
                names << it.key();
        names.sort();
        return names;
    }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList loaded(fmMain &main)
{
    QStringList names;
    for (const QString &name : ScreenNames)
        if (main.navigator()->find(name))
            names << name;
    names.sort();
    return names;
}

} // namespace

class tst_Main : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Screens::clear();
        m_fakes = FakeScreens{};
        m_fakes.registerAll();
    }

    void cleanup()
    {
        flushDeletes();
        Screens::clear();
    }

    void windowAndButtons()
    {
        fmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.windowTitle(), QString("Corvana - 2.3 Welcome"));

        const QList<QPair<QString, QString>> buttons = {
            {"cmCustomers", "Customers"}, {"cmInventory", "Inventory"},        {"cmOrders", "Orders"},
            {"cmBookKeeping", "Bookkeeping"}, {"cmadministrative", "Administrative"}, {"cmExit", "Exit"}};
        int lastX = -1;
        for (const auto &[name, caption] : buttons) {
            auto *b = child<QPushButton>(&main, name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->text(), caption);
            QVERIFY(b->isVisible());
            const int x = b->mapTo(&main, QPoint(0, 0)).x();
            QVERIFY2(x > lastX, qPrintable(name + " is not right of the button before it"));
            lastX = x;
        }
        QVERIFY(loaded(main).isEmpty()); // no screen until a button asks for one
    }

    void navigation_data()
    {
        QTest::addColumn<QStringList>("steps"); // a button, "open:<screen>" or "close:<screen>"
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<int>("created");

        QTest::newRow("inventory twice reloads it") << QStringList{"cmInventory", "cmInventory"}
                                                    << QStringList{"fmInventory"} << "fmInventory" << 2;
        QTest::newRow("customers twice keeps it") << QStringList{"cmCustomers", "cmCustomers"}
                                                  << QStringList{"fmCustomers"} << "fmCustomers" << 1;
        QTest::newRow("customers leaves inventory open") << QStringList{"cmInventory", "cmCustomers"}
                                                         << QStringList{"fmCustomers", "fmInventory"}
                                                         << "fmInventory" << 1;
        QTest::newRow("inventory closes customers") << QStringList{"cmCustomers", "cmInventory"}
                                                    << QStringList{"fmInventory"} << "fmCustomers" << 1;
        QTest::newRow("orders closes both") << QStringList{"cmInventory", "cmCustomers", "cmOrders"}
                                            << QStringList{"fmOrders"} << "fmOrders" << 1;
        QTest::newRow("bookkeeping closes both") << QStringList{"cmInventory", "cmCustomers", "cmBookKeeping"}
                                                 << QStringList{"fmBookkeeping"} << "fmBookkeeping" << 1;
        QTest::newRow("administrative closes both")
            << QStringList{"cmInventory", "cmCustomers", "cmadministrative"} << QStringList{"fmAdministrative"}
            << "fmAdministrative" << 1;
        QTest::newRow("customers closes administrative") << QStringList{"cmadministrative", "cmCustomers"}
                                                         << QStringList{"fmCustomers"} << "fmAdministrative" << 1;
        QTest::newRow("orders leaves suppliers open") << QStringList{"open:fmSuppliers", "cmOrders"}
                                                      << QStringList{"fmOrders", "fmSuppliers"} << "fmSuppliers" << 1;
        QTest::newRow("customers closes suppliers") << QStringList{"open:fmSuppliers", "cmOrders", "cmCustomers"}
                                                    << QStringList{"fmCustomers"} << "fmSuppliers" << 1;
        QTest::newRow("suppliers opened twice is one") << QStringList{"open:fmSuppliers", "open:fmSuppliers"}
                                                       << QStringList{"fmSuppliers"} << "fmSuppliers" << 1;
        QTest::newRow("a screen closed by hand loads again")
            << QStringList{"cmCustomers", "close:fmCustomers", "cmCustomers"} << QStringList{"fmCustomers"}
            << "fmCustomers" << 2;
        QTest::newRow("a window closed by hand loads again")
            << QStringList{"open:fmSuppliers", "close:fmSuppliers", "open:fmSuppliers"} << QStringList{"fmSuppliers"}
            << "fmSuppliers" << 2;
    }

    void navigation()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, open);
        QFETCH(QString, counted);
        QFETCH(int, created);
        fmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        for (const QString &step : steps) {
            if (step.startsWith("open:")) {
                QVERIFY(main.navigator()->open(step.mid(5)));
            } else if (step.startsWith("close:")) {
                QWidget *w = main.navigator()->find(step.mid(6));
                QVERIFY(w);
                auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
                sub ? sub->close() : w->close();
            } else {
                auto *b = child<QPushButton>(&main, step);
                QVERIFY(b);
                b->click();
            }
            flushDeletes();
        }

        QCOMPARE(loaded(main), open);
        QCOMPARE(m_fakes.created.value(counted), created);
        // Exactly one instance of each open screen is left; every other one is gone.
        QCOMPARE(m_fakes.alive(), open);
        for (const QString &name : open)
            QVERIFY2(main.navigator()->find(name)->isVisible(), qPrintable(name));
    }

    void exitClosesEverything()
    {
        fmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        child<QPushButton>(&main, "cmInventory")->click();
        child<QPushButton>(&main, "cmCustomers")->click();
        QVERIFY(main.navigator()->open("fmSuppliers"));
        QCOMPARE(loaded(main).size(), 3);

        child<QPushButton>(&main, "cmExit")->click();
        flushDeletes();
        QVERIFY(loaded(main).isEmpty());
        QVERIFY(m_fakes.alive().isEmpty());
        QVERIFY(!main.isVisible());
    }

    void unregisteredScreens_data()
    {
        QTest::addColumn<QString>("button");
        for (const char *b : {"cmCustomers", "cmInventory", "cmOrders", "cmBookKeeping", "cmadministrative"})
            QTest::newRow(b) << QString(b);
    }

    void unregisteredScreens()
    {
        QFETCH(QString, button);
        Screens::clear();
        fmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *b = child<QPushButton>(&main, button);
        QVERIFY(b);
        b->click();
        b->click();
        flushDeletes();
        QVERIFY(loaded(main).isEmpty());
        QVERIFY(main.isVisible());
        QVERIFY(!main.navigator()->open("fmCustomers"));
    }

    void missingScreenLeavesOthersOpen()
    {
        Screens::clear();
        Screens::add("fmCustomers", {[] { return new QWidget; }});
        fmMain main;
        main.show();
        child<QPushButton>(&main, "cmCustomers")->click();
        child<QPushButton>(&main, "cmOrders")->click();
        flushDeletes();
        QVERIFY(main.navigator()->find("fmCustomers"));
    }

private:
    FakeScreens m_fakes;
};

QTEST_MAIN(tst_Main)
#include "tst_main.moc"
