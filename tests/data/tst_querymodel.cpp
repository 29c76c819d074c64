// The grids' shared model: pages read on demand, every row once, captions as header data.
#include "TestSupport.h"
#include "data/Database.h"
#include "data/DatabaseError.h"
#include "data/QueryModel.h"
#include "data/RowReader.h"

#include <QAbstractItemModelTester>
#include <QSqlQuery>
#include <QSqlRecord>

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

    // Read through SQLite's own interface, every kind of value comes back as
    // QSqlQuery gives it, bound values of every kind select the same rows, and
    // a failure names its cause as a QSqlQuery failure would.
    void rowReaderMatchesQSqlQuery_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<qint64>("skip");
        const QString all = "SELECT order_num AS Num, comments, subtotal, close_date, 2.5 AS half, x'00ff' AS raw,"
                            " NULL AS empty FROM orders WHERE order_num >= ? AND comments <> ? ORDER BY order_num";
        QTest::newRow("every kind of value") << all << QVariantList{0, QString("")} << qint64(0);
        QTest::newRow("rows skipped") << all << QVariantList{qint64(1), QString("none")} << qint64(1);
        QTest::newRow("skip beyond the end") << all << QVariantList{0, QString("")} << qint64(9);
        QTest::newRow("null, bool and real bound")
            << "SELECT order_num FROM orders WHERE ? IS NULL AND order_num >= ? AND order_num < ? ORDER BY 1"
            << QVariantList{QVariant(), true, 2.5} << qint64(0);
        QTest::newRow("a null text is bound as NULL, an empty one as a text")
            << "SELECT ? IS NULL AS a, ? IS NULL AS b, count(*) AS n FROM orders" << QVariantList{QString(), QString("")}
            << qint64(0);
        QTest::newRow("a date is bound as QSqlQuery binds it")
            << "SELECT count(*) FROM orders WHERE close_date = ?" << QVariantList{QDate(2004, 2, 29)} << qint64(0);
    }
    void rowReaderMatchesQSqlQuery()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        QFETCH(qint64, skip);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (0, 'x')"));
        QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num, comments, subtotal, close_date) VALUES"
                       " (1, 0, 'Crème brûlée ✓', 123456, '2004-02-29'), (2, 0, '', -5, NULL),"
                       " (3, 0, 'plain', 0, '2024-12-31')"));
        RowReader::Rows rows;
        const RowReader::Result r = RowReader::read(t.db(), sql, values, skip, rows);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));

        QSqlQuery q(t.db());
        QVERIFY(q.prepare(sql));
        for (const QVariant &v : values)
            q.addBindValue(v);
        QVERIFY(q.exec());
        QStringList fields;
        for (int c = 0; c < q.record().count(); ++c)
            fields << q.record().fieldName(c).toLower();
        QCOMPARE(r.fields, fields);
        std::vector<QVariantList> expected;
        for (qint64 n = 0; q.next(); ++n) {
            if (n < skip)
                continue;
            QVariantList row;
            for (int c = 0; c < fields.size(); ++c)
                row << q.value(c);
            expected.push_back(row);
        }
        QCOMPARE(size_t(rows.count()), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            for (int c = 0; c < fields.size(); ++c) {
                const QVariant got = rows.value(qsizetype(i), c), &want = expected[i][c];
                QVERIFY2(got == want && got.typeId() == want.typeId() && got.isNull() == want.isNull(),
                         qPrintable(QString("row %1 %2: %3 (%4) instead of %5 (%6)")
                                        .arg(i).arg(fields[c], got.toString(), got.typeName(), want.toString(),
                                             want.typeName())));
            }
        }
    }

    void rowReaderFailures_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("cause");
        QTest::addColumn<bool>("lockedByOther");
        QTest::newRow("no such table") << "SELECT * FROM nowhere" << QVariantList{} << int(DatabaseError::Cause::Other)
                                       << false;
        QTest::newRow("too many values") << "SELECT 1" << QVariantList{1} << int(DatabaseError::Cause::Other) << false;
        QTest::newRow("fails while stepping")
            << "SELECT CASE WHEN order_num = 2 THEN json('{') ELSE order_num END FROM orders ORDER BY order_num"
            << QVariantList{} << int(DatabaseError::Cause::Other) << false;
        QTest::newRow("file locked by another program")
            << "SELECT order_num FROM orders" << QVariantList{} << int(DatabaseError::Cause::Busy) << true;
    }
    void rowReaderFailures()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        QFETCH(int, cause);
        QFETCH(bool, lockedByOther);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (0, 'x')"));
        QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num) VALUES (1, 0), (2, 0), (3, 0)"));
        std::optional<QSqlDatabase> other;
        if (lockedByOther) {
            other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other->setDatabaseName(t.path());
            QVERIFY(other->open() && QSqlQuery(*other).exec("BEGIN EXCLUSIVE"));
            Database::setBusyTimeout(50);
        }
        // Rows read before stay as they were.
        RowReader::Rows rows;
        QVERIFY(RowReader::read(t.db(), "SELECT 'kept'", {}, 0, rows).status.ok());
        const RowReader::Result r = RowReader::read(t.db(), sql, values, 0, rows);
        if (other) {
            Database::setBusyTimeout(-1);
            other->close();
            other.reset();
            QSqlDatabase::removeDatabase("other");
        }
        QVERIFY(!r.status.ok());
        QCOMPARE(rows.count(), 1);
        QCOMPARE(rows.value(0, 0).toString(), QString("kept"));
        QCOMPARE(int(r.status.cause()), cause);
        QCOMPARE(r.status.statement(), sql);
    }
};

QTEST_GUILESS_MAIN(TestQueryModel)
#include "tst_querymodel.moc"
