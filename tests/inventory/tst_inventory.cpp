// The inventory browser and the product forms, driven as a user would.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "inventory/InventoryRules.h"
#include "inventory/fmInventory.h"
#include "inventory/fmReorderList.h"
#include "data/Settings.h"
#include "shell/DropDownCombo.h"
#include "shell/MaskedEdit.h"
#include "shell/Printer.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>

class tst_Inventory : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<fmInventory> m_screen;

    void store(int num, const QString &product, const QString &ref, qint64 costUnits, int qty)
    {
        QVERIFY(m_db->exec("INSERT INTO inventory VALUES (?, ?, ?, ?, ?)", {num, product, ref, costUnits, qty}));
    }
    void open()
    {
        m_screen = std::make_unique<fmInventory>();
        m_screen->show();
    }
    QString shown(const QString &label) { return child<QLabel>(m_screen.get(), label)->text(); }
    void click(const QString &button) { child<QPushButton>(m_screen.get(), button)->click(); }
    static void type(QDialog *form, const QString &box, const QString &text)
    {
        auto *line = form->findChild<QLineEdit *>(box);
        line->selectAll();
        line->del();
        QTest::keyClicks(line, text);
    }
    static QString boxText(QDialog *form, const QString &box) { return form->findChild<QLineEdit *>(box)->text(); }
    static void press(QDialog *form, const QString &button) { form->findChild<QPushButton *>(button)->click(); }

