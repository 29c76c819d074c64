#include "data/Mailto.h"

#include <QtTest>

class tst_Mailto : public QObject
{
    Q_OBJECT
private slots:
    void build_data();
    void build();
};

void tst_Mailto::build_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hasBody");
    QTest::addColumn<QString>("expected");

    QTest::newRow("everything empty") << "" << "" << "" << false << "mailto:?subject=";
    QTest::newRow("two recipients") << "A, B" << "" << "" << false << "mailto:A,%20B?subject=";
    QTest::newRow("empty body kept") << "a@x.com" << "" << "" << true << "mailto:a@x.com?subject=&body=";
    QTest::newRow("reserved in recipient")
        << "o'brien@x.com, x#y@z, a?b&c=d+e%" << "" << "" << false
        << "mailto:o%27brien@x.com,%20x%23y@z,%20a%3Fb%26c%3Dd%2Be%25?subject=";
    QTest::newRow("subject looks like a body")
        << "a@x.com" << "cake&body=pie" << "" << false << "mailto:a@x.com?subject=cake%26body%3Dpie";
    QTest::newRow("subject and body")
        << "a@x.com" << "Order 5, #7" << "A@b\r\n~x %20?" << true
        << "mailto:a@x.com?subject=Order%205%2C%20%237&body=A%40b%0D%0A~x%20%2520%3F";
    QTest::newRow("non-ASCII as UTF-8") << "müller@x.de" << "Grüße" << "" << false
                                        << "mailto:m%C3%BCller@x.de?subject=Gr%C3%BC%C3%9Fe";
}

void tst_Mailto::build()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(bool, hasBody);
    QFETCH(QString, expected);

    QCOMPARE(Mailto::build({to, subject, body, hasBody}), expected);
    const MailMessage back = Mailto::parse(expected);
    QCOMPARE(back.to, to);
    QCOMPARE(back.subject, subject);
    QCOMPARE(back.body, body);
    QCOMPARE(back.hasBody, hasBody);
}

QTEST_APPLESS_MAIN(tst_Mailto)
#include "tst_mailto.moc"
