// The update form: a stored open order loaded, changed, saved back or closed,
// and what cannot be stored refused with the file left as it was.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "data/TextRules.h"
#include "orders/fmOrders.h"
#include "orders/fmUpdateOrd.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

namespace {

constexpr int OrderNum = 7;

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString text(QWidget *form, const QString &name)
{
    if (auto *box = form->findChild<QLineEdit *>(name))
        return box->text();
    if (auto *button = form->findChild<QAbstractButton *>(name))
        return button->text();
    return child<QLabel>(form, name)->text();
}

// The figures the form shows: items, subtotal, tax, shipping, total.
QString figures(QWidget *form)
{
    QStringList s;
    for (const char *l : {"lblTotItems", "lblsubtotal", "lblTax", "lblShipping", "lblTotSale"})
        s << text(form, l);
    return s.join(' ');
}

// Each line as "product|quantity|price|total|open or locked".
QStringList shownLines(const fmUpdateOrd &form)
{
    QStringList out;
    ItemLines *l = form.lines();
    for (int i = 0; i <= l->LastRow(); ++i)
        out << QStringList{l->txtProduct(i)->text(), l->txtQty(i)->text(), l->txtCost(i)->text(),
                           l->txtTot(i)->text(), l->quantityEditable(i) ? "open" : "locked"}
                   .join('|');
    return out;
}

void typeQty(fmUpdateOrd &form, int i, const QString &qty)
{
    QLineEdit *box = form.lines()->txtQty(i);
    box->selectAll();
    QTest::keyClicks(box, qty);
}

void press(QWidget *form, const QString &name)
{
    child<QAbstractButton>(form, name)->click();
}

} // namespace

Q_DECLARE_METATYPE(Msg::Icon)

class tst_UpdateOrder : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> m_db;
    QList<std::function<void(QDialog *)>> m_pickers;   // run in turn on each picker that opens
    std::unique_ptr<ModalDriver> m_driver;

    void product(int num, const QString &name, double cost, int qty)
    {
        QVERIFY(m_db->exec("INSERT INTO inventory (product_num, product, product_refnum, cost, qty)"
                           " VALUES (?, ?, ?, ?, ?)",
                           {num, name, QString("R%1").arg(num), qint64(cost * 10000), qty}));
    }
    // Ann Lee's open party order 7 of 03/02/2026 with fees $5, discounts $1, a
    // comment, stale stored figures, and the lines Fudge x3, Brittle x2, Caramel x4.
    void storeOrder()
    {
        QVERIFY(m_db->exec("INSERT INTO customer (cust_num, first_name, last_name, address, phone, email)"
                           " VALUES (1, 'Ann', 'Lee', '1 Oak St', '555-1', 'ann@x.com'),"
                           " (2, 'Bo', 'Ng', '2 Elm St', '555-2', '')"));
        product(1, "Fudge", 2.5, 10);
        product(2, "Brittle", 4, 9);
        product(3, "Caramel", 1.25, 30);
        product(4, "Nougat", 3, 5);
        QVERIFY(m_db->exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type,"
                           " subtotal, add_costs, discounts, total_price, out_of_town_order, comments)"
                           " VALUES (?, 1, '2026-03-02', 'O', 'P', 0, 50000, 10000, 0, 0, 'ring twice')",
                           {OrderNum}));
        for (const auto &[productNum, qty] : {std::pair{1, 3}, {2, 2}, {3, 4}})
            QVERIFY(m_db->exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty)"
                               " VALUES (?, 1, ?, ?)",
                               {OrderNum, productNum, qty}));
        Settings::current() = {0.08, 0.04, 0.10, 7};
    }
    std::unique_ptr<fmUpdateOrd> openForm()
    {
        m_driver = std::make_unique<ModalDriver>([this](QDialog *d) {
            if (!m_pickers.isEmpty())
                m_pickers.takeFirst()(d);
        });
        auto form = std::make_unique<fmUpdateOrd>(OrderNum, "Ann Lee");
        form->show();
        return form;
    }
    // Picks product `productNum` again for line `i` (the picker lists by number).
    void pickAgain(fmUpdateOrd &form, int i, int productNum)
    {
        m_pickers << [productNum](QDialog *d) {
            clickGridRow(child<QTableView>(d, "DataGrid1"), productNum - 1);
            press(d, "cmOk");
        };
        form.lines()->cmGetProduct(i)->click();
    }
    // Sets each line's quantity as a user would: typed into line 0, and into a
    // locked line after picking its product again.
    void setQuantities(fmUpdateOrd &form, const QStringList &quantities)
    {
        for (int i = 0; i < quantities.size(); ++i) {
            if (form.lines()->txtQty(i)->text() == quantities[i])
                continue;
            if (!form.lines()->quantityEditable(i))
                pickAgain(form, i, form.lines()->lblProdNum(i)->text().toInt());
            typeQty(form, i, quantities[i]);
        }
    }
    QString storedLines()
    {
        return m_db->scalar("SELECT group_concat(product_num || 'x' || order_qty, ' ') FROM"
                            " (SELECT product_num, order_qty FROM order_detail WHERE order_num = ? ORDER BY rowid)",
                            {OrderNum})
            .toString();
    }
    QString stock()
    {
        return m_db->scalar("SELECT group_concat(qty, ' ') FROM (SELECT qty FROM inventory ORDER BY product_num)")
            .toString();
    }
    QString storedHeader()
    {
        return m_db
            ->scalar("SELECT order_status || ' ' || order_date || ' ' || order_type || ' ' || out_of_town_order"
                     " || ' ' || ifnull(close_date, '-') || ' ' || comments FROM orders WHERE order_num = ?",
                     {OrderNum})
            .toString();
    }

