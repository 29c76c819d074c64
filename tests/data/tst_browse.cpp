// The browser logic without a window: stepping, Go To, list rebuilding.

#include "TestSupport.h"
#include "data/Browse.h"

class tst_Browse : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;

    void addCustomers(const QList<QPair<int, QString>> &rows)
    {
        for (const auto &[num, last] : rows)
            QVERIFY(m_db->exec("INSERT INTO customer (cust_num, last_name) VALUES (?, ?)", {num, last}));
    }
    Browse customers()
    {
        Browse b(m_db->db(), {"customer", "last_name COLLATE NOCASE", "last_name", "last_name"});
        const Status s = b.open();
        if (!s)
            qWarning("%s", qPrintable(s.message()));
        return b;
    }

private slots:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup() { m_db.reset(); }

    void emptyTableDoesNothing()
    {
        Browse b = customers();
        QVERIFY(!b.hasRows());
        QVERIFY(!b.rebuildList().has_value());
        QCOMPARE(b.goTo("Lee"), Browse::GoTo::NoRows);
        b.next();
        b.previous();
        QVERIFY(b.rs().eof());
    }

    void listIsInNameOrderWithDuplicates()
    {
        addCustomers({{1, "Ng"}, {2, "lee"}, {3, "Adams"}, {4, "Lee"}});
        Browse b = customers();
        QCOMPARE(*b.rebuildList(), QStringList({"Adams", "lee", "Lee", "Ng"}));
        QCOMPARE(b.rs().absolutePosition(), 1);
    }

    void steppingWrapsAround()
    {
        addCustomers({{1, "A"}, {2, "B"}, {3, "C"}});
        Browse b = customers();
        QStringList seen;
        for (int i = 0; i < 4; ++i) {
            b.next();
            seen << b.rs().text("last_name");
        }
        QCOMPARE(seen, QStringList({"B", "C", "A", "B"}));
        seen.clear();
        for (int i = 0; i < 4; ++i) {
            b.previous();
            seen << b.rs().text("last_name");
        }
        QCOMPARE(seen, QStringList({"A", "C", "B", "A"}));
    }

    void goTo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("custNum"); // the customer shown afterwards

        QTest::newRow("found") << "Ng" << int(Browse::GoTo::Found) << 2;
        QTest::newRow("letter case aside") << "NG" << int(Browse::GoTo::Found) << 2;
        QTest::newRow("first of two with one name") << "Lee" << int(Browse::GoTo::Found) << 1;
        QTest::newRow("single quote") << "O'Brien" << int(Browse::GoTo::Found) << 4;
        QTest::newRow("not found keeps the position") << "Zed" << int(Browse::GoTo::NotFound) << 5;
        QTest::newRow("blanks are searched as typed") << "   " << int(Browse::GoTo::NotFound) << 5;
        QTest::newRow("untrimmed text does not match") << "Ng " << int(Browse::GoTo::NotFound) << 5;
        QTest::newRow("injection finds nothing") << "' OR 1=1 --" << int(Browse::GoTo::NotFound) << 5;
        QTest::newRow("empty text") << "" << int(Browse::GoTo::EmptyText) << 5;
    }
    void goTo()
    {
        QFETCH(QString, text);
        QFETCH(int, result);
        QFETCH(int, custNum);
        addCustomers({{1, "Lee"}, {2, "Ng"}, {3, "Lee"}, {4, "O'Brien"}, {5, "Pratt"}});
        Browse b = customers();
        QVERIFY(b.rs().find("cust_num", 5));
        QCOMPARE(int(b.goTo(text)), result);
        QCOMPARE(b.rs().integer("cust_num"), qint64(custNum));
        QCOMPARE(m_db->count("customer"), 5);
    }

    void appendedRowStaysLastUntilReread()
    {
        addCustomers({{1, "Lee"}, {2, "Ng"}});
        Browse b = customers();
        b.rs().addNew();
        b.rs().setValue("cust_num", 3);
        b.rs().setValue("last_name", "Adams");
        QVERIFY(b.rs().update().ok());
        QCOMPARE(*b.rebuildList(), QStringList({"Lee", "Ng", "Adams"}));
        QVERIFY(b.open().ok());
        QCOMPARE(*b.rebuildList(), QStringList({"Adams", "Lee", "Ng"}));
    }
};

QTEST_GUILESS_MAIN(tst_Browse)
#include "tst_browse.moc"
