// The customer browser and its add and update forms, driven as a user would.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "customers/CustomerRules.h"
#include "customers/fmCustomers.h"
#include "shell/DropDownCombo.h"
#include "shell/Printer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace {

struct Customer
{
    int num;
    QString first, last, address = "", phone = "", email = "", comments = "";
};

QString pdfText(const QString &file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_Customers : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<fmCustomers> m_screen;

    void store(const QList<Customer> &rows)
    {
        for (const Customer &c : rows)
            QVERIFY(m_db->exec("INSERT INTO customer (cust_num, first_name, last_name, address, phone, email, comments)"
                               " VALUES (?, ?, ?, ?, ?, ?, ?)",
                               {c.num, c.first, c.last, c.address, c.phone, c.email, c.comments}));
    }
    fmCustomers &open()
    {
        m_screen = std::make_unique<fmCustomers>();
        m_screen->show();
        return *m_screen;
    }
    QString shown(const QString &label) { return child<QLabel>(m_screen.get(), label)->text(); }
    void click(const QString &button) { child<QPushButton>(m_screen.get(), button)->click(); }
    QStringList listed()
    {
        auto *combo = child<DropDownCombo>(m_screen.get(), "cmbCust");
        QStringList names;
        for (int i = 0; i < combo->count(); ++i)
            names << combo->itemText(i);
        return names;
    }
    static void type(QDialog *form, const QString &box, const QString &text)
    {
        QWidget *w = form->findChild<QWidget *>(box);
        if (auto *line = qobject_cast<QLineEdit *>(w)) {
            line->clear();
            QTest::keyClicks(line, text);
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
            plain->clear();
            QTest::keyClicks(plain, text);
        }
    }
    static void press(QDialog *form, const QString &button)
    {
        form->findChild<QPushButton *>(button)->click();
    }

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
    }
    void cleanup()
    {
        m_screen.reset();
        m_db.reset();
    }

    void emptyTable()
    {
        MessageRecorder boxes;
        fmCustomers &screen = open();
        QCOMPARE(screen.windowTitle(), QString("Customer Information"));
        click("cmNext");
        click("cmPrev");
        child<DropDownCombo>(&screen, "cmbCust")->setEditText("Lee");
        click("cmSearch");
        click("cmPrint");
        ModalDriver driver([](QDialog *) {});
        click("cmUpdate");
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(driver.opened.isEmpty());
        QCOMPARE(shown("lblLastname"), QString());

        // Add still works, and the first customer ever gets number 0.
        ModalDriver adder([](QDialog *form) {
            type(form, "txtLastname", "Lee");
            type(form, "txtFirstname", "Ann");
            type(form, "txtAddress", "1 Oak");
            type(form, "txtPhone", "555");
            press(form, "cmSave");
        });
        click("cmAdd");
        QCOMPARE(adder.opened, QStringList({"fmAddCust"}));
        QCOMPARE(m_db->scalar("SELECT cust_num FROM customer WHERE last_name = 'Lee'").toInt(), 0);
        QCOMPARE(shown("lblLastname"), QString("Lee"));
    }

    void goToMessages_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("found, first of two") << "lee" << QStringList() << "Ann";
        QTest::newRow("O'Brien") << "O'Brien" << QStringList() << "Di";
        QTest::newRow("not found") << "Zed" << QStringList({"Customer not found!"}) << "Bo";
    }
    void goToMessages()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, messages);
        QFETCH(QString, shownAfter);
        store({{1, "Ann", "Lee"}, {2, "Bo", "Ng"}, {3, "Cy", "Lee"}, {4, "Di", "O'Brien"}});
        MessageRecorder boxes;
        open();
        QCOMPARE(listed(), QStringList({"Lee", "Lee", "Ng", "O'Brien"}));
        click("cmPrev"); // the first is preceded by the last
        QCOMPARE(shown("lblFirstname"), QString("Di"));
        click("cmNext"); // and the last followed by the first
        click("cmNext");
        click("cmNext");
        QCOMPARE(shown("lblFirstname"), QString("Bo"));
        auto *combo = child<DropDownCombo>(m_screen.get(), "cmbCust");
        combo->setEditText(typed);
        click("cmSearch");
        QCOMPARE(boxes.texts(), messages);
        if (!messages.isEmpty()) {
            QCOMPARE(boxes.boxes.first().title, QString("Search Failed"));
            QCOMPARE(boxes.boxes.first().icon, Msg::Icon::Exclamation);
        }
        QCOMPARE(shown("lblFirstname"), shownAfter);
        QCOMPARE(combo->currentText(), QString());
        QVERIFY(!child<QPushButton>(m_screen.get(), "cmSearch")->isEnabled());
    }

    void blanksDisableGoToUntilDropDown()
    {
        store({{1, "Ann", "Lee"}});
        MessageRecorder boxes;
        open();
        auto *combo = child<DropDownCombo>(m_screen.get(), "cmbCust");
        auto *search = child<QPushButton>(m_screen.get(), "cmSearch");
        QVERIFY(search->isEnabled());
        QTest::keyClicks(combo->lineEdit(), "   ");
        QVERIFY(!search->isEnabled());
        combo->showPopup();
        combo->hidePopup();
        QVERIFY(search->isEnabled());
        click("cmSearch");
        QCOMPARE(boxes.texts(), QStringList({"Customer not found!"}));

        combo->setEditText(QString());
        search->setEnabled(true);
        click("cmSearch");
        QCOMPARE(boxes.boxes.last().text, QString("You must enter a search value"));
        QCOMPARE(boxes.boxes.last().title, QString("Warning"));
    }

    void addFormChecks_data()
    {
        QTest::addColumn<QStringList>("filled"); // boxes given a value
        QTest::addColumn<QStringList>("addMessages");
        QTest::addColumn<QStringList>("updateMessages");
        const QStringList all{"txtLastname", "txtFirstname", "txtAddress", "txtPhone"};
        QTest::newRow("last name and phone empty")
            << QStringList({"txtFirstname", "txtAddress"}) << QStringList({"You must enter a last name"})
            << QStringList({"You must enter a last name", "You must enter an phone number"});
        QTest::newRow("all empty") << QStringList() << QStringList({"You must enter a last name"})
                                   << QStringList({"You must enter a last name", "You must enter a first name",
                                                   "You must enter an address", "You must enter an phone number"});
        QTest::newRow("address empty") << QStringList({"txtLastname", "txtFirstname", "txtPhone"})
                                       << QStringList({"You must enter an address"})
                                       << QStringList({"You must enter an address"});
    }
    void addFormChecks()
    {
        QFETCH(QStringList, filled);
        QFETCH(QStringList, addMessages);
        QFETCH(QStringList, updateMessages);
        store({{5, "Ann", "Lee", "1 Oak", "555"}});
        open();
        for (const QString &variant : {QString("cmAdd"), QString("cmUpdate")}) {
            MessageRecorder boxes;
            bool stayedOpen = false;
            ModalDriver driver([&](QDialog *form) {
                for (const QString &box : {"txtLastname", "txtFirstname", "txtAddress", "txtPhone"})
                    type(form, box, filled.contains(box) ? "x" : "");
                press(form, "cmSave");
                stayedOpen = form->isVisible();
                const auto *typed = form->findChild<QLineEdit *>(filled.isEmpty() ? "txtPhone" : filled.first());
                QCOMPARE(typed->text(), filled.isEmpty() ? QString() : QString("x"));
            });
            click(variant);
            QVERIFY(stayedOpen);
            QCOMPARE(boxes.texts(), variant == "cmAdd" ? addMessages : updateMessages);
            for (const Msg::Record &r : boxes.boxes) {
                QCOMPARE(r.title, QString("Invalid data"));
                QCOMPARE(r.icon, Msg::Icon::None);
            }
        }
        QCOMPARE(m_db->count("customer"), 1);
        QCOMPARE(m_db->scalar("SELECT last_name FROM customer").toString(), QString("Lee"));
    }

    void addUsesLowestFreeNumberAndStaysLast()
    {
        store({{1, "Ann", "Lee"}, {2, "Bo", "Ng"}, {4, "Cy", "Pratt"}});
        open();
        click("cmNext");
        QString shownWhileOpen;
        ModalDriver driver([&](QDialog *form) {
            shownWhileOpen = shown("lblLastname");
            type(form, "txtLastname", "   ");
            type(form, "txtFirstname", "Al");
            type(form, "txtAddress", "2 Elm");
            type(form, "txtPhone", "555-0101");
            press(form, "cmSave");
        });
        click("cmAdd");
        QCOMPARE(shownWhileOpen, QString("Ng"));
        QCOMPARE(m_db->scalar("SELECT last_name FROM customer WHERE cust_num = 3").toString(), QString("   "));
        QCOMPARE(m_db->scalar("SELECT email FROM customer WHERE cust_num = 3").toString(), QString(""));
        QCOMPARE(listed(), QStringList({"Lee", "Ng", "Pratt", "   "}));
        QCOMPARE(shown("lblLastname"), QString("Lee"));
        click("cmPrev");
        QCOMPARE(shown("lblFirstname"), QString("Al"));
    }

    void limitRefusesSave()
    {
        for (int n = 1; n <= 298; ++n)
            QVERIFY(m_db->exec("INSERT INTO customer (cust_num, last_name) VALUES (?, ?)", {n, QString("C%1").arg(n)}));
        MessageRecorder boxes;
        open();
        ModalDriver driver([](QDialog *form) {
            for (const char *box : {"txtLastname", "txtFirstname", "txtAddress", "txtPhone"})
                type(form, box, "x");
            press(form, "cmSave");
            QVERIFY(form->isVisible());
        });
        click("cmAdd");
        QCOMPARE(boxes.texts(), QStringList({"You have too many customers.  Max is 299.",
                                             "You have too many customers.  Max is 299."}));
        QCOMPARE(boxes.boxes.first().title, QString("Error"));
        QCOMPARE(boxes.boxes.first().icon, Msg::Icon::Critical);
        QCOMPARE(m_db->count("customer"), 298);
    }

    void cancelWritesNothing()
    {
        store({{1, "Ann", "Lee"}, {2, "Bo", "Ng"}});
        open();
        click("cmNext");
        for (const char *button : {"cmAdd", "cmUpdate"}) {
            ModalDriver driver([](QDialog *form) {
                type(form, "txtLastname", "Changed");
                press(form, "cmCancel");
            });
            click(button);
        }
        QCOMPARE(m_db->count("customer"), 2);
        QCOMPARE(m_db->scalar("SELECT count(*) FROM customer WHERE last_name = 'Changed'").toInt(), 0);
        QCOMPARE(shown("lblLastname"), QString("Lee"));
    }

    void updateChangesTheShownCustomer()
    {
        store({{1, "Ann", "Lee", "1 Oak", "555", "ann@x.com", "line one\r\nline two"}, {7, "Bo", "Ng", "2 Elm", "556"}});
        open();
        click("cmNext");
        QStringList prefilled;
        ModalDriver driver([&](QDialog *form) {
            for (const char *box : {"txtLastname", "txtFirstname", "txtAddress", "txtPhone", "txtEmail"})
                prefilled << form->findChild<QLineEdit *>(box)->text();
            type(form, "txtLastname", "Abel");
            type(form, "txtEmail", "bo@y.org");
            press(form, "cmSave");
        });
        click("cmUpdate");
        QCOMPARE(prefilled, QStringList({"Ng", "Bo", "2 Elm", "556", ""}));
        QCOMPARE(m_db->scalar("SELECT last_name || '|' || email FROM customer WHERE cust_num = 7").toString(),
                 QString("Abel|bo@y.org"));
        QCOMPARE(shown("lblLastname"), QString("Abel"));
        QCOMPARE(listed(), QStringList({"Abel", "Lee"}));

        // Unchanged boxes write the displayed values back, line breaks included.
        click("cmNext");
        ModalDriver again([](QDialog *form) { press(form, "cmSave"); });
        click("cmUpdate");
        QCOMPARE(m_db->scalar("SELECT comments FROM customer WHERE cust_num = 1").toString(),
                 QString("line one\r\nline two"));
        QCOMPARE(m_db->scalar("SELECT cust_num FROM customer WHERE last_name = 'Lee'").toInt(), 1);
    }

    void printedList()
    {
        const QStringList lines = [] {
            TestDatabase db;
            db.exec("INSERT INTO customer VALUES (1, 'Bo', 'Ng', '2 Elm', '556', 'bo@y.org', '', 'Tuesdays')");
            db.exec("INSERT INTO customer VALUES (2, 'Ann', 'Lee', '1 Oak', '555', 'ann@x.com', '', 'Cakes')");
            RecordSet rs = RecordSet::table(db.db(), "customer", "last_name COLLATE NOCASE");
            if (!rs.refresh())
                return QStringList();
            return CustomerRules::listLines(rs, QDate(2026, 12, 6));
        }();
        QCOMPARE(lines.mid(1), QStringList({" ", "AnnLee", "1 Oak", "555", "ann@x.com", "Cakes", " ",
                                            "BoNg", "2 Elm", "556", "bo@y.org", "Tuesdays", " "}));
        QVERIFY(lines.first().contains("26") || lines.first().contains("2026"));
    }

    void printAllWritesThePdf()
    {
        store({{1, "Ann", "Lee", "1 Oak Street", "555-1234", "ann@x.com", "Likes flour"}});
        QTemporaryDir out;
        Printer::setPdfDirectory(out.path());
        MessageRecorder boxes;
        boxes.answers = {Msg::Answer::Cancel};
        open();
        click("cmPrint");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 0);
        click("cmPrint");
        QCOMPARE(boxes.texts(), QStringList({"Print entire customer list?", "Print entire customer list?"}));
        QCOMPARE(boxes.boxes.first().buttons, Msg::Buttons::OkCancel);
        QCOMPARE(boxes.boxes.first().title, QString("Print"));
        const QStringList files = QDir(out.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const QString text = pdfText(out.filePath(files.first()));
        for (const char *expected : {"AnnLee", "1 Oak Street", "555-1234", "ann@x.com", "Likes flour"})
            QVERIFY2(text.contains(expected), expected);
        QVERIFY(text.indexOf("AnnLee") < text.indexOf("Likes flour"));
        Printer::setPdfDirectory(QString());
    }
};

QTEST_MAIN(tst_Customers)
#include "tst_customers.moc"
