// The grids' shared model: pages read on demand, every row once, captions as header data.
#include "TestSupport.h"
#include "data/QueryModel.h"

#include <QAbstractItemModelTester>

class TestQueryModel : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryRowOnceInPages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("empty") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("exactly a page") << QueryModel::PageSize;
        QTest::newRow("three pages and a bit") << 3 * QueryModel::PageSize + 7;
    }
    void readsEveryRowOnceInPages()
    {
        QFETCH(int, rows);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (0, 'x')"));
        QVERIFY(t.exec("BEGIN"));
        for (int n = 0; n < rows; ++n)
            QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num, comments) VALUES (?, 0, ?)",
                           {n, QString("c%1").arg(n)}));
        QVERIFY(t.exec("COMMIT"));

        QueryModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({{"Order Number", "order_num"},
                          {"Note", "comments", [](const QVariant &v) { return "<" + v.toString() + ">"; }}});
        QVERIFY(model.setQuery(t.db(), "SELECT order_num, comments FROM orders WHERE order_num >= ? "
                                       "ORDER BY order_num DESC", {0}).ok());
        QCOMPARE(model.rowCount(), std::min(rows, int(QueryModel::PageSize)));
        while (model.canFetchMore())
            model.fetchMore();
        QCOMPARE(model.rowCount(), rows);
        for (int r = 0; r < rows; ++r) {
            QCOMPARE(model.value(r, "ORDER_NUM").toInt(), rows - 1 - r);
            QCOMPARE(model.data(model.index(r, 1)).toString(), QString("<c%1>").arg(rows - 1 - r));
        }
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Order Number"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Note"));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable) || rows == 0);
    }

    void refreshSeesNewRowsAndFailureEmpties()
    {
        TestDatabase t;
        QueryModel model;
        model.setColumns({{"Company", "Company"}});
        QVERIFY(model.setQuery(t.db(), "SELECT Company FROM suppliers ORDER BY supplier_num").ok());
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(t.exec("INSERT INTO suppliers (supplier_num, Company) VALUES (1, 'Acme')"));
        QVERIFY(model.refresh().ok());
        QCOMPARE(model.data(model.index(0, 0)).toString(), QString("Acme"));

        const Status s = model.setQuery(t.db(), "SELECT nothing FROM nowhere");
        QVERIFY(!s.ok());
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.canFetchMore());
    }
};

QTEST_GUILESS_MAIN(TestQueryModel)
#include "tst_querymodel.moc"