private slots:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_screen.reset();
        m_db.reset();
    }

    void addStoresProduct_data()
    {
        QTest::addColumn<bool>("seeded"); // with products 1, 2 and 4
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("typedRef");
        QTest::addColumn<QString>("typedCost");
        QTest::addColumn<QString>("stored"); // number|name|product number|cost|quantity
        QTest::newRow("empty product number") << true << "Salt" << "" << "$3.50" << "3|Salt|99999|35000|789";
        QTest::newRow("first product, quote discarded") << false << "Baker's Yeast" << "Y" << "1"
                                                        << "0|Bakers Yeast|Y|10000|789";
    }

    // The quantity box takes three characters; the new product is last in the
    // list until the set is read again.
    void addStoresProduct()
    {
        QFETCH(bool, seeded);
        QFETCH(QString, typedName);
        QFETCH(QString, typedRef);
        QFETCH(QString, typedCost);
        QFETCH(QString, stored);
        if (seeded) {
            store(1, "Flour", "99999", 35000, 12);
            store(2, "Eggs", "E", 5000, 30);
            store(4, "Milk", "M", 20000, 3);
        }
        open();
        ModalDriver driver([&](QDialog *form) {
            type(form, "txtProduct", typedName);
            type(form, "txtProdnum", typedRef);
            type(form, "medcost", typedCost);
            type(form, "txtQty", "7890");
            press(form, "cmSave");
        });
        click("cmAdd");
        const QString storedName = stored.section('|', 1, 1);
        QCOMPARE(m_db->scalar("SELECT product_num || '|' || product || '|' || product_refnum || '|' || cost "
                              "|| '|' || qty FROM inventory WHERE product = ?", {storedName}).toString(),
                 stored);
        auto *combo = child<DropDownCombo>(m_screen.get(), "cmbInv");
        QCOMPARE(combo->itemText(combo->count() - 1), storedName);
        click("cmPrev");
        QCOMPARE(shown("lblProduct"), storedName);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("costAfter");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("add: all empty") << "cmAdd" << "" << "" << ""
                                        << QStringList({"You must enter a product"}) << "" << "txtProduct";
        QTest::newRow("add: bad cost") << "cmAdd" << "Flour" << "abc" << "" << QStringList({"You must enter a valid cost"})
                                       << "$0.00" << "medcost";
        QTest::newRow("add: bad quantity") << "cmAdd" << "Flour" << "2" << "x"
                                           << QStringList({"You must enter a quanity"}) << "2" << "txtQty";
        QTest::newRow("update: all empty")
            << "cmUpdate" << "" << "" << ""
            << QStringList({"You must enter a valid cost", "You must enter a product", "You must enter a quanity"})
            << "$.00" << "txtQty"; // the reset cost box was left, so its "$##.00" format shows
    }
    void checks()
    {
        QFETCH(QString, button);
        QFETCH(QString, product);
        QFETCH(QString, cost);
        QFETCH(QString, qty);
        QFETCH(QStringList, messages);
        QFETCH(QString, costAfter);
        QFETCH(QString, focusAfter);
        store(1, "Flour", "99999", 35000, 12);
        open();
        QApplication::setActiveWindow(m_screen.get());
        MessageRecorder boxes;
        QString focus, costShown, productKept;
        bool stayedOpen = false;
        ModalDriver driver([&](QDialog *form) {
            QApplication::setActiveWindow(form);
            type(form, "txtProduct", product);
            type(form, "medcost", cost);
            type(form, "txtQty", qty);
            press(form, "cmSave");
            stayedOpen = form->isVisible();
            focus = form->focusWidget() ? form->focusWidget()->objectName() : QString();
            costShown = boxText(form, "medcost");
            productKept = boxText(form, "txtProduct");
        });
        click(button);
        QVERIFY(stayedOpen);
        QCOMPARE(boxes.texts(), messages);
        for (const Msg::Record &r : boxes.boxes)
            QCOMPARE(r.title, QString("Invalid data"));
        QCOMPARE(focus, focusAfter);
        QCOMPARE(costShown, costAfter);
        QCOMPARE(productKept, product);
        QCOMPARE(m_db->scalar("SELECT product || cost || qty FROM inventory").toString(), QString("Flour3500012"));
    }

    void costStoredWhole_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<qint64>("before");      // Flour's stored cost, in units
        QTest::addColumn<QStringList>("typed");  // each typed into the emptied box, which is then left
        QTest::addColumn<QString>("shown");      // by the box at Save
        QTest::addColumn<bool>("refused");
        QTest::addColumn<qint64>("after");       // the cost stored for the product in the end
        QTest::newRow("add: nine digits") << "cmAdd" << qint64(0) << QStringList{"123456789"} << "$123456789.00"
                                          << false << qint64(1234567890000);
        QTest::newRow("add: typing stops at nine") << "cmAdd" << qint64(0) << QStringList{"1234567.80"}
                                                   << "$1234567.80" << false << qint64(12345678000);
        QTest::newRow("add: past the largest cost") << "cmAdd" << qint64(0)
                                                    << QStringList{"999999999", "1000000000000"}
                                                    << "$1000000000000.00" << true << qint64(0);
        QTest::newRow("update: largest cost") << "cmUpdate" << qint64(9999999999900) << QStringList()
                                              << "$999999999.99" << false << qint64(9999999999900);
        QTest::newRow("update: stored past the largest cost")
            << "cmUpdate" << qint64(-10000000000000000) << QStringList() << "-$1000000000000.00" << true
            << qint64(-10000000000000000);
    }
    // The cost box's format never shortens the amount; an amount the program
    // does not take is refused with a message and nothing is stored.
    void costStoredWhole()
    {
        QFETCH(QString, button);
        QFETCH(qint64, before);
        QFETCH(QStringList, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        QFETCH(qint64, after);
        if (button == "cmUpdate")
            store(1, "Flour", "F", before, 12);
        open();
        QApplication::setActiveWindow(m_screen.get());
        MessageRecorder boxes;
        QString costShown;
        bool stayedOpen = false;
        ModalDriver driver([&](QDialog *form) {
            QApplication::setActiveWindow(form);
            QVERIFY(QTest::qWaitForWindowActive(form));
            auto *cost = form->findChild<QLineEdit *>("medcost");
            auto *qty = form->findChild<QLineEdit *>("txtQty");
            if (button == "cmAdd") {
                type(form, "txtProduct", "Flour");
                type(form, "txtQty", "1");
            }
            for (const QString &amount : typed) {
                cost->setFocus();
                type(form, "medcost", amount);
                qty->setFocus();
            }
            costShown = cost->text();
            press(form, "cmSave");
            stayedOpen = form->isVisible();
        });
        click(button);
        QCOMPARE(costShown, shown);
        QCOMPARE(stayedOpen, refused);
        QCOMPARE(boxes.texts(), refused ? QStringList{"The cost must be from -$999,999,999.99 to $999,999,999.99."}
                                        : QStringList());
        QCOMPARE(m_db->scalar("SELECT cost FROM inventory WHERE product = 'Flour'").toLongLong(), after);
        QCOMPARE(m_db->count("inventory"), after || button == "cmUpdate" ? 1 : 0);
    }

    // Opened as the main window opens it, the screen shows every field without
    // scrolling, with or without products.
    void fieldsInViewOnOpen_data()
    {
        QTest::addColumn<bool>("seeded");
        QTest::newRow("no product") << false;
        QTest::newRow("a product") << true;
    }
    void fieldsInViewOnOpen()
    {
        QFETCH(bool, seeded);
        if (seeded)
            store(1, "Flour", "F", 35000, 12);
        QMdiArea area;
        area.resize(1000, 700);
        area.show();
        QMdiSubWindow *sub = area.addSubWindow(new fmInventory);
        sub->hide();
        sub->show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto *scroller = sub->findChild<QScrollArea *>("scrValues");
        QVERIFY(scroller);
        for (const char *name : {"lblProduct", "lblProdNum", "medcost", "lbQty"}) {
            QWidget *value = child<QWidget>(sub, name);
            const QRect inViewport(value->mapTo(scroller->viewport(), QPoint()), value->size());
            QTRY_VERIFY2(scroller->viewport()->rect().contains(inViewport), name);
        }
    }

    // The browser shows a cost read-only (typing there cannot change it); the
    // update form starts from the stored product.
    void browseAndUpdate()
    {
        store(1, "Flour", "99999", 35000, 12);
        store(2, "Apples", "A1", -12345000, 4);
        open();
        auto *cost = child<MaskedEdit>(m_screen.get(), "medcost");
        QCOMPARE(cost->text(), QString("($1,234.50)"));
        QVERIFY(cost->isReadOnly());
        click("cmNext"); // to Flour
        MessageRecorder boxes;
        QStringList prefilled;
        ModalDriver driver([&](QDialog *form) {
            for (const char *box : {"txtProduct", "txtProdnum", "medcost", "txtQty"})
                prefilled << boxText(form, box);
            type(form, "txtProduct", "Rye Flour");
            type(form, "txtProdnum", "");
            type(form, "txtQty", "9");
            press(form, "cmSave");
        });
        click("cmUpdate");
        QCOMPARE(prefilled, QStringList({"Flour", "99999", "$3.50", "12"}));
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(m_db->scalar("SELECT product || '|' || product_refnum || '|' || cost || '|' || qty "
                              "FROM inventory WHERE product_num = 1").toString(),
                 QString("Rye Flour|99999|35000|9"));
        QCOMPARE(shown("lblProduct"), QString("Apples"));
    }

    void printAllWritesThePdf()
    {
        // Numbers as the printer prints them, with their blanks.
        QCOMPARE(InventoryRules::listLine(12, "Flour", "99999", Money::fromUnits(35000)),
                 QString(" 12  Flour 99999  3.5 "));
        store(1, "Flour", "99999", 35000, 12);
        store(2, "Apples", "A1", 10000, 4);
        QTemporaryDir out;
        Printer::setPdfDirectory(out.path());
        MessageRecorder boxes;
        open();
        click("cmPrint");
        QCOMPARE(boxes.texts(), QStringList({"Print entire Inventory list?"}));
        const QString text = onlyPdfText(out.path()).simplified();
        QVERIFY2(text.contains("4 Apples A1 1"), qPrintable(text));
        QVERIFY2(text.contains("12 Flour 99999 3.5"), qPrintable(text));
        QVERIFY(text.indexOf("Apples") < text.indexOf("Flour"));
        Printer::setPdfDirectory(QString());
    }
    // Products 1 Flour (12), 2 Eggs (3), 4 Milk (5), 5 Salt (0); open orders 1 and
    // 3, closed order 2 (its lines are no longer wanted).
    void seedReorder()
    {
        store(1, "Flour", "F", 35000, 12);
        store(2, "Eggs", "E", 5000, 3);
        store(4, "Milk", "M", 20000, 5);
        store(5, "Salt", "99999", 1000, 0);
        QVERIFY(m_db->exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (1, 'Ann', 'Lee'), "
                           "(2, 'Bo', 'Kim')"));
        QVERIFY(m_db->exec("INSERT INTO orders (order_num, cust_num, order_status) VALUES (1, 1, 'O'), "
                           "(2, 2, 'C'), (3, 2, 'O'), (4, 1, 'D')"));
        QVERIFY(m_db->exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES "
                           "(1, 1, 2, 4), (1, 1, 4, 2), (2, 2, 2, 10), (3, 2, 2, 1), (3, 2, 1, 20), (4, 1, 5, 9)"));
    }

    void reorderListFigures_data()
    {
        QTest::addColumn<int>("reminder");
        QTest::addColumn<QStringList>("rows"); // product|number|on hand|wanted|shortfall
        QTest::newRow("none at or below -1") << -1 << QStringList{};
        QTest::newRow("only the empty shelf") << 0 << QStringList{"Salt|99999|0|0|0"};
        QTest::newRow("at the reminder counts") << 5
            << QStringList{"Eggs|E|3|5|2", "Milk|M|5|2|0", "Salt|99999|0|0|0"};
        QTest::newRow("all, shortfall of the most wanted") << 12
            << QStringList{"Eggs|E|3|5|2", "Flour|F|12|20|8", "Milk|M|5|2|0", "Salt|99999|0|0|0"};
    }

    // The list opened from the inventory screen shows what the database holds.
    void reorderListFigures()
    {
        QFETCH(int, reminder);
        QFETCH(QStringList, rows);
        seedReorder();
        Settings::current().ReminderQty = qint16(reminder);
        open();
        QStringList shown;
        ModalDriver driver([&shown](QDialog *d) {
            auto *table = d->findChild<QTableWidget *>("tblReorder");
            for (int r = 0; r < table->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < table->columnCount(); ++c)
                    cells << table->item(r, c)->text();
                shown << cells.join('|');
            }
            QTest::keyClick(d, Qt::Key_Escape); // Escape closes the list
            QVERIFY(!d->isVisible());
        });
        click("cmReorderList");
        QCOMPARE(driver.opened, QStringList{"fmReorderList"});
        QCOMPARE(shown, rows);
        Settings::current().ReminderQty = 0;
    }

    void reorderListPrints()
    {
        seedReorder();
        Settings::current().ReminderQty = 5;
        QTemporaryDir out;
        Printer::setPdfDirectory(out.path());
        MessageRecorder boxes;
        {
            fmReorderList list;
            list.show();
            child<QPushButton>(&list, "cmPrintReorder")->click();
        }
        QCOMPARE(boxes.texts(), QStringList{});
        const QString text = onlyPdfText(out.path()).simplified();
        QVERIFY2(text.contains("Reorder List"), qPrintable(text));
        QVERIFY2(text.contains("Eggs E on hand 3 wanted 5 short 2"), qPrintable(text));
        QVERIFY2(!text.contains("Flour"), qPrintable(text));
        Printer::setPdfDirectory(QString());
        Settings::current().ReminderQty = 0;
    }
};

QTEST_MAIN(tst_Inventory)
#include "tst_inventory.moc"