private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        storeOrder();
    }
    void cleanup()
    {
        m_pickers.clear();
        m_driver.reset();
        m_db.reset();
    }

    // The stored header, customer, amounts and lines, with the figures that
    // Save stores (fees and discounts added after tax and shipping).
    void loadsStoredOrder()
    {
        QVERIFY(m_db->exec("UPDATE orders SET order_type = 'R', out_of_town_order = 1"));
        MessageRecorder boxes;
        auto form = openForm();
        QCOMPARE(form->windowTitle(), QString("Update Order For: Ann Lee"));
        QCOMPARE(text(form.get(), "lblOrdNum") + " " + text(form.get(), "medDate") + " "
                     + text(form.get(), "lblStatus") + " " + form->OrderStatus,
                 QString("7 03/02/2026 Open O"));
        QCOMPARE(QStringList({text(form.get(), "lblCust"), text(form.get(), "lblAddress"),
                              text(form.get(), "lblPhone"), text(form.get(), "lblEmail"),
                              text(form.get(), "lblCustNum")}),
                 QStringList({"Ann Lee", "1 Oak St", "555-1", "ann@x.com", "1"}));
        QVERIFY(!child<QLabel>(form.get(), "lblCustNum")->isVisible());
        QVERIFY(child<QRadioButton>(form.get(), "optReorder")->isChecked());
        QVERIFY(child<QCheckBox>(form.get(), "chkOutofTown")->isChecked());
        QVERIFY(child<QRadioButton>(form.get(), "optNo")->isChecked());
        QCOMPARE(text(form.get(), "txtComments") + " " + text(form.get(), "medaddcosts") + " "
                     + text(form.get(), "meddiscounts"),
                 QString("ring twice $05.00 $01.00"));
        QCOMPARE(shownLines(*form),
                 QStringList({"Fudge|3|2.5|7.5|open", "Brittle|2|4|8|locked", "Caramel|4|1.25|5|locked"}));
        QVERIFY(form->lines()->cmInsertrow()->isEnabled());
        // 20.50 of goods, tax 8 %, out-of-town shipping 10 %, + $5 - $1.
        QCOMPARE(figures(form.get()), QString("9 $20.50 $1.64 $2.05 $28.19"));
        QCOMPARE(QStringList({text(form.get(), "Label10"), text(form.get(), "Label2"), text(form.get(), "Label9"),
                              text(form.get(), "cmUpdate_totals"),
                              form->lines()->cmGetProduct(1)->toolTip()}),
                 QStringList({"Order Date:", "Order Status:", "Unit Cost:", "Update Totals",
                              "Click here to retrieve product information"}));
        QVERIFY(boxes.boxes.isEmpty());
    }

    // The status word; only an open order can be saved.
    void statusShown_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("word");
        QTest::newRow("open") << "O" << "Open";
        QTest::newRow("deleted") << "D" << "Deleted";
        QTest::newRow("closed, as stored") << "C" << "C";
    }
    void statusShown()
    {
        QFETCH(QString, code);
        QFETCH(QString, word);
        QVERIFY(m_db->exec("UPDATE orders SET order_status = ?", {code}));
        MessageRecorder boxes;
        auto form = openForm();
        QCOMPARE(text(form.get(), "lblStatus"), word);
        if (code == "O")
            return;
        QCOMPARE(form->OrderStatus, QString());
        const QByteArray before = fileHash(m_db->path());
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts(), QStringList{"Order 7 is not open, so it cannot be changed."});
        QCOMPARE(fileHash(m_db->path()), before);
        QVERIFY(form->isVisible());
    }

    // Saving open replaces the lines with those on the form, stores the figures
    // shown, and leaves the stock alone.
    void saveStoresTheFormsLines_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("lines");
        QTest::newRow("unchanged") << "" << "1x3 2x2 3x4";
        QTest::newRow("first quantity typed") << "qty" << "1x5 2x2 3x4";
        QTest::newRow("product picked again, quantity typed") << "repick" << "1x3 2x6 3x4";
        QTest::newRow("middle line removed") << "remove" << "1x3 3x4";
        QTest::newRow("line added") << "add" << "1x3 2x2 3x4 4x1";
    }
    void saveStoresTheFormsLines()
    {
        QFETCH(QString, change);
        QFETCH(QString, lines);
        MessageRecorder boxes;
        auto form = openForm();
        if (change == "qty") {
            typeQty(*form, 0, "5");
        } else if (change == "repick") {
            pickAgain(*form, 1, 2);
            QCOMPARE(shownLines(*form)[1], QString("Brittle|1|4|4|open"));
            typeQty(*form, 1, "6");
        } else if (change == "remove") {
            QTest::mouseClick(child<QLineEdit>(form.get(), "txtDelete_1"), Qt::LeftButton);
        } else if (change == "add") {
            m_pickers << [](QDialog *d) {
                clickGridRow(child<QTableView>(d, "DataGrid1"), 3);
                press(d, "cmOk");
            };
            form->lines()->cmInsertrow()->click();
        }
        const QString stockBefore = stock();
        form->cmUpdate_totals_Click();
        const QString shownSubtotal = text(form.get(), "lblsubtotal");
        const QString shownTotal = text(form.get(), "lblTotSale");
        boxes.boxes.clear();
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts(), QStringList{"Update record?"});
        QCOMPARE(boxes.boxes[0].title, QString("Update Order"));
        QCOMPARE(boxes.boxes[0].buttons, Msg::Buttons::OkCancel);
        QCOMPARE(boxes.boxes[0].icon, Msg::Icon::None);
        QVERIFY(!form->isVisible());
        QCOMPARE(storedLines(), lines);
        QCOMPARE(storedHeader(), QString("O 2026-03-02 P 0 - ring twice"));
        QCOMPARE(stock(), stockBefore);
        const auto stored = [&](const char *column) {
            const qint64 units = m_db->scalar(QString("SELECT %1 FROM orders").arg(column)).toLongLong();
            return TextRules::format(Money::fromUnits(units), "$#0.00");
        };
        QCOMPARE(stored("subtotal") + " " + stored("total_price"), shownSubtotal + " " + shownTotal);
    }

    // An amount the box's mask cannot hold is shown and stored whole.
    void largeAmountKeptWhole()
    {
        QVERIFY(m_db->exec("UPDATE orders SET add_costs = 1500000"));
        MessageRecorder boxes;
        auto form = openForm();
        QCOMPARE(text(form.get(), "medaddcosts"), QString("$150.00"));
        QCOMPARE(text(form.get(), "lblTotSale"), QString("$171.96"));
        press(form.get(), "cmSave");
        QCOMPARE(m_db->scalar("SELECT add_costs FROM orders").toLongLong(), qint64(1500000));
    }

    // Cancel in "Update record?" writes nothing and keeps the form as it was.
    void updateRecordCancelWritesNothing()
    {
        MessageRecorder boxes;
        boxes.answers = {Msg::Answer::Cancel};
        auto form = openForm();
        typeQty(*form, 0, "5");
        child<QLineEdit>(form.get(), "txtComments")->setText("leave at the door");
        const QByteArray before = fileHash(m_db->path());
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts(), QStringList{"Update record?"});
        QCOMPARE(fileHash(m_db->path()), before);
        QVERIFY(form->isVisible());
        QCOMPARE(text(form.get(), "txtComments") + " " + text(form.get(), "txtQty_0"), QString("leave at the door 5"));
        press(form.get(), "cmSave");
        QCOMPARE(storedLines(), QString("1x5 2x2 3x4"));
    }

    // Closing takes each stored line off the stock, then reminds of every product
    // at or below the reminder quantity (7), once the order is stored.
    void closingTakesStockOff_data()
    {
        QTest::addColumn<int>("fudgeOnHand");
        QTest::addColumn<QString>("stockAfter");
        QTest::addColumn<QStringList>("reminders");
        const QString brittle = "You are now have 7 left of Brittle. Please restock item.";
        QTest::newRow("Fudge stays above") << 11 << "9 7 26 5" << QStringList{brittle};
        QTest::newRow("Fudge falls to the level")
            << 9 << "7 7 26 5" << QStringList{"You are now have 7 left of Fudge. Please restock item.", brittle};
        QTest::newRow("Fudge below zero")
            << 1 << "-1 7 26 5" << QStringList{"You are now have -1 left of Fudge. Please restock item.", brittle};
    }
    void closingTakesStockOff()
    {
        QFETCH(int, fudgeOnHand);
        QFETCH(QString, stockAfter);
        QFETCH(QStringList, reminders);
        QVERIFY(m_db->exec("UPDATE inventory SET qty = ? WHERE product_num = 1", {fudgeOnHand}));
        QList<Msg::Record> boxes;
        bool storedFirst = true;
        Msg::setScript([&](const Msg::Record &r) {
            boxes << r;
            if (r.title == "Time To Reorder Product")
                storedFirst = storedFirst && storedHeader().startsWith("C ");
            return Msg::Answer::Ok;
        });
        auto form = openForm();
        typeQty(*form, 0, "2");
        press(form.get(), "optyes");
        QCOMPARE(form->OrderStatus, QString("C"));
        press(form.get(), "cmSave");
        Msg::clearScript();
        QStringList shown;
        for (const Msg::Record &r : boxes.mid(2)) {
            shown << r.text;
            QCOMPARE(r.title, QString("Time To Reorder Product"));
            QCOMPARE(r.icon, Msg::Icon::Information);
        }
        QCOMPARE(boxes.value(1).text, QString("Update record?"));
        QCOMPARE(shown, reminders);
        QVERIFY(storedFirst);
        QCOMPARE(stock(), stockAfter);
        QCOMPARE(storedLines(), QString("1x2 2x2 3x4"));
        QCOMPARE(storedHeader(),
                 "C 2026-03-02 P 0 " + QDate::currentDate().toString(Qt::ISODate) + " ring twice");
        QVERIFY(!form->isVisible());
    }

    // A stored line needs a whole quantity of at least 1: Save is refused with a
    // message naming the product, and nothing is written.
    void refusedQuantities_data()
    {
        QTest::addColumn<QStringList>("quantities");
        QTest::addColumn<QString>("product");
        QTest::newRow("3, 0.5 and 2") << QStringList{"3", "0.5", "2"} << "Brittle";
        QTest::newRow("fraction on the first line") << QStringList{"2.5", "2", "4"} << "Fudge";
        QTest::newRow("negative on the first line") << QStringList{"-3", "2", "4"} << "Fudge";
        QTest::newRow("fraction on the last line") << QStringList{"3", "2", "1.5"} << "Caramel";
    }
    void refusedQuantities()
    {
        QFETCH(QStringList, quantities);
        QFETCH(QString, product);
        MessageRecorder boxes;
        auto form = openForm();
        setQuantities(*form, quantities);
        press(form.get(), "optyes");
        boxes.boxes.clear();
        const QByteArray before = fileHash(m_db->path());
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts(), QStringList{"The quantity of " + product
                                            + " must be a whole number of at least 1.  The order was not saved."});
        QCOMPARE(boxes.boxes[0].title, QString("Invalid Data"));
        QCOMPARE(fileHash(m_db->path()), before);
        QVERIFY(form->isVisible());
        QCOMPARE(form->lines()->entries().size(), std::size_t(3));
    }

    // A failure while storing leaves the order, its lines and the stock as they
    // were; the user is told and the form stays open with what was entered.
    void failureLeavesOrderAsItWas_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<bool>("closing");
        QTest::newRow("between deleting the old lines and writing the new ones")
            << "CREATE TRIGGER t BEFORE INSERT ON order_detail BEGIN SELECT RAISE(ABORT, 'disk trouble'); END"
            << false;
        QTest::newRow("while taking the stock off")
            << "CREATE TRIGGER t BEFORE UPDATE ON inventory WHEN NEW.product_num = 3 "
               "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END"
            << true;
        QTest::newRow("while rewriting the header")
            << "CREATE TRIGGER t BEFORE UPDATE ON orders BEGIN SELECT RAISE(ABORT, 'disk trouble'); END" << false;
    }
    void failureLeavesOrderAsItWas()
    {
        QFETCH(QString, trigger);
        QFETCH(bool, closing);
        QVERIFY(m_db->exec(trigger));
        MessageRecorder boxes;
        auto form = openForm();
        typeQty(*form, 0, "1");
        child<QLineEdit>(form.get(), "txtComments")->setText("leave at the door");
        if (closing)
            press(form.get(), "optyes");
        boxes.boxes.clear();
        const QByteArray before = fileHash(m_db->path());
        press(form.get(), "cmSave");
        QCOMPARE(boxes.boxes.size(), 2);
        QVERIFY2(boxes.texts()[1].startsWith("The order could not be saved, and the stored order was not changed.  "
                                             "Everything you entered is still on the form.\n\nThe database refused the values: disk trouble"),
                 qPrintable(boxes.texts()[1]));
        QCOMPARE(boxes.boxes[1].title, QString("Error"));
        QCOMPARE(boxes.boxes[1].icon, Msg::Icon::Critical);
        QCOMPARE(fileHash(m_db->path()), before);
        QCOMPARE(storedLines(), QString("1x3 2x2 3x4"));
        QVERIFY(form->isVisible());
        QVERIFY(child<QPushButton>(form.get(), "cmSave")->isEnabled());
        QCOMPARE(text(form.get(), "txtComments"), QString("leave at the door"));

        QVERIFY(m_db->exec("DROP TRIGGER t"));
        press(form.get(), "cmSave");
        QCOMPARE(storedLines(), QString("1x1 2x2 3x4"));
        QCOMPARE(stock(), closing ? QString("9 7 26 5") : QString("10 9 30 5"));
    }

    // The type, date and out-of-town box the user chose survive the product
    // picker and message boxes over the form, and are what Save stores.
    void editsSurvivePickerAndMessages()
    {
        MessageRecorder boxes;
        auto form = openForm();
        press(form.get(), "optReorder");
        child<QLineEdit>(form.get(), "medDate")->setText("04/15/2026");
        press(form.get(), "chkOutofTown");
        m_pickers << [](QDialog *d) { press(d, "cmCancel"); };
        form->lines()->cmGetProduct(2)->click();
        form->txtDelete_Click(1);   // a question over the form, answered OK
        QCOMPARE(boxes.texts(), QStringList{"Are you sure you want to delete this item?"});
        QVERIFY(child<QRadioButton>(form.get(), "optReorder")->isChecked());
        QCOMPARE(text(form.get(), "medDate"), QString("04/15/2026"));
        QVERIFY(child<QCheckBox>(form.get(), "chkOutofTown")->isChecked());
        // Fudge 7.50 + Caramel 5: tax 8 %, out-of-town shipping 10 %, + $5 - $1.
        QCOMPARE(figures(form.get()), QString("7 $12.50 $1.00 $1.25 $18.75"));
        press(form.get(), "cmSave");
        QCOMPARE(storedHeader(), QString("O 2026-04-15 R 1 - ring twice"));
        QCOMPARE(storedLines(), QString("1x3 3x4"));
        QCOMPARE(m_db->scalar("SELECT total_price FROM orders").toLongLong(), qint64(187500));
    }

    // The list's Update opens this form for the selected order; once closed
    // there, the order leaves the open list.
    void listUpdateClosesOrder()
    {
        QVERIFY(m_db->exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type)"
                           " VALUES (8, 2, '2026-04-01', 'O', 'R')"));
        QVERIFY(m_db->exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (8, 2, 4, 1)"));
        MessageRecorder boxes;
        QStringList seen;
        ModalDriver driver([&](QDialog *d) {
            seen << d->objectName() << d->windowTitle() << text(d, "lblOrdNum");
            press(d, "optyes");
            press(d, "cmSave");
        });
        fmOrders list;
        list.show();
        auto *grid = child<QTableView>(&list, "DataGrid1");
        QCOMPARE(grid->model()->rowCount(), 2);
        clickGridRow(grid, 1); // newest first: order 8, then order 7
        press(&list, "cmUpdate");
        QCOMPARE(seen, QStringList({"fmUpdateOrd", "Update Order For: Ann Lee", "7"}));
        QCOMPARE(boxes.texts().mid(0, 2),
                 QStringList({"By checking Yes, this order will be marked as closed, and inventory will be adjusted.",
                              "Update record?"}));
        QVERIFY(storedHeader().startsWith("C "));
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("8"));
    }
};

QTEST_MAIN(tst_UpdateOrder)
#include "tst_updateorder.moc"
