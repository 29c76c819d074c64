#include "data/Mailto.h"

#include <QtTest>

class tst_Mailto : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void builtText_data();
    void builtText();
};

void tst_Mailto::roundTrip_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hasBody");

    QTest::newRow("question mark in recipient") << "a?b@x.com" << "Hi" << QString() << false;
    QTest::newRow("apostrophe and ampersand") << "o'brien@x.com, b&c@y.org" << "Order" << "Thanks" << true;
    QTest::newRow("hash in recipient") << "x#y@z" << "#1 seller" << "see #2" << true;
    QTest::newRow("percent and blanks") << "a@x.com" << "50% off" << "100% = 1+1 %20" << true;
    QTest::newRow("subject looks like a body") << "a@x.com" << "cake&body=pie" << QString() << false;
    QTest::newRow("CRLF and hash in body") << "a@x.com" << "Order 7"
                                           << "Line 1\r\nLine #2\r\n\r\nEnd?x=y&z" << true;
    QTest::newRow("non-ASCII") << "müller@x.de" << "Grüße an Müller" << "Müller, Straße 5" << true;
    QTest::newRow("empty body kept") << "a@x.com" << QString() << QString() << true;
    QTest::newRow("everything empty") << QString() << QString() << QString() << false;
}

void tst_Mailto::roundTrip()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(bool, hasBody);

    const QString address = Mailto::build({to, subject, body, hasBody});
    for (QChar c : address.mid(7))
        QVERIFY2(c.unicode() > 32 && c.unicode() < 127 && c != u'#', qPrintable(address));

    const MailMessage back = Mailto::parse(address);
    QCOMPARE(back.to, to);
    QCOMPARE(back.subject, subject);
    QCOMPARE(back.body, body);
    QCOMPARE(back.hasBody, hasBody);
}

void tst_Mailto::builtText_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hasBody");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two recipients") << "A, B" << QString() << QString() << false
                                    << "mailto:A,%20B?subject=";
    QTest::newRow("no recipient") << QString() << QString() << QString() << false
                                  << "mailto:?subject=";
    QTest::newRow("reserved in recipient") << "x#y@z, a?b&c=d+e%" << QString() << QString() << false
                                           << "mailto:x%23y@z,%20a%3Fb%26c%3Dd%2Be%25?subject=";
    QTest::newRow("subject and body") << "a@x.com" << "Order 5, cake" << "A@b\r\n~x" << true
                                      << "mailto:a@x.com?subject=Order%205%2C%20cake&body=A%40b%0D%0A~x";
    QTest::newRow("non-ASCII as UTF-8") << "a@x.com" << "Müller" << QString() << false
                                        << "mailto:a@x.com?subject=M%C3%BCller";
}

void tst_Mailto::builtText()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(bool, hasBody);
    QFETCH(QString, expected);

    QCOMPARE(Mailto::build({to, subject, body, hasBody}), expected);
}

QTEST_APPLESS_MAIN(tst_Mailto)
#include "tst_mailto.moc"
