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
    void messageReachesMailProgram();
};

void tst_Navigate::messageReachesMailProgram()
{
    MailReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &receiver, "openMail");
    const MailMessage sent{"o'brien@x.com, x#y@z", "Order #12 & more? 50% off = +1",
                           "Grüße,\r\nitem #3 & 4?\r\n%0D%0A is not a break", true};
    const bool opened = Navigate(sent);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

    // The mail program gets the encoded address unchanged, and the message back.
    QVERIFY(opened);
    QCOMPARE(receiver.received.size(), 1);
    const QString address = receiver.received.first().toString(QUrl::FullyEncoded);
    QCOMPARE(address, Mailto::build(sent));
    const MailMessage got = Mailto::parse(address);
    QCOMPARE(got.to, sent.to);
    QCOMPARE(got.subject, sent.subject);
    QCOMPARE(got.body, sent.body);
    QCOMPARE(got.hasBody, sent.hasBody);
}

QTEST_MAIN(tst_Navigate)
#include "tst_navigate.moc"
