// The record forms while another program holds the database file locked.

#include "ChildProcess.h"
#include "GuiSupport.h"
#include "TestSupport.h"

#include "customers/fmCustomers.h"
#include "data/DatabaseError.h"
#include "inventory/fmInventory.h"
#include "suppliers/fmSuppliers.h"

#include <QPushButton>
#include <QtTest>

namespace {

const QString Busy = DatabaseError::explain(DatabaseError::Cause::Busy);

struct Screen
{
    std::function<QWidget *()> make;
    QString table, key;
    QStringList typed; // box, text, box, text, ...
};

const QHash<QString, Screen> &screens()
{
    static const QHash<QString, Screen> all = {
        {"customers",
         {[] { return new fmCustomers; }, "customer", "cust_num",
          {"txtLastname", "Lee", "txtFirstname", "Ann", "txtAddress", "1 Oak", "txtPhone", "555"}}},
        {"products",
         {[] { return new fmInventory; }, "inventory", "product_num",
          {"txtProduct", "Flour", "medcost", "2", "txtQty", "5"}}},
        {"suppliers",
         {[] { return new fmSuppliers; }, "suppliers", "supplier_num", {"txtCompany", "Mill", "txtPhone", "555"}}},
    };
    return all;
}

void type(QWidget *form, const QString &box, const QString &text)
{
    QWidget *w = child<QWidget>(form, box);
    QMetaObject::invokeMethod(w, "clear");
    QTest::keyClicks(w, text);
}

void press(QWidget *form, const QString &button)
{
    child<QPushButton>(form, button)->click();
}

} // namespace

class tst_FileInUse : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Database::setBusyTimeout(-1); }

    void addWhileLocked_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("lockedAsFormOpens"); // else while Save stores
        for (const QString &screen : {"customers", "products", "suppliers"}) {
            QTest::newRow(qPrintable(screen + ", as the form opens")) << screen << true;
            QTest::newRow(qPrintable(screen + ", at Save")) << screen << false;
        }
    }

    // A lock another program holds is told as such, the form keeps what was
    // typed, and once the lock is gone Save stores the record under the lowest
    // free number. A number that could not be read never becomes the limit message.
    void addWhileLocked()
    {
        QFETCH(QString, screen);
        QFETCH(bool, lockedAsFormOpens);
        const Screen &s = screens()[screen];
        TestDatabase t;
        QVERIFY(t.exec(QString("INSERT INTO %1 (%2) VALUES (1)").arg(s.table, s.key)));
        Database::setBusyTimeout(200);
        std::unique_ptr<QWidget> browser(s.make());
        browser->show();

        MessageRecorder boxes;
        std::unique_ptr<HeldByChild> otherProgram;
        if (lockedAsFormOpens) {
            otherProgram = holdWriteLock(t.path());
            QVERIFY(otherProgram->ready());
        }
        bool openAfterLockedSave = false;
        ModalDriver driver([&](QDialog *form) {
            for (qsizetype i = 0; i < s.typed.size(); i += 2)
                type(form, s.typed[i], s.typed[i + 1]);
            if (!lockedAsFormOpens) {
                otherProgram = holdWriteLock(t.path());
                QVERIFY(otherProgram->ready());
                press(form, "cmSave");
                openAfterLockedSave = form->isVisible();
            }
            otherProgram->release();
            press(form, "cmSave");
        });
        press(browser.get(), "cmAdd");

        const QString expected = lockedAsFormOpens
            ? "The number for the new record could not be read; Save will try again.\n\n" + Busy
            : "The record could not be saved.\n\n" + Busy;
        QCOMPARE(boxes.texts(), QStringList{expected});
        QCOMPARE(boxes.boxes.first().title, QString("Error"));
        QCOMPARE(openAfterLockedSave, !lockedAsFormOpens);
        QCOMPARE(t.scalar(QString("SELECT group_concat(%1) FROM %2").arg(s.key, s.table)).toString(), QString("1,2"));
    }
};

QTEST_MAIN(tst_FileInUse)
#include "tst_fileinuse.moc"
