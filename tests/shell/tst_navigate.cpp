#include "shell/Navigate.h"

#include <QDesktopServices>
#include <QUrl>
#include <QtTest>

// Stands in for the desktop's mail program.
class MailReceiver : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> received;
public slots:
    void openMail(const QUrl &url) { received.append(url); }
};

class tst_Navigate : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void messageReachesMailProgram_data();
    void messageReachesMailProgram();
    void addressPassesUnchanged_data();
    void addressPassesUnchanged();

private:
    MailReceiver receiver;
};

void tst_Navigate::init()
{
    receiver.received.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &receiver, "openMail");
}

void tst_Navigate::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
}

void tst_Navigate::messageReachesMailProgram_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("hasBody");

    QTest::newRow("recipients only") << "a@x.com, b@y.org" << QString() << QString() << false;
    QTest::newRow("reserved characters") << "o'brien@x.com, b&c@y.org, x#y@z"
                                         << "Order #12 & more? 50% off = +1"
                                         << "Dear customer,\r\nitem #3 & 4?\r\n100% sure = yes" << true;
    QTest::newRow("encoded-looking text") << "a%40b@x.com" << "%20 not a blank" << "%0D%0A" << true;
    QTest::newRow("non-ASCII") << "müller@x.de" << "Grüße" << "Straße\r\n" << true;
}

void tst_Navigate::messageReachesMailProgram()
{
    QFETCH(QString, to);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(bool, hasBody);

    const MailMessage sent{to, subject, body, hasBody};
    QVERIFY(Navigate(sent));
    QCOMPARE(receiver.received.size(), 1);

    const MailMessage got = Mailto::parse(receiver.received.first().toString(QUrl::FullyEncoded));
    QCOMPARE(got.to, to);
    QCOMPARE(got.subject, subject);
    QCOMPARE(got.body, body);
    QCOMPARE(got.hasBody, hasBody);
}

void tst_Navigate::addressPassesUnchanged_data()
{
    QTest::addColumn<QString>("address");

    QTest::newRow("two recipients") << "mailto:A,%20B?subject=";
    QTest::newRow("no recipient") << "mailto:?subject=";
    QTest::newRow("encoded delimiters")
        << "mailto:x%23y@z,%20a%3Fb%26c@q?subject=a%26body%3Dx%2B%25&body=L1%0D%0AL%232";
    QTest::newRow("UTF-8") << "mailto:a@x.com?subject=M%C3%BCller";
}

void tst_Navigate::addressPassesUnchanged()
{
    QFETCH(QString, address);

    QVERIFY(Navigate(address));
    QCOMPARE(receiver.received.size(), 1);
    QCOMPARE(receiver.received.first().toString(QUrl::FullyEncoded), address);
}

QTEST_MAIN(tst_Navigate)
#include "tst_navigate.moc"
