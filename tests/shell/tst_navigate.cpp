#include "shell/Forms.h"
#include "shell/Navigate.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

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
    void escapeIsCancel_data();
    void escapeIsCancel();
};

void tst_Navigate::escapeIsCancel_data()
{
    QTest::addColumn<QString>("cancel"); // the form's Cancel button: "", "enabled" or "disabled"
    QTest::addColumn<bool>("cancelClicked");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no Cancel: closes") << "" << false << true;
    QTest::newRow("Cancel: its handler runs") << "enabled" << true << false;
    QTest::newRow("Cancel disabled: nothing") << "disabled" << false << false;
}

// Escape in a box of a modal form does what the form's Cancel does; the handler
// here keeps the form open, as one that asks first would.
void tst_Navigate::escapeIsCancel()
{
    QFETCH(QString, cancel);
    QFETCH(bool, cancelClicked);
    QFETCH(bool, closed);
    auto *form = new QDialog;
    auto *box = new QLineEdit(form);
    bool clicked = false;
    if (!cancel.isEmpty()) {
        auto *button = new QPushButton("Cancel", form);
        button->setObjectName("cmCancel");
        button->setEnabled(cancel == "enabled");
        connect(button, &QPushButton::clicked, form, [&clicked] { clicked = true; });
    }
    bool closedByEscape = false;
    Forms::setModalHook([&](QDialog *d) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Escape);
        closedByEscape = !d->isVisible();
    });
    Forms::showModal(nullptr, form);
    Forms::clearModalHook();
    QCOMPARE(clicked, cancelClicked);
    QCOMPARE(closedByEscape, closed);
}

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
