#include "shell/fmHelp.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

QString blanks(int count)
{
    return QString(count, u' ');
}

QString lines(const QStringList &list, bool endsWithBreak = true)
{
    return list.join(QStringLiteral("\r\n")) + (endsWithBreak ? QStringLiteral("\r\n") : QString());
}

const QStringList boxOrder = {
    QStringLiteral("txtHelpCust"), QStringLiteral("txtHelpInv"), QStringLiteral("txtHelpOrd"),
    QStringLiteral("txtHelpBook"), QStringLiteral("txtHelpAdmin"), QStringLiteral("txtHelpExit"),
};

// The text a box holds: a multi-line box reports line breaks as LF.
QString shownText(QWidget *box)
{
    if (auto *edit = qobject_cast<QPlainTextEdit *>(box))
        return edit->toPlainText();
    if (auto *edit = qobject_cast<QLineEdit *>(box))
        return edit->text();
    return QString();
}

} // namespace

class tst_Help : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void boxesAreReadOnly_data();
    void boxesAreReadOnly();
    void boxesStackInOrder();
    void everyLineVisible();
    void exitClosesOnlyHelp();
};

void tst_Help::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString tab2 = QStringLiteral("\t\t");
    QTest::newRow("customers") << "txtHelpCust" << fmHelp::custText() << lines({
        "Customers:" + blanks(4) + "When adding customers, required fields are name, address, and phone.  If you do ",
        blanks(22) + "not know, you can just put anything.  These are free form text fields.",
    });
    QTest::newRow("inventory") << "txtHelpInv" << fmHelp::invText() << lines({
        "Inventory:" + blanks(5) + "All fields are required.  Price and qty need to be numeric.  Name and product ",
        blanks(21) + "ID are free form text fields.  ",
    });
    QTest::newRow("orders") << "txtHelpOrd" << fmHelp::ordText() << lines({
        "Orders:" + blanks(9) + "To create new order, select New.  To close an order, check  order has been paid for, ",
        blanks(21) + "and then select Save.  Only at this time will inventory be adjusted.  This can be done ",
        blanks(21) + "from New or Update screens.",
        blanks(21) + "To view an order, either double click the order, or highlight the order and select ",
        blanks(21) + "View order.   From here, you can print or email order.",
    });
    QTest::newRow("bookkeeping") << "txtHelpBook" << fmHelp::bookText() << lines({
        "Bookkeeping:" + blanks(2) + "You can enter expenses here.  You can also display sales for a chosen time ",
        blanks(23) + "frame.",
    });
    QTest::newRow("administration") << "txtHelpAdmin" << fmHelp::adminText() << lines({
        "Administration:\tTo change defaults, click update.  Change values, then click Save.",
        tab2 + "Tax: If you want to calculate tax on the order forms, this is where ",
        blanks(32) + "you set the tax rate to use.",
        tab2 + "Shipping:  You can set a default price to charge for shipping.  You ",
        blanks(32) + "can also have an additional shipping price for out of town shipping.",
        tab2 + "Reorder reminder:  When a product gets to this qty, alert you that it ",
        blanks(32) + "is time to reorder.  This will happen when you close an order, and ",
        blanks(32) + "inventory is adjusted.",
        blanks(32) + "Suppliers:  This is where you can keep track of information about ",
        blanks(32) + "your suppliers.",
        tab2 + "Recipes:  You can keep recipes, or any misc information.",
        tab2 + "Email:  Creates one e-mail addressed to every customer that has an ",
        blanks(32) + "e-mail address, for sending advertisements to your clients.  It ",
        blanks(32) + "only works with a mail program installed on this computer, not ",
        blanks(32) + "with web-based mail.",
    });
    QTest::newRow("exit") << "txtHelpExit" << fmHelp::exitText()
                          << lines({"Exit:" + blanks(26) + "Click this to exit the software."}, false);
}

void tst_Help::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    QCOMPARE(stored, expected);

    fmHelp help;
    auto *box = help.findChild<QWidget *>(name);
    QVERIFY(box);
    QString shown = expected;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(shownText(box), shown);
}

void tst_Help::boxesAreReadOnly_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : boxOrder)
        QTest::newRow(qPrintable(name)) << name;
}

void tst_Help::boxesAreReadOnly()
{
    QFETCH(QString, name);

    fmHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    auto *box = help.findChild<QWidget *>(name);
    QVERIFY(box);
    const QString before = shownText(box);

    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("typed"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(shownText(box), before);
}

void tst_Help::boxesStackInOrder()
{
    fmHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QCOMPARE(help.objectName(), QStringLiteral("fmHelp"));
    QCOMPARE(help.windowTitle(), QStringLiteral("Help"));

    QStringList names = boxOrder;
    names << QStringLiteral("cmExit");
    int previousBottom = -1;
    for (const QString &name : names) {
        auto *widget = help.findChild<QWidget *>(name);
        QVERIFY2(widget && widget->isVisible(), qPrintable(name));
        const int top = widget->mapTo(&help, QPoint(0, 0)).y();
        QVERIFY2(top > previousBottom, qPrintable(name));
        previousBottom = top + widget->height() - 1;
    }
}

void tst_Help::everyLineVisible()
{
    fmHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    for (const QString &name : boxOrder.mid(0, 5)) {
        auto *box = help.findChild<QPlainTextEdit *>(name);
        QVERIFY2(box, qPrintable(name));
        QCOMPARE(box->verticalScrollBar()->maximum(), 0);
        QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
    }
}

void tst_Help::exitClosesOnlyHelp()
{
    QWidget mainScreen;
    mainScreen.show();
    fmHelp help(&mainScreen);
    QSignalSpy finished(&help, &QDialog::finished);
    help.open();
    QVERIFY(QTest::qWaitForWindowExposed(&help));

    auto *exit = help.findChild<QPushButton *>(QStringLiteral("cmExit"));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("Exit"));
    QTest::mouseClick(exit, Qt::LeftButton);

    QCOMPARE(finished.size(), 1);
    QCOMPARE(help.result(), int(QDialog::Accepted));
    QVERIFY(!help.isVisible());
    QVERIFY(mainScreen.isVisible());

    bool loopRuns = false;
    QTimer::singleShot(0, this, [&loopRuns] { loopRuns = true; });
    QTRY_VERIFY(loopRuns);
    QVERIFY(!QCoreApplication::closingDown());
}

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
