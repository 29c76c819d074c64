#include "shell/fmHelp.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

QString blanks(int count)
{
    return QString(count, u' ');
}

// Lines each ending with CR LF.
QString lines(const QStringList &list)
{
    return list.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// The text a box holds: a multi-line box reports line breaks as LF.
QString shownText(QWidget *box)
{
    return box->property(box->inherits("QPlainTextEdit") ? "plainText" : "text").toString();
}

} // namespace

class tst_Help : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
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
                              << "Exit:" + blanks(26) + "Click this to exit the software."; // one line, no break
    }

    // Each text as stored and as shown: every line visible, and read-only.
    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QCOMPARE(stored, expected);

        fmHelp help;
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        auto *box = help.findChild<QWidget *>(name);
        QVERIFY(box);
        QString shown = expected;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(shownText(box), shown);
        if (auto *edit = qobject_cast<QPlainTextEdit *>(box)) {
            QCOMPARE(edit->verticalScrollBar()->maximum(), 0);
            QCOMPARE(edit->horizontalScrollBar()->maximum(), 0);
        }
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("typed"));
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(shownText(box), shown);
    }

    // The boxes stack in order above Exit; Exit closes only the help.
    void layoutAndExit()
    {
        QWidget mainScreen;
        mainScreen.show();
        fmHelp help(&mainScreen);
        help.open();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QCOMPARE(help.windowTitle(), QStringLiteral("Help"));
        int previousBottom = -1;
        for (const char *name : {"txtHelpCust", "txtHelpInv", "txtHelpOrd", "txtHelpBook", "txtHelpAdmin",
                                 "txtHelpExit", "cmExit"}) {
            auto *widget = help.findChild<QWidget *>(name);
            QVERIFY2(widget && widget->isVisible(), name);
            const int top = widget->mapTo(&help, QPoint(0, 0)).y();
            QVERIFY2(top > previousBottom, name);
            previousBottom = top + widget->height() - 1;
        }
        auto *exit = help.findChild<QPushButton *>(QStringLiteral("cmExit"));
        QCOMPARE(exit->text(), QStringLiteral("Exit"));
        QTest::mouseClick(exit, Qt::LeftButton);
        QCOMPARE(help.result(), int(QDialog::Accepted));
        QVERIFY(!help.isVisible());
        QVERIFY(mainScreen.isVisible());
    }
};

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
