// The order list, the pickers and the new-order form, driven as a user would.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "data/QueryModel.h"
#include "data/TextRules.h"
#include "orders/OrderTargets.h"
#include "orders/fmAddOrder.h"
#include "orders/fmGetProduct.h"
#include "orders/fmOrders.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList column(const QAbstractItemModel *model, int c)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->data(model->index(r, c)).toString();
    return out;
}

// A picker action: pick a row (optionally after a sort option), by OK or double-click, or Cancel.
using PickerAction = std::function<void(QDialog *)>;
PickerAction pick(int row, const QString &sortOption = {}, bool doubleClick = false)
{
    return [=](QDialog *d) {
        if (!sortOption.isEmpty())
            child<QRadioButton>(d, sortOption)->click();
        auto *grid = child<QTableView>(d, "DataGrid1");
        clickGridRow(grid, row, doubleClick);
        if (!doubleClick)
            child<QPushButton>(d, "cmOk")->click();
    };
}
PickerAction cancel()
{
    return [](QDialog *d) { child<QPushButton>(d, "cmCancel")->click(); };
}

// Stands in for the update form as the product picker's target.
struct FakeUpdateForm : OrderLinesTarget
{
    FakeUpdateForm() { registerForm("U", this); }
    ~FakeUpdateForm() override { unregisterForm(this); }
    void fillLine(int index, const PickedProduct &p) override { filled << QString::number(index) + ":" + p.product; }
    QStringList filled;
};

} // namespace

Q_DECLARE_METATYPE(Msg::Icon)

class tst_OrderForms : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> m_db;
    QList<PickerAction> m_pickers;   // run in turn on each picker that opens
    std::unique_ptr<ModalDriver> m_driver;

    void customer(int num, const QString &first, const QString &last, const QString &address = "",
                  const QString &email = "")
    {
        QVERIFY(m_db->exec("INSERT INTO customer (cust_num, first_name, last_name, address, phone, email)"
                           " VALUES (?, ?, ?, ?, ?, ?)",
                           {num, first, last, address, QString("555-%1").arg(num), email}));
    }
    void product(int num, const QString &name, const QString &refnum, double cost, int qty)
    {
        QVERIFY(m_db->exec("INSERT INTO inventory (product_num, product, product_refnum, cost, qty)"
                           " VALUES (?, ?, ?, ?, ?)",
                           {num, name, refnum, qint64(cost * 10000), qty}));
    }
    void order(int num, int cust, const QString &date, const QString &status, const QString &type = "P")
    {
        QVERIFY(m_db->exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type)"
                           " VALUES (?, ?, ?, ?, ?)",
                           {num, cust, date, status, type}));
    }
    // Three customers (stored out of name order) and three products.
    void storeBasics()
    {
        customer(1, "Ann", "Lee", "1 Oak St", "ann@x.com");
        customer(2, "Bo", "Ng", "2 Elm St");
        customer(3, "Cy", "abbot", "3 Ash St");
        product(1, "Fudge", "F-9", 2.5, 10);
        product(2, "Brittle", "B-1", 4, 20);
        product(3, "Caramel", "C-5", 1.25, 30);
    }

    // Opens the new-order form on its own, as New does, with the pickers driven by m_pickers.
    std::unique_ptr<fmAddOrder> openForm()
    {
        m_driver = std::make_unique<ModalDriver>([this](QDialog *d) {
            if (!m_pickers.isEmpty())
                m_pickers.takeFirst()(d);
        });
        auto form = std::make_unique<fmAddOrder>();
        form->show();
        return form;
    }
    static QString text(QWidget *form, const QString &name)
    {
        if (auto *box = form->findChild<QLineEdit *>(name))
            return box->text();
        return child<QLabel>(form, name)->text();
    }
    static void press(QWidget *form, const QString &name) { child<QPushButton>(form, name)->click(); }
    // Picks product `row` (unsorted inventory) for line `i` through its "..." button.
    void choose(fmAddOrder &form, int i, int row)
    {
        m_pickers << pick(row);
        form.lines()->cmGetProduct(i)->click();
    }
    // Add Item, then the picker for the new line.
    void addItem(fmAddOrder &form, int row)
    {
        m_pickers << pick(row);
        form.lines()->cmInsertrow()->click();
    }
    static void typeQty(fmAddOrder &form, int i, const QString &qty)
    {
        QLineEdit *box = form.lines()->txtQty(i);
        box->selectAll();
        QTest::keyClicks(box, qty);
    }
    // Moves the focus from a quantity box to the next box, as Tab does.
    static void leaveQty(fmAddOrder &form, int i)
    {
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QLineEdit *box = form.lines()->txtQty(i);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Tab);
    }
    // A ready order: customer Ann Lee, line 0 Fudge x `qty`.
    void fillBasicOrder(fmAddOrder &form, const QString &qty = "1")
    {
        m_pickers << pick(0);
        press(&form, "cmGetName");
        choose(form, 0, 0);
        typeQty(form, 0, qty);
    }
    QString storedLines(int orderNum)
    {
        QSqlQuery q(m_db->db());
        q.prepare("SELECT product_num, order_qty FROM order_detail WHERE order_num = ? ORDER BY rowid");
        q.addBindValue(orderNum);
        q.exec();
        QStringList out;
        while (q.next())
            out << q.value(0).toString() + "x" + q.value(1).toString();
        return out.join(' ');
    }

