// I/O faults along the order forms' saves (see FaultSweep.h for what each run
// checks): a new order saved open and closed, an order changed and closed in the
// update form. Marking an order deleted is swept through OrderStore in
// tst_iofaults.

#include "FaultSweep.h"
#include "TestSupport.h"

#include "orders/fmAddOrder.h"
#include "orders/fmOrders.h"
#include "orders/fmUpdateOrd.h"

#include <QLineEdit>
#include <QTableView>

using namespace FaultSweep;

namespace {

void clickRow(QTableView *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// The customer and product pickers: the first row, then OK.
struct PickFirst : ModalDriver
{
    PickFirst()
        : ModalDriver([](QDialog *picker) {
              clickRow(child<QTableView>(picker, "DataGrid1"), 0);
              click(picker, "cmOk");
          })
    {
    }
};

void typeQuantity(QWidget *form, const QString &qty)
{
    auto *box = child<QLineEdit>(form, "txtQty_0");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, qty);
}

// A modeless order form, filled and saved with Save; `closing` answers the
// question of "Delivered and paid" with OK.
template <typename Form>
Case orderForm(std::function<Form *()> make, std::function<void(Form *)> fill, bool closing)
{
    return [=](const std::function<void(Attempt &)> &during) {
        PickFirst pickers;
        std::unique_ptr<Form> form(make());
        form->show();
        fill(form.get());
        if (closing)
            click(form.get(), "optyes");
        Attempt a;
        a.save = [&] { click(form.get(), "cmSave"); };
        a.refused = [&] { return form->isVisible(); };
        a.kept = [&] { return boxTexts(form.get()); };
        during(a);
    };
}

Case newOrder(bool closing)
{
    return orderForm<fmAddOrder>([] { return new fmAddOrder; },
                                 [](fmAddOrder *form) {
                                     click(form, "cmGetName");
                                     click(form, "cmGetProduct_0");
                                     typeQuantity(form, "3");
                                     type(form, "txtComments", "Ring twice, O'Brien");
                                 },
                                 closing);
}

Case updateOrder(bool closing)
{
    return orderForm<fmUpdateOrd>([] { return new fmUpdateOrd(1, QStringLiteral("Ann Lee")); },
                                  [](fmUpdateOrd *form) { typeQuantity(form, "4"); }, closing);
}

const QMap<QString, Case> &cases()
{
    static const QMap<QString, Case> all = {
        {"new order, open", newOrder(false)},
        {"new order, closed", newOrder(true)},
        {"update order", updateOrder(false)},
        {"update order, closing it", updateOrder(true)},
    };
    return all;
}

const QStringList Seed = {
    "UPDATE admin SET tax = 7.25, shipping = 5, shippingoot = 10, invReminderqty = 3",
    "INSERT INTO customer (cust_num, first_name, last_name, address, phone) VALUES"
    " (1, 'Ann', 'Lee', '1 Oak', '555-0001'), (2, 'Bo', 'Ng', '2 Elm', '555-0002')",
    "INSERT INTO inventory (product_num, product, product_refnum, cost, qty) VALUES"
    " (1, 'Bread', 'B1', 35000, 100), (2, 'Jam', 'J1', 50000, 100)",
    "INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type, subtotal, total_price) VALUES"
    " (1, 1, '2025-05-01', 'O', 'P', 70000, 75100), (2, 2, '2025-05-02', 'O', 'P', 50000, 53600)",
    "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (1, 1, 1, 2), (2, 2, 2, 1)",
};

} // namespace

class tst_OrderFaults : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    FaultSweep::Sweep m_sweep;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString error = m_sweep.prepare(m_dir.path(), Seed);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : cases().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void faults()
    {
        QFETCH(QString, name);
        const QStringList failures = m_sweep.sweep(name, cases()[name]);
        QVERIFY2(failures.isEmpty(), qPrintable(QString::number(failures.size()) + " failures:\n"
                                                + failures.mid(0, 15).join('\n')));
    }

    void cleanupTestCase()
    {
        qInfo("%lld runs with a fault, %lld saves refused, %lld failing calls injected", m_sweep.runs,
              m_sweep.refused, m_sweep.injected);
    }
};

QTEST_MAIN(tst_OrderFaults)
#include "tst_orderfaults.moc"
