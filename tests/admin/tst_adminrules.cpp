#include "TestSupport.h"

#include "admin/AdminRules.h"

#include <QtTest>

class tst_AdminRules : public QObject
{
    Q_OBJECT
private slots:
    void rateKeys_data();
    void rateKeys();
    void rates_data();
    void rates();
    void reminderQty_data();
    void reminderQty();
    void recipients_data();
    void recipients();
    void emailsInTableOrder();
};

void tst_AdminRules::rateKeys_data()
{
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("passes");

    QTest::newRow("0") << QChar(u'0') << true;
    QTest::newRow("9") << QChar(u'9') << true;
    QTest::newRow("point") << QChar(u'.') << true;
    QTest::newRow("backspace") << QChar(8) << false;
    QTest::newRow("minus") << QChar(u'-') << false;
    QTest::newRow("comma") << QChar(u',') << false;
    QTest::newRow("letter") << QChar(u'a') << false;
    QTest::newRow("blank") << QChar(u' ') << false;
    QTest::newRow("Arabic-Indic digit") << QChar(0x0663) << false;
}

void tst_AdminRules::rateKeys()
{
    QFETCH(QChar, typed);
    QFETCH(bool, passes);
    QCOMPARE(AdminRules::rateKeyPasses(typed), passes);
}

void tst_AdminRules::rates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("decimal") << "7.25" << true << 7.25;
    QTest::newRow("whole") << "8" << true << 8.0;
    QTest::newRow("zero") << "0" << true << 0.0;
    QTest::newRow("formatted zero") << "0.00" << true << 0.0;
    QTest::newRow("trailing point") << "8." << true << 8.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("blanks around") << " 6.5 " << true << 6.5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "  " << false << 0.0;
    QTest::newRow("point alone") << "." << false << 0.0;
    QTest::newRow("two points") << "7..5" << false << 0.0;
    QTest::newRow("two separate points") << "7.2.5" << false << 0.0;
    QTest::newRow("negative") << "-1" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("currency") << "$5" << false << 0.0;
    QTest::newRow("thousands") << "1,000" << false << 0.0;
    QTest::newRow("percent sign") << "7%" << false << 0.0;
    QTest::newRow("too large for a double") << QString(400, u'9') << false << 0.0;
}

void tst_AdminRules::rates()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);

    const auto rate = AdminRules::parseRate(text);
    QCOMPARE(rate.has_value(), valid);
    if (valid)
        QCOMPARE(*rate, value);
}

void tst_AdminRules::reminderQty_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("whole") << "3" << true << 3;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("blanks") << " 12 " << true << 12;
    QTest::newRow("negative") << "-4" << true << -4;
    QTest::newRow("lowest") << "-32768" << true << -32768;
    QTest::newRow("highest") << "32767" << true << 32767;
    QTest::newRow("above range") << "32768" << false << 0;
    QTest::newRow("below range") << "-32769" << false << 0;
    QTest::newRow("fraction") << "2.5" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
}

void tst_AdminRules::reminderQty()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const auto qty = AdminRules::parseReminderQty(text);
    QCOMPARE(qty.has_value(), valid);
    if (valid)
        QCOMPARE(int(*qty), value);
}

void tst_AdminRules::recipients_data()
{
    QTest::addColumn<QVariantList>("emails");
    QTest::addColumn<QString>("list");

    const QVariant null = QVariant(QMetaType::fromType<QString>());
    QTest::newRow("A, none, B") << QVariantList{"a@x.com", "", "b@y.org"} << "a@x.com, b@y.org";
    QTest::newRow("NULL skipped") << QVariantList{null, "a@x.com", null} << "a@x.com";
    QTest::newRow("one") << QVariantList{"a@x.com"} << "a@x.com";
    QTest::newRow("all empty") << QVariantList{"", null, ""} << "";
    QTest::newRow("no customers") << QVariantList{} << "";
    QTest::newRow("blanks kept") << QVariantList{" a@x.com", "b@y.org "} << " a@x.com, b@y.org ";
    QTest::newRow("blank-only address kept") << QVariantList{" ", "a@x.com"} << " , a@x.com";
    QTest::newRow("duplicates kept") << QVariantList{"a@x.com", "a@x.com"} << "a@x.com, a@x.com";
    QTest::newRow("special characters as stored")
        << QVariantList{"a?b@x.com", "c&d@y.org", "e#f@z"} << "a?b@x.com, c&d@y.org, e#f@z";
}

void tst_AdminRules::recipients()
{
    QFETCH(QVariantList, emails);
    QFETCH(QString, list);
    QCOMPARE(AdminRules::recipientList(emails), list);
}

void tst_AdminRules::emailsInTableOrder()
{
    TestDatabase t;
    // Inserted out of key order; the table's order is its key order.
    const QVariantList rows[] = {{3, "c@x.com"}, {1, "a@x.com"}, {2, ""}};
    for (const QVariantList &r : rows)
        QVERIFY(t.exec("INSERT INTO customer (cust_num, email) VALUES (?, ?)", r));

    QVariantList emails{"left over"};
    QVERIFY(AdminRules::readCustomerEmails(t.db(), emails));
    QCOMPARE(emails, (QVariantList{"a@x.com", "", "c@x.com"}));
}

QTEST_GUILESS_MAIN(tst_AdminRules)
#include "tst_adminrules.moc"
