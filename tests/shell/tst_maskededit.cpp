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

    void formatNeverShortens_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nine digits") << QStringList{"123456789"} << "$123456789.00";
        QTest::newRow("typing stops at nine") << QStringList{"1234567.80"} << "$1234567.80";
        // Typing then stays within the formatted length.
        QTest::newRow("formatted, then changed") << QStringList{"123456789", "Leave", "End", "Backspace", "57"}
                                                 << "$123456789.05";
    }
    // The box takes nine typed characters; its format ("$##.00") makes the text
    // longer, and the limit never cuts it.
    void formatNeverShortens()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        Window w;
        w.edit->setMaxLength(9);
        w.edit->setDisplayFormat("$##.00");
        QVERIFY(w.focus(w.edit));
        for (const QString &step : steps) {
            if (step == "Leave")
                QVERIFY(w.focus(w.other) && w.focus(w.edit));
            else
                play(w.edit, {step});
        }
        QVERIFY(w.focus(w.other));
        QCOMPARE(w.edit->Text(), shown);
        w.edit->setText("12345678901234567890.125");
        QCOMPARE(w.edit->Text(), QString("$12345678901234567890.13"));
    }

    // The limit counts UTF-16 units; an emoji (two) that does not fit is left
    // out whole, typed or pasted, never cut in half.
    void limitKeepsWholeCharacters()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        Window w;
        w.edit->setMaxLength(5);
        QVERIFY(w.focus(w.edit));
        QTest::keyClicks(w.edit, "abcd");
        QTest::sendKeyEvent(QTest::Click, w.edit, Qt::Key_unknown, smile, Qt::NoModifier);
        QCOMPARE(w.edit->Text(), QString("abcd"));
        w.edit->setCursorPosition(1);
        QTest::keyClick(w.edit, Qt::Key_Delete);
        w.edit->insert(smile + smile);
        QCOMPARE(w.edit->Text(), "a" + smile + "cd");
        QCOMPARE(w.edit->cursorPosition(), 3);
        QTest::keyClick(w.edit, Qt::Key_Backspace);
        w.edit->insert("x" + smile);
        QCOMPARE(w.edit->Text(), "axcd");
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
