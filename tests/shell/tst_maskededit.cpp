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
        edit = new MaskedEdit(this);
        edit->setObjectName("edit");
        other = new QLineEdit(this);
        other->setObjectName("other");
        layout->addWidget(edit);
        layout->addWidget(other);
    }
    bool activate()
    {
        show();
        QApplication::setActiveWindow(this);
        return QTest::qWaitForWindowActive(this);
    }
    bool focusEdit()
    {
        edit->setFocus();
        return QTest::qWaitFor([this] { return edit->hasFocus(); });
    }
    bool focusOther()
    {
        other->setFocus();
        return QTest::qWaitFor([this] { return other->hasFocus(); });
    }
    MaskedEdit *edit;
    QLineEdit *other;
};

// Plays "text:abc", or a key: "Backspace", "Delete", "Home", "End", "SelectAll".
void play(QWidget *w, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step.startsWith("text:"))
            QTest::keyClicks(w, step.mid(5));
        else if (step == "Backspace")
            QTest::keyClick(w, Qt::Key_Backspace);
        else if (step == "Delete")
            QTest::keyClick(w, Qt::Key_Delete);
        else if (step == "Home")
            QTest::keyClick(w, Qt::Key_Home);
        else if (step == "End")
            QTest::keyClick(w, Qt::Key_End);
        else if (step == "SelectAll")
            QTest::keySequence(w, QKeySequence::SelectAll);
        else
            QFAIL(qPrintable("unknown step " + step));
    }
}

class tst_MaskedEdit : public QObject
{
    Q_OBJECT
private slots:
    void formatWhileUnfocused_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("number") << "#0.00" << "" << "7.5" << "7.50";
        QTest::newRow("words left alone") << "#0.00" << "" << "abc" << "abc";
        QTest::newRow("empty left empty") << "#0.00" << "" << "" << "";
        QTest::newRow("a mask wins") << "#0.00" << "##/##/####" << "12312024" << "12/31/2024";
    }

    void formatWhileUnfocused()
    {
        QFETCH(QString, format);
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MaskedEdit edit;
        edit.setMask(mask);
        edit.setDisplayFormat(format);
        edit.setText(text);
        QCOMPARE(edit.Text(), shown);
        QCOMPARE(edit.displayText().remove('_'), shown);
    }

    void typedTextKeptUntilFocusLeaves()
    {
        Window w;
        w.edit->setDisplayFormat("#0.00");
        w.edit->setText("7.5");
        QVERIFY(w.activate());
        QVERIFY(w.focusEdit());
        QCOMPARE(w.edit->Text(), QString("7.50"));

        play(w.edit, {"SelectAll", "text:12.5"});
        QCOMPARE(w.edit->Text(), QString("12.5"));
        w.edit->setText("3"); // set while focused: shown as set
        QCOMPARE(w.edit->Text(), QString("3"));
        play(w.edit, {"End", "text:.125"});
        QCOMPARE(w.edit->Text(), QString("3.125"));

        QVERIFY(w.focusOther());
        QCOMPARE(w.edit->Text(), QString("3.13"));
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("result");
        QTest::newRow("digits and point typed") << "" << QStringList{"text:12.5"} << "12.5";
        QTest::newRow("letters discarded") << "" << QStringList{"text:1a2B"} << "12";
        QTest::newRow("minus discarded") << "" << QStringList{"text:-5"} << "5";
        QTest::newRow("blank discarded") << "" << QStringList{"text:1 2"} << "12";
        QTest::newRow("backspace discarded") << "123" << QStringList{"End", "Backspace"} << "123";
        QTest::newRow("delete still deletes") << "123" << QStringList{"Home", "Delete"} << "23";
        QTest::newRow("select all, then type") << "123" << QStringList{"SelectAll", "text:9"} << "9";
        QTest::newRow("select all, then a letter") << "123" << QStringList{"SelectAll", "text:x"} << "123";
    }

    void keyFilter()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, steps);
        QFETCH(QString, result);
        Window w;
        w.edit->setKeyFilter([](QChar c) { return c.isDigit() || c == QLatin1Char('.'); });
        w.edit->setText(start);
        QVERIFY(w.activate());
        QVERIFY(w.focusEdit());
        play(w.edit, steps);
        QCOMPARE(w.edit->Text(), result);
    }

    void maskAndLength_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("date mask takes digits") << "##/##/####" << 0 << "" << "12312024" << "12/31/2024";
        QTest::newRow("date mask refuses letters") << "##/##/####" << 0 << "" << "1a2b/31x2024" << "12/31/2024";
        QTest::newRow("date mask, letters only") << "##/##/####" << 0 << "" << "abcd-" << "//";
        QTest::newRow("typing stops at the limit") << "" << 5 << "" << "1234567" << "12345";
        QTest::newRow("a longer stored value is kept whole") << "" << 5 << "123456789" << "" << "123456789";
    }

    void maskAndLength()
    {
        QFETCH(QString, mask);
        QFETCH(int, maxLength);
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        Window w;
        w.edit->setMask(mask);
        if (maxLength)
            w.edit->setMaxLength(maxLength);
        w.edit->setText(start);
        QVERIFY(w.activate());
        QVERIFY(w.focusEdit());
        play(w.edit, {"Home", "text:" + typed});
        QCOMPARE(w.edit->Text(), result);
    }
};

QTEST_MAIN(tst_MaskedEdit)
#include "tst_maskededit.moc"
