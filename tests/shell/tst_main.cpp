#include "GuiSupport.h"

#include "shell/Navigator.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

const QStringList ScreenNames = {"fmAdministrative", "fmBookkeeping", "fmCustomers", "fmInventory", "fmOrders",
                                 "fmSuppliers"};

// Plain widgets standing in for the screens; every one ever made is remembered.
struct FakeScreens
{
    QMultiHash<QString, QPointer<QWidget>> made;

    // Every screen but `missing`, none made yet.
    void registerAll(const QString &missing = {})
    {
        made.clear();
        Screens::clear();
        for (const QString &name : ScreenNames) {
            if (name == missing)
                continue;
            // The suppliers screen is a window of its own; the rest live in the main window.
            Screens::add(name, {[this, name] {
                                    auto *w = new QWidget;
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
        for (auto it = made.cbegin(); it != made.cend(); ++it) {
            if (it.value())
                names << it.key();
        }
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
    for (const QString &name : ScreenNames) {
        if (main.navigator()->find(name))
            names << name;
    }
    return names;
}

// Steps that open every screen but `except`.
QStringList openAllBut(const QString &except)
{
    QStringList steps;
    for (const QString &name : ScreenNames) {
        if (name != except)
            steps << "open:" + name;
    }
    return steps;
}

} // namespace

class tst_Main : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        flushDeletes();
        Screens::clear();
    }

    void windowAndButtons()
    {
        m_fakes.registerAll();
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
            QVERIFY2(b && b->isVisible(), qPrintable(name));
            QCOMPARE(b->text(), caption);
            const int x = b->mapTo(&main, QPoint(0, 0)).x();
            QVERIFY2(x > lastX, qPrintable(name + " is not right of the button before it"));
            lastX = x;
        }
        QVERIFY(loaded(main).isEmpty()); // no screen until a button asks for one

        // Each button's key, named in its tooltip, does what a click does.
        const QStringList keys = {"Ctrl+1", "Ctrl+2", "Ctrl+3", "Ctrl+4", "Ctrl+5", "Ctrl+Q"};
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(child<QPushButton>(&main, buttons[i].first)->toolTip(),
                     QString("%1 (%2)").arg(buttons[i].second, keys[i]));
        QApplication::setActiveWindow(&main);
        QTest::keyClick(&main, Qt::Key_3, Qt::ControlModifier);
        QTRY_COMPARE(loaded(main), QStringList{"fmOrders"});
    }

    void navigation_data()
    {
        QTest::addColumn<QString>("missing"); // a screen this build lacks
        QTest::addColumn<QStringList>("steps"); // a button, "open:<screen>" or "close:<screen>"
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<int>("created"); // how many times that screen was loaded
        const QStringList all = openAllBut("");
        QTest::newRow("customers keeps itself and inventory")
            << "" << all + QStringList{"cmCustomers"} << QStringList{"fmCustomers", "fmInventory"} << "fmCustomers" << 1;
        QTest::newRow("inventory reloads itself") << "" << all + QStringList{"cmInventory"}
                                                  << QStringList{"fmInventory", "fmSuppliers"} << "fmInventory" << 2;
        QTest::newRow("orders leaves suppliers") << "" << openAllBut("fmOrders") + QStringList{"cmOrders"}
                                << QStringList{"fmOrders", "fmSuppliers"} << "fmOrders" << 1;
        QTest::newRow("bookkeeping leaves suppliers") << "" << openAllBut("fmBookkeeping") + QStringList{"cmBookKeeping"}
                                     << QStringList{"fmBookkeeping", "fmSuppliers"} << "fmBookkeeping" << 1;
        QTest::newRow("administrative leaves suppliers") << "" << openAllBut("fmAdministrative") + QStringList{"cmadministrative"}
                                        << QStringList{"fmAdministrative", "fmSuppliers"} << "fmAdministrative" << 1;
        QTest::newRow("a screen closed by hand loads again")
            << "" << QStringList{"cmCustomers", "close:fmCustomers", "cmCustomers"} << QStringList{"fmCustomers"}
            << "fmCustomers" << 2;
        QTest::newRow("a window closed by hand loads again")
            << "" << QStringList{"open:fmSuppliers", "close:fmSuppliers", "open:fmSuppliers"}
            << QStringList{"fmSuppliers"} << "fmSuppliers" << 2;
        QTest::newRow("exit closes everything") << "" << all + QStringList{"cmExit"} << QStringList() << "" << 0;
        // A button whose screen is not built yet changes nothing.
        for (const QString &button : {"cmOrders", "cmInventory"}) {
            const QString screen = "fm" + button.mid(2);
            QTest::addRow("%s missing", qPrintable(screen))
                << screen << openAllBut(screen) + QStringList{button} << openAllBut(screen).replaceInStrings("open:", "")
                << screen << 0;
        }
    }

    // Exactly one instance of each open screen is left, shown; every other one is
    // gone. Only Exit closes the main window.
    void navigation()
    {
        QFETCH(QString, missing);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, open);
        QFETCH(QString, counted);
        QFETCH(int, created);
        m_fakes.registerAll(missing);
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
                child<QPushButton>(&main, step)->click();
            }
            flushDeletes();
        }
        QCOMPARE(loaded(main), open);
        QCOMPARE(m_fakes.alive(), open);
        QCOMPARE(m_fakes.made.count(counted), created);
        for (const QString &name : open)
            QVERIFY2(main.navigator()->find(name)->isVisible(), qPrintable(name));
        QCOMPARE(main.isVisible(), !steps.contains("cmExit"));
    }

private:
    FakeScreens m_fakes;
};

QTEST_MAIN(tst_Main)
#include "tst_main.moc"
