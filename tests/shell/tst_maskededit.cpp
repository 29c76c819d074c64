#include "shell/MaskedEdit.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QtTest>

// A shown, active window with the box under test and a second box to move the focus to.
class Window : public QWidget
{
public:
    Window()
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(other);
    }
    // Shows the window and gives `box` the focus.
    bool focus(QWidget *box)
    {
        show();
        QApplication::setActiveWindow(this);
        box->setFocus();
        return QTest::qWaitForWindowActive(this) && QTest::qWaitFor([box] { return box->hasFocus(); });
    }
    MaskedEdit *edit = new MaskedEdit(this);
    QLineEdit *other = new QLineEdit(this);
};

// Plays each step: a key named "Backspace", "Delete", "Home", "End" or "SelectAll", else text typed.
void play(QWidget *w, const QStringList &steps)
{
    const QMap<QString, Qt::Key> keys = {
        {"Backspace", Qt::Key_Backspace}, {"Delete", Qt::Key_Delete}, {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
    for (const QString &step : steps) {
        if (step == "SelectAll")
            QTest::keySequence(w, QKeySequence::SelectAll);
        else if (keys.contains(step))
            QTest::keyClick(w, keys[step]);
        else
            QTest::keyClicks(w, step);
    }
}

class tst_MaskedEdit : public QObject
{
    Q_OBJECT
private slots:
    void formatWhileUnfocused_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("number") << "" << "7.5" << "7.50";
        QTest::newRow("empty left empty") << "" << "" << "";
        QTest::newRow("a mask wins") << "##/##/####" << "12312024" << "12/31/2024";
    }

    void formatWhileUnfocused()
    {
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MaskedEdit edit;
        edit.setMask(mask);
        edit.setDisplayFormat("#0.00");
        edit.setText(text);
        QCOMPARE(edit.Text(), shown);
        QCOMPARE(edit.displayText().remove('_'), shown);
    }

    // "$12,345.67" is longer than a nine-character box; cutting it would change the amount.
    void formattedTextNotCutByTheLimit()
    {
        MaskedEdit edit;
        edit.setMaxLength(9);
        edit.setDisplayFormat("$#,##0.00");
        edit.setText("12345.67");
        QCOMPARE(edit.Text(), QString("$12,345.67"));
    }

    void typedTextKeptUntilFocusLeaves()
    {
        Window w;
        w.edit->setDisplayFormat("#0.00");
        w.edit->setText("7.5");
        QVERIFY(w.focus(w.edit));
        play(w.edit, {"SelectAll", "12.5"});
        QCOMPARE(w.edit->Text(), QString("12.5"));
        w.edit->setText("3"); // set while focused: shown as set
        QCOMPARE(w.edit->Text(), QString("3"));
        play(w.edit, {"End", ".125"});
        QVERIFY(w.focus(w.other));
        QCOMPARE(w.edit->Text(), QString("3.13"));
    }

    void typing_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("maxLength"); // 0: none set
        QTest::addColumn<bool>("filtered"); // a key filter that keeps digits and points
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("result");
        const QString date = "##/##/####";
        QTest::newRow("filter discards letters") << "" << 0 << true << "" << QStringList{"1a2B"} << "12";
        QTest::newRow("backspace discarded") << "" << 0 << true << "123" << QStringList{"End", "Backspace"} << "123";
        QTest::newRow("delete still deletes") << "" << 0 << true << "123" << QStringList{"Home", "Delete"} << "23";
        QTest::newRow("select all, then type") << "" << 0 << true << "123" << QStringList{"SelectAll", "9"} << "9";
        QTest::newRow("date mask refuses letters") << date << 0 << false << "" << QStringList{"Home", "1a2b/31x2024"}
                                                   << "12/31/2024";
        QTest::newRow("date mask, letters only") << date << 0 << false << "" << QStringList{"Home", "abcd-"} << "//";
        QTest::newRow("typing stops at the limit") << "" << 5 << false << "" << QStringList{"1234567"} << "12345";
        QTest::newRow("longer stored value kept") << "" << 5 << false << "123456789" << QStringList() << "123456789";
    }

    void typing()
    {
        QFETCH(QString, mask);
        QFETCH(int, maxLength);
        QFETCH(bool, filtered);
        QFETCH(QString, start);
        QFETCH(QStringList, steps);
        QFETCH(QString, result);
        Window w;
        w.edit->setMask(mask);
        if (maxLength)
            w.edit->setMaxLength(maxLength);
        if (filtered)
            w.edit->setKeyFilter([](QChar c) { return c.isDigit() || c == QLatin1Char('.'); });
        w.edit->setText(start);
        QVERIFY(w.focus(w.edit));
        play(w.edit, steps);
        QCOMPARE(w.edit->Text(), result);
    }
};

QTEST_MAIN(tst_MaskedEdit)
#include "tst_maskededit.moc"
