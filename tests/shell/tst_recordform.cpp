// The shared record form: box lookups by name, and what Save stores.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "shell/RecordForm.h"

#include <QLineEdit>

namespace {

// A two-box customer form whose Save writes the boxes named in `sources`.
class NameForm : public RecordForm
{
public:
    explicit NameForm(RecordSet &rs)
        : RecordForm("fmName", "Name",
                     {{"txtLastname", "lblLastname", "Last Name:", 49},
                      {"txtPhone", "lblPhone", "Phone:", 14}}),
          m_rs(rs)
    {
    }
    bool save(const QString &lastNameBox, const QString &phoneBox)
    {
        m_rs.addNew();
        m_rs.setValue("cust_num", 1);
        m_rs.setValue("last_name", boxText(lastNameBox));
        m_rs.setValue("phone", boxText(phoneBox));
        return storeRow(m_rs);
    }

private:
    RecordSet &m_rs;
};

} // namespace

class tst_RecordForm : public QObject
{
    Q_OBJECT
private slots:
    void missingBox_data()
    {
        QTest::addColumn<QString>("use"); // how the form reaches the box it lacks
        QTest::addColumn<QString>("phoneBox");
        QTest::newRow("all names right") << "" << "txtPhone";
        QTest::newRow("text read from it") << "" << "txtPhnoe";
        QTest::newRow("text written to it") << "set" << "txtPhone";
        QTest::newRow("the box itself") << "box" << "txtPhone";
    }

    // A box name the form lacks is reported and the form stores nothing: the
    // record would otherwise be saved without what was typed for it.
    void missingBox()
    {
#if !defined(QT_NO_DEBUG) || defined(QT_FORCE_ASSERTS)
        QSKIP("a missing box asserts in debug builds");
#endif
        QFETCH(QString, use);
        QFETCH(QString, phoneBox);
        TestDatabase t;
        MessageRecorder boxes;
        RecordSet rs = RecordSet::table(t.db(), "customer");
        QVERIFY(rs.refresh().ok());
        NameForm form(rs);
        const bool misnamed = use != "" || phoneBox != "txtPhone";
        if (misnamed)
            QTest::ignoreMessage(QtCriticalMsg, "RecordForm: fmName has no box named \"txtPhnoe\"");
        if (use == "set")
            form.setBoxText("txtPhnoe", "555-0101");
        else if (use == "box")
            QVERIFY(!form.box("txtPhnoe"));
        child<QLineEdit>(&form, "txtLastname")->setText("Smith");
        child<QLineEdit>(&form, "txtPhone")->setText("555-0101");

        QCOMPARE(form.save("txtLastname", phoneBox), !misnamed);
        QCOMPARE(form.missingBoxes(), misnamed ? QStringList{"txtPhnoe"} : QStringList());
        QCOMPARE(t.scalar("SELECT group_concat(last_name || ':' || phone) FROM customer").toString(),
                 misnamed ? QString() : QString("Smith:555-0101"));
        QCOMPARE(rs.recordCount(), misnamed ? 0 : 1);
        QCOMPARE(boxes.boxes.size(), misnamed ? 1 : 0);
        if (misnamed) {
            QCOMPARE(boxes.boxes[0].title, QString("Error"));
            QVERIFY2(boxes.texts()[0].contains("txtPhnoe"), qPrintable(boxes.texts()[0]));
        }
    }

    // A save the database refuses after writing the row keeps the form's
    // promise: nothing stored, nothing shown, and saving again stores it once.
    void refusedSave()
    {
        TestDatabase t;
        MessageRecorder boxes;
        RecordSet rs = RecordSet::table(t.db(), "customer");
        QVERIFY(rs.refresh().ok());
        NameForm form(rs);
        child<QLineEdit>(&form, "txtLastname")->setText("Smith");
        child<QLineEdit>(&form, "txtPhone")->setText("555-0101");
        QVERIFY(t.exec("CREATE TRIGGER t AFTER INSERT ON customer BEGIN SELECT RAISE(FAIL, 'refused'); END"));
        QVERIFY(!form.save("txtLastname", "txtPhone"));
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].title, QString("Error"));
        QVERIFY2(boxes.texts()[0].contains("refused"), qPrintable(boxes.texts()[0]));
        QCOMPARE(t.count("customer"), 0);
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(t.exec("DROP TRIGGER t"));
        QVERIFY(form.save("txtLastname", "txtPhone"));
        QCOMPARE(t.count("customer"), 1);
        QCOMPARE(rs.recordCount(), 1);
    }
};

QTEST_MAIN(tst_RecordForm)
#include "tst_recordform.moc"