private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_pickers.clear();
        m_driver.reset();
        fmOrders::setShowOrderForm({});
        fmOrders::setUpdateOrderForm({});
        m_db.reset();
    }

    // Status options, both sorts, repaint order and the row buttons' states.
    void listStatusSortAndButtons()
    {
        storeBasics();
        order(1, 1, "2026-01-05", "O");
        order(2, 2, "2026-03-01", "O", "R");
        order(3, 3, "2026-03-01", "O");
        order(4, 1, "2026-02-01", "C");
        order(5, 2, "2026-04-01", "D");
        order(6, 3, "2025-12-24", "C");
        fmOrders list;
        QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.show();
        QCOMPARE(list.windowTitle(), QString("Orders"));
        auto *grid = child<QTableView>(&list, "DataGrid1");
        QCOMPARE(grid->toolTip(), QString("Click on item to display order data"));
        QStringList captions;
        for (int c = 0; c < 4; ++c)
            captions << list.model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, QStringList({"Order Date", "Customer", "Order Number", "Party/Re-Order"}));
        // Open orders, newest first, the later number first on the same day.
        QCOMPARE(column(list.model(), 2), QStringList({"3", "2", "1"}));
        QCOMPARE(column(list.model(), 0), QStringList({"03/01/2026", "03/01/2026", "01/05/2026"}));
        QCOMPARE(column(list.model(), 1), QStringList({"Cy abbot", "Bo Ng", "Ann Lee"}));
        QCOMPARE(column(list.model(), 3), QStringList({"P", "R", "P"}));
        auto enabled = [&] {
            QString s;
            for (const char *b : {"cmNew", "cmDetails", "cmUpdate", "cmDelete"})
                s += child<QPushButton>(&list, b)->isEnabled() ? "1" : "0";
            return s;
        };
        QCOMPARE(enabled(), QString("1000"));

        // Last name without regard to case.
        child<QRadioButton>(&list, "optName")->click();
        QCOMPARE(column(list.model(), 2), QStringList({"3", "1", "2"}));
        clickGridRow(grid, 1);
        QCOMPARE(enabled(), QString("1111"));
        // A repaint re-reads in date order; Last Name stays selected.
        list.Form_Paint();
        QCOMPARE(column(list.model(), 2), QStringList({"3", "2", "1"}));
        QVERIFY(child<QRadioButton>(&list, "optName")->isChecked());

        // Closed orders while Last Name is selected: by date, Date selected, buttons off.
        child<QRadioButton>(&list, "optClosed")->click();
        QCOMPARE(column(list.model(), 2), QStringList({"4", "6"}));
        QVERIFY(child<QRadioButton>(&list, "optDate")->isChecked());
        QCOMPARE(enabled(), QString("1000"));
        clickGridRow(grid, 0);
        QCOMPARE(enabled(), QString("1100"));
        child<QRadioButton>(&list, "optDeleted")->click();
        QCOMPARE(column(list.model(), 2), QStringList({"5"}));
        clickGridRow(grid, 0);
        QCOMPARE(enabled(), QString("1100"));
    }

    // A list that cannot be read says so once per attempt, though the message's closing
    // repaints the screen, and the screen stays usable.
    void unreadableListReportsOnce()
    {
        storeBasics();
        order(1, 1, "2026-01-05", "O");
        QVERIFY(m_db->exec("ALTER TABLE orders RENAME TO orders_gone"));
        MessageRecorder boxes;
        fmOrders list;
        list.show();
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.texts()[0].startsWith("The orders could not be read."), qPrintable(boxes.texts()[0]));
        child<QRadioButton>(&list, "optClosed")->click();
        QCOMPARE(boxes.boxes.size(), 2);
        QVERIFY(m_db->exec("ALTER TABLE orders_gone RENAME TO orders"));
        child<QRadioButton>(&list, "optOpen")->click();
        QCOMPARE(boxes.boxes.size(), 2);
        QCOMPARE(column(list.model(), 2), QStringList({"1"}));
    }

    // Ctrl+Return adds a line exactly as "Add Item" does: refused while the last line
    // has no quantity, then a new line and its picker.
    void addLineKey()
    {
        storeBasics();
        auto form = openForm();
        QPushButton *addButton = form->lines()->cmInsertrow();
        QCOMPARE(addButton->text(), QString("Add Item"));
        QCOMPARE(addButton->toolTip(), QString("Add a line (Ctrl+Return)"));
        QApplication::setActiveWindow(form.get());
        QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
        QTest::qWait(300);
        QCOMPARE(form->lines()->LastRow(), 0);
        fillBasicOrder(*form);
        m_pickers << pick(1);
        QApplication::setActiveWindow(form.get());
        QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(form->lines()->LastRow(), 1);
        QTRY_VERIFY(m_pickers.isEmpty());
        QVERIFY(!form->lines()->txtProduct(1)->text().isEmpty());
    }

    // Tab visits the header, the lines, the panel under them and the buttons, in
    // that order, and nothing that shows no focus.
    void tabOrder()
    {
        storeBasics();
        auto form = openForm();
        fillBasicOrder(*form);
        QCOMPARE(tabChain(form.get()), QStringList({"medDate", "cmGetName", "optParty", "txtQty_0", "cmGetProduct_0", "cmInsertrow",
                                     "chkOutofTown", "txtComments", "medaddcosts", "meddiscounts", "optyes",
                                     "Command2", "cmSave", "cmCancel", "txtCust"}));
    }

    // Letters typed in a picker select the first row whose name starts with them;
    // OK (Return) then takes that row.
    void pickerTypeAhead_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("taken"); // the customer or first line's product
        QTest::newRow("last name, any case") << "cmGetName" << "AB" << "Cy abbot";
        QTest::newRow("first name") << "cmGetName" << "bo" << "Bo Ng";
        QTest::newRow("no match keeps the first") << "cmGetName" << "zz" << "Ann Lee";
        QTest::newRow("product name") << "cmGetProduct" << "car" << "Caramel";
        QTest::newRow("product number") << "cmGetProduct" << "b-" << "Brittle";
    }
    void pickerTypeAhead()
    {
        QFETCH(QString, picker);
        QFETCH(QString, typed);
        QFETCH(QString, taken);
        storeBasics();
        m_pickers << [&typed](QDialog *d) {
            auto *grid = child<QTableView>(d, "DataGrid1");
            QCOMPARE(d->focusWidget(), grid);
            QTest::keyClicks(grid, typed);
            QTest::keyClick(grid, Qt::Key_Return);
        };
        auto form = openForm();
        if (picker == "cmGetName")
            press(form.get(), "cmGetName");
        else
            form->lines()->cmGetProduct(0)->click();
        QCOMPARE(text(form.get(), picker == "cmGetName" ? "txtCust" : "txtProduct_0"), taken);
    }

    // Details, double-click and Update hand the current row to the forms they open.
    void rowFormsGetTheSelectedOrder()
    {
        storeBasics();
        order(1, 1, "2026-01-05", "O");
        order(2, 2, "2026-03-01", "O", "R");
        QVERIFY(m_db->exec("UPDATE orders SET add_costs = 52500, discounts = 10000, comments = 'gift' "
                           "WHERE order_num = 1"));
        QStringList opened;
        fmOrders::setShowOrderForm([&](const ShowOrderInputs &in, QWidget *parent) {
            opened << QString("show %1 %2 %3 %4 %5 %6 %7")
                          .arg(in.orderNum)
                          .arg(in.customer, in.statusCode, TextRules::format(in.addCosts, "$#0.00"),
                               TextRules::format(in.discounts, "$#0.00"), in.comments, in.orderType);
            auto *d = new QDialog(parent);
            d->setObjectName("fmShowOrder");
            return d;
        });
        fmOrders::setUpdateOrderForm([&](int orderNum, const QString &customer, QWidget *parent) {
            opened << QString("update %1 %2").arg(orderNum).arg(customer);
            return new QDialog(parent);
        });
        ModalDriver driver([](QDialog *) {});
        fmOrders list;
        list.show();
        auto *grid = child<QTableView>(&list, "DataGrid1");
        clickGridRow(grid, 1);
        press(&list, "cmDetails");
        // The list re-read when the form closed: its first row is current, and shown so.
        QCOMPARE(grid->selectionModel()->selectedRows().value(0).row(), 0);
        press(&list, "cmUpdate");
        clickGridRow(grid, 1, true);
        QCOMPARE(opened, QStringList({"show 1 Ann Lee O $5.25 $1.00 gift P", "update 2 Bo Ng",
                                      "show 1 Ann Lee O $5.25 $1.00 gift P"}));
    }

    // Delete asks once, marks the clicked order "D" and keeps its lines; the list
    // ends in date order on the status shown.
    void deleteMarksTheClickedOrder()
    {
        storeBasics();
        order(1, 1, "2026-01-05", "O");
        order(2, 2, "2026-03-01", "O");
        order(3, 3, "2026-02-01", "O");
        QVERIFY(m_db->exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (3, 3, 1, 2)"));
        MessageRecorder boxes;
        boxes.answers = {Msg::Answer::Cancel, Msg::Answer::Ok};
        fmOrders list;
        list.show();
        auto *grid = child<QTableView>(&list, "DataGrid1");
        QCOMPARE(column(list.model(), 2), QStringList({"2", "3", "1"}));
        clickGridRow(grid, 1);
        press(&list, "cmDelete");
        QCOMPARE(m_db->scalar("SELECT order_status FROM orders WHERE order_num = 3").toString(), QString("O"));
        child<QRadioButton>(&list, "optName")->click();
        clickGridRow(grid, 2); // by name: abbot, Lee, Ng -> order 2
        press(&list, "cmDelete");
        QCOMPARE(boxes.texts(), QStringList(2, "Are you sure you want to delete this order?"));
        QCOMPARE(boxes.boxes[0].title, QString("Delete?"));
        QCOMPARE(boxes.boxes[0].buttons, Msg::Buttons::OkCancel);
        QCOMPARE(m_db->scalar("SELECT group_concat(order_num || order_status, ' ') FROM orders").toString(),
                 QString("1O 2D 3O"));
        QCOMPARE(column(list.model(), 2), QStringList({"3", "1"}));
        QVERIFY(child<QRadioButton>(&list, "optDate")->isChecked());
        QVERIFY(!child<QPushButton>(&list, "cmDelete")->isEnabled());
        QCOMPARE(storedLines(3), QString("1x2"));
    }

    void newChecks_data()
    {
        QTest::addColumn<bool>("customers");
        QTest::addColumn<bool>("products");
        QTest::addColumn<int>("lastOrder"); // -1: none
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shownNumber");
        QTest::newRow("no customer") << false << true << -1
                                     << "You must enter a customer before making an order." << "";
        QTest::newRow("no product") << true << false << -1 << "You must enter inventory before making an order."
                                    << "";
        QTest::newRow("last number used") << true << true << 32767
                                          << "No more order numbers are left: the highest order number is 32767.  "
                                             "No new order can be taken."
                                          << "";
        QTest::newRow("first order") << true << true << -1 << "" << "0";
        QTest::newRow("after 41") << true << true << 41 << "" << "42";
    }
    void newChecks()
    {
        QFETCH(bool, customers);
        QFETCH(bool, products);
        QFETCH(int, lastOrder);
        QFETCH(QString, message);
        QFETCH(QString, shownNumber);
        if (customers)
            customer(1, "Ann", "Lee");
        if (products)
            product(1, "Fudge", "F", 2.5, 10);
        if (lastOrder >= 0)
            order(lastOrder, 1, "2026-01-01", "C");
        MessageRecorder boxes;
        QStringList seen;
        ModalDriver driver([&](QDialog *d) {
            seen << text(d, "lblOrdNum") << text(d, "medDate") << text(d, "medaddcosts") << text(d, "meddiscounts")
                 << text(d, "txtQty_0");
            seen << (child<QLineEdit>(d, "txtQty_0")->isReadOnly() ? "locked" : "open");
            seen << (child<QPushButton>(d, "cmInsertrow")->isEnabled() ? "add on" : "add off");
        });
        fmOrders list;
        list.show();
        press(&list, "cmNew");
        QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(boxes.boxes[0].title, QString("Order Error"));
            QVERIFY(driver.opened.isEmpty());
            return;
        }
        QCOMPARE(driver.opened, QStringList{"fmAddOrder"});
        QCOMPARE(seen, QStringList({shownNumber, TextRules::toUsDate(QDate::currentDate()), "$00.00", "$00.00", "0",
                                    "locked", "add off"}));
    }

    // OK at once takes the first stored customer; a sort and a row click take that row.
    void customerPicker_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("custNum");
        QTest::newRow("OK at once") << "" << -1 << "Ann Lee" << "1";
        QTest::newRow("fourth by last name") << "optSortLast" << 3 << "Bo Ng" << "2";
        QTest::newRow("last by first name") << "optSortFirst" << 3 << "Zed Adams" << "5";
    }
    void customerPicker()
    {
        QFETCH(QString, sort);
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QString, custNum);
        customer(5, "Zed", "Adams");  // stored first under a higher number: the table's order is by number
        storeBasics();
        QStringList grid;
        m_pickers << [&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QString("Get Name"));
            QVERIFY(child<QRadioButton>(d, "optSortFirst")->isChecked());
            auto *view = child<QTableView>(d, "DataGrid1");
            QCOMPARE(view->toolTip(), QString("Click on row to select"));
            grid = column(view->model(), 1);
            if (!sort.isEmpty())
                child<QRadioButton>(d, sort)->click();
            if (row >= 0)
                clickGridRow(view, row);
            child<QPushButton>(d, "cmOk")->click();
        };
        auto form = openForm();
        press(form.get(), "cmGetName");
        QCOMPARE(grid, QStringList({"Lee", "Ng", "abbot", "Adams"}));
        QCOMPARE(text(form.get(), "txtCust"), name);
        QCOMPARE(text(form.get(), "lblCustNum"), custNum);
        if (custNum == "1") {
            QCOMPARE(text(form.get(), "lblAddress"), QString("1 Oak St"));
            QCOMPARE(text(form.get(), "lblPhone"), QString("555-1"));
            QCOMPARE(text(form.get(), "lblEmail"), QString("ann@x.com"));
        }
    }

    // The product picker fills its line (double-click as OK); Cancel leaves the
    // line as it was; the calling-form code chooses the form.
    void productPicker()
    {
        storeBasics();
        auto form = openForm();
        ItemLines *lines = form->lines();
        m_pickers << pick(1, "optSortName", true); // by name: Brittle, Caramel, Fudge
        lines->cmGetProduct(0)->click();
        QCOMPARE(lines->txtProduct(0)->text(), QString("Caramel"));
        QCOMPARE(lines->txtCost(0)->text(), QString("1.25"));
        QCOMPARE(lines->txtQty(0)->text(), QString("1"));
        QVERIFY(!lines->txtQty(0)->isReadOnly());
        QCOMPARE(lines->lblProdNum(0)->text(), QString("3"));
        QVERIFY(lines->cmInsertrow()->isEnabled());

        // Add Item, then Cancel: the new line stays empty, locked, and Add Item off.
        const int panelTop = child<QWidget>(form.get(), "Picture1")->mapTo(form.get(), QPoint()).y();
        m_pickers << cancel();
        lines->cmInsertrow()->click();
        QCOMPARE(lines->LastRow(), 1);
        QCOMPARE(lines->txtQty(1)->text(), QString("0"));
        QVERIFY(lines->txtQty(1)->isReadOnly());
        QCOMPARE(lines->txtCost(1)->text(), QString("$0.00"));
        QVERIFY(!lines->cmInsertrow()->isEnabled());
        QVERIFY(child<QLineEdit>(form.get(), "txtDelete_1")->isVisible());
        form->layout()->activate();
        lines->layout()->activate();
        QTRY_VERIFY(child<QWidget>(form.get(), "Picture1")->mapTo(form.get(), QPoint()).y() > panelTop);
        choose(*form, 1, 0);
        QVERIFY(lines->cmInsertrow()->isEnabled());
        QCOMPARE(lines->txtProduct(1)->text(), QString("Fudge"));

        // Code "U" fills line 2 of the update form, never the new-order form.
        FakeUpdateForm update;
        m_pickers << pick(1);
        Forms::showModal(form.get(), new fmGetProduct("U", 2, form.get()));
        QCOMPARE(update.filled, QStringList{"2:Brittle"});
        QCOMPARE(lines->txtProduct(0)->text(), QString("Caramel"));
        QCOMPARE(lines->txtProduct(1)->text(), QString("Fudge"));
    }

    // Three lines A, B, C: removing B leaves A and C with C's own product
    // number, and Save stores A and C.
    void removeMiddleLineStoresOthers()
    {
        storeBasics();
        MessageRecorder boxes;
        auto form = openForm();
        fillBasicOrder(*form, "2");
        addItem(*form, 1);
        addItem(*form, 2);
        typeQty(*form, 2, "3");
        form->CalcTotals();
        QCOMPARE(text(form.get(), "lblsubtotal"), QString("$12.75"));
        child<QLineEdit>(form.get(), "txtDelete_1")->setFocus();
        QTest::mouseClick(child<QLineEdit>(form.get(), "txtDelete_1"), Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList{"Are you sure you want to delete this item?"});
        QCOMPARE(form->LastRow(), 1);
        QVERIFY(!form->findChild<QLineEdit *>("txtQty_2"));
        QCOMPARE(text(form.get(), "txtProduct_1"), QString("Caramel"));
        QCOMPARE(text(form.get(), "txtQty_1"), QString("3"));
        QCOMPARE(text(form.get(), "lblProdNum_1"), QString("3"));
        QCOMPARE(text(form.get(), "txtTot_1"), QString("3.75"));
        QCOMPARE(text(form.get(), "lblsubtotal"), QString("$8.75"));
        QVERIFY(form->lines()->cmInsertrow()->isEnabled());
        press(form.get(), "cmSave");
        QCOMPARE(m_db->count("orders"), 1);
        QCOMPARE(storedLines(0), QString("1x2 3x3"));
        QCOMPARE(m_db->scalar("SELECT subtotal FROM orders").toLongLong(), qint64(87500));
        QVERIFY(!form->isVisible());
    }

    // The only line is emptied, not removed; with quantity 0 it is left alone.
    void deleteOnlyLine()
    {
        storeBasics();
        MessageRecorder boxes;
        auto form = openForm();
        form->txtDelete_Click(0);
        QVERIFY(boxes.boxes.isEmpty());
        fillBasicOrder(*form, "4");
        form->txtDelete_Click(0);
        QCOMPARE(boxes.texts(), QStringList{"Are you sure you want to delete this item?"});
        QCOMPARE(form->LastRow(), 0);
        QCOMPARE(text(form.get(), "txtQty_0") + text(form.get(), "txtProduct_0") + text(form.get(), "txtCost_0"),
                 QString("0$0.00"));
        QCOMPARE(text(form.get(), "lblProdNum_0"), QString("1"));
        QCOMPARE(text(form.get(), "lblsubtotal"), QString("$0.00"));
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts().last(), QString("You must enter a quanity"));
        QCOMPARE(boxes.boxes.last().title, QString("Error"));
        QCOMPARE(m_db->count("orders"), 0);
    }

    void quantityCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("items");
        QTest::newRow("zero") << "0" << "Quantity must be > 0" << "Remove item?" << "1" << "1";
        QTest::newRow("letters") << "x" << "Invalid quantity entered" << "Error" << "1" << "1";
        QTest::newRow("negative accepted") << "-3" << "" << "" << "-3" << "0";
        QTest::newRow("fraction accepted") << "2.5" << "" << "" << "2.5" << "2";
    }
    void quantityCheck()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(QString, after);
        QFETCH(QString, items);
        storeBasics();
        MessageRecorder boxes;
        auto form = openForm();
        fillBasicOrder(*form);
        typeQty(*form, 0, typed);
        leaveQty(*form, 0);
        QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(boxes.boxes[0].title, title);
            QCOMPARE(boxes.boxes[0].buttons, Msg::Buttons::OkCancel);
            QCOMPARE(QApplication::focusWidget(), form->lines()->txtQty(0));
        }
        QCOMPARE(text(form.get(), "txtQty_0"), after);
        QCOMPARE(text(form.get(), "lblTotItems"), items);
    }

    // The figures on the form follow the lines, the rates, the out-of-town box
    // and the amounts; "Update Totals:" refuses a quantity that sorts outside "0".."99".
    void totalsShown()
    {
        storeBasics();
        Settings::current() = {0.08, 0.04, 0.10, 0};
        auto form = openForm();
        fillBasicOrder(*form, "3");
        press(form.get(), "Command2");
        const auto figures = [&] {
            QStringList s;
            for (const char *l : {"txtTot_0", "lblTotItems", "lblsubtotal", "lblTax", "lblShipping", "lblTotSale"})
                s << text(form.get(), l);
            return s.join(' ');
        };
        QCOMPARE(figures(), QString("7.5 3 $7.50 $0.60 $0.30 $8.40"));
        child<QCheckBox>(form.get(), "chkOutofTown")->click();
        QCOMPARE(figures(), QString("7.5 3 $7.50 $0.60 $0.75 $8.85"));
        child<QCheckBox>(form.get(), "chkOutofTown")->click();
        child<QLineEdit>(form.get(), "medaddcosts")->setText("$05.00");
        child<QLineEdit>(form.get(), "meddiscounts")->setText("$01.00");
        press(form.get(), "Command2");
        QCOMPARE(figures(), QString("7.5 3 $7.50 $0.60 $0.30 $12.40"));
        typeQty(*form, 0, "abc");
        press(form.get(), "Command2");
        QCOMPARE(text(form.get(), "txtQty_0"), QString("0"));
        QCOMPARE(figures(), QString("7.5 3 $7.50 $0.60 $0.30 $12.40"));
    }

    void duplicateProductRefused()
    {
        storeBasics();
        MessageRecorder boxes;
        auto form = openForm();
        fillBasicOrder(*form);
        addItem(*form, 1);
        addItem(*form, 0);
        press(form.get(), "cmSave");
        QCOMPARE(boxes.texts(), QStringList{"You have the same product listed twice.  Remove one of the entries."});
        QCOMPARE(boxes.boxes[0].title, QString("Fudge"));
        QCOMPARE(m_db->count("orders"), 0);
        QVERIFY(form->isVisible());
    }

    // "Yes" answered with Cancel leaves "No" and stores the order open.
    void yesThenCancelStaysOpen()
    {
        storeBasics();
        MessageRecorder boxes;
        boxes.answers = {Msg::Answer::Cancel};
        auto form = openForm();
        fillBasicOrder(*form, "3");
        child<QRadioButton>(form.get(), "optyes")->click();
        QCOMPARE(boxes.texts(), QStringList{"By checking Yes, this order will be marked as closed, and inventory will be adjusted."});
        QCOMPARE(boxes.boxes[0].title, QString("Close Order?"));
        QVERIFY(child<QRadioButton>(form.get(), "optNo")->isChecked());
        QCOMPARE(form->OrderStatus, QString("O"));
        press(form.get(), "cmSave");
        QCOMPARE(m_db->scalar("SELECT order_status || ifnull(close_date, '-') FROM orders").toString(), QString("O-"));
        QCOMPARE(m_db->scalar("SELECT qty FROM inventory WHERE product_num = 1").toInt(), 10);
    }

    // A closed order takes its quantities off the stock and reminds of every
    // product at or below the reminder quantity, after the order is stored.
    void closedOrderReminders_data()
    {
        QTest::addColumn<int>("onHand");
        QTest::addColumn<QString>("qty");
        QTest::addColumn<int>("left");
        QTest::addColumn<QStringList>("reminders");
        QTest::newRow("falls to the level") << 10 << "3" << 7
                                            << QStringList{"You now have 7 left of Fudge. Please restock item."};
        QTest::newRow("stays above") << 11 << "3" << 8 << QStringList();
        QTest::newRow("below zero") << 10 << "12" << -2
                                    << QStringList{"You now have -2 left of Fudge. Please restock item."};
    }
    void closedOrderReminders()
    {
        QFETCH(int, onHand);
        QFETCH(QString, qty);
        QFETCH(int, left);
        QFETCH(QStringList, reminders);
        storeBasics();
        QVERIFY(m_db->exec("UPDATE inventory SET qty = ? WHERE product_num = 1", {onHand}));
        Settings::current().ReminderQty = 7;
        MessageRecorder boxes;
        auto form = openForm();
        fillBasicOrder(*form, qty);
        child<QLineEdit>(form.get(), "medDate")->setText("01/02/2025");
        child<QRadioButton>(form.get(), "optyes")->click();
        QCOMPARE(form->OrderStatus, QString("C"));
        bool storedFirst = true;
        Msg::setScript([&](const Msg::Record &r) {
            boxes.boxes << r;
            if (r.title == "Time To Reorder Product") {
                storedFirst = storedFirst && m_db->count("orders") == 1;
                form->cmSave_Click(); // a second Save while the first runs
            }
            return Msg::Answer::Ok;
        });
        press(form.get(), "cmSave");
        QStringList shown = boxes.texts();
        shown.removeFirst(); // the "Close Order?" question
        QCOMPARE(shown, reminders);
        for (const Msg::Record &r : boxes.boxes.mid(1)) {
            QCOMPARE(r.title, QString("Time To Reorder Product"));
            QCOMPARE(r.icon, Msg::Icon::Information);
        }
        QVERIFY(storedFirst);
        QCOMPARE(m_db->count("orders"), 1);
        QCOMPARE(m_db->scalar("SELECT qty FROM inventory WHERE product_num = 1").toInt(), left);
        QCOMPARE(m_db->scalar("SELECT order_status || ' ' || order_date || ' ' || close_date FROM orders").toString(),
                 "C 2025-01-02 " + QDate::currentDate().toString(Qt::ISODate));
    }

    // Refused and failed saves tell why, store nothing and keep what was typed;
    // the order is stored once the cause is gone.
    void refusedSavesLeaveFileUnchanged_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("secondQty");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("message");
        QTest::addColumn<Msg::Icon>("icon");
        QTest::newRow("fraction on a later line")
            << "12/06/2026" << "0.5" << ""
            << "The quantity of Brittle must be a whole number of at least 1.  The order was not saved."
            << Msg::Icon::None;
        QTest::newRow("not a real day") << "02/30/2026" << "1" << ""
                                        << "02/30/2026 is not a valid date.  Please enter the date as mm/dd/yyyy."
                                        << Msg::Icon::None;
        QTest::newRow("failure while storing the second line")
            << "12/06/2026" << "1"
            << "CREATE TRIGGER t BEFORE INSERT ON order_detail WHEN NEW.product_num = 2 "
               "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END"
            << "The order could not be saved, and nothing of it was stored.  Everything you entered is still on "
               "the form.\n\nThe database refused the values: disk trouble"
            << Msg::Icon::Critical;
        QTest::newRow("failure while taking the stock off")
            << "12/06/2026" << "1"
            << "CREATE TRIGGER t BEFORE UPDATE ON inventory WHEN NEW.product_num = 2 "
               "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END"
            << "The order could not be saved, and nothing of it was stored.  Everything you entered is still on "
               "the form.\n\nThe database refused the values: disk trouble"
            << Msg::Icon::Critical;
    }
    void refusedSavesLeaveFileUnchanged()
    {
        QFETCH(QString, date);
        QFETCH(QString, secondQty);
        QFETCH(QString, trigger);
        QFETCH(QString, message);
        QFETCH(Msg::Icon, icon);
        storeBasics();
        if (!trigger.isEmpty())
            QVERIFY(m_db->exec(trigger));
        MessageRecorder boxes;
        auto form = openForm();
        fillBasicOrder(*form, "2");
        addItem(*form, 1);
        typeQty(*form, 1, secondQty);
        child<QLineEdit>(form.get(), "medDate")->setText(date);
        child<QLineEdit>(form.get(), "txtComments")->setText("ring twice");
        child<QRadioButton>(form.get(), "optyes")->click();
        const QByteArray before = fileHash(m_db->path());
        boxes.boxes.clear();
        press(form.get(), "cmSave");
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.texts()[0].startsWith(message), qPrintable(boxes.texts()[0]));
        QCOMPARE(boxes.boxes[0].title, QString("Error"));
        QCOMPARE(boxes.boxes[0].icon, icon);
        QCOMPARE(fileHash(m_db->path()), before);
        QVERIFY(form->isVisible());
        QCOMPARE(text(form.get(), "txtComments"), QString("ring twice"));
        QVERIFY(child<QPushButton>(form.get(), "cmSave")->isEnabled());

        if (!trigger.isEmpty())
            QVERIFY(m_db->exec("DROP TRIGGER t"));
        typeQty(*form, 1, "1");
        child<QLineEdit>(form.get(), "medDate")->setText("12/06/2026");
        press(form.get(), "cmSave");
        QCOMPARE(storedLines(0), QString("1x2 2x1"));
        QCOMPARE(m_db->scalar("SELECT qty FROM inventory WHERE product_num = 2").toInt(), 19);
    }
};

QTEST_MAIN(tst_OrderForms)
#include "tst_orderforms.moc"
