// The customer browser and its add and update forms, driven as a user would.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "customers/CustomerRules.h"
#include "customers/fmCustomers.h"
#include "shell/DropDownCombo.h"
#include "shell/Printer.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

struct Customer
{
    int num;
    QString first, last, address = "", phone = "", email = "", comments = "";
};

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
    // Replaces the text of a form's box (one line or several) by typing.
    static void type(QDialog *form, const QString &box, const QString &text)
    {
        QWidget *w = child<QWidget>(form, box);
        QMetaObject::invokeMethod(w, "clear");
        QTest::keyClicks(w, text);
    }
    static void press(QDialog *form, const QString &button) { child<QPushButton>(form, button)->click(); }

private slots:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_screen.reset();
        m_db.reset();
    }

    // Without a customer only Add does anything (adding to an empty table is
    // tested with the recipes).
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
    }

    // Go To shows the customer found, or says none was; either way it empties the
    // box and disables itself. Blanks disable it too, until the list drops down.
    void goTo()
    {
        store({{1, "Ann", "Lee"}, {2, "Bo", "Ng"}});
        MessageRecorder boxes;
        open();
        auto *combo = child<DropDownCombo>(m_screen.get(), "cmbCust");
        auto *search = child<QPushButton>(m_screen.get(), "cmSearch");
        QStringList found;
        for (const char *typed : {"NG", "Zed"}) {
            combo->setEditText(typed);
            click("cmSearch");
            found << shown("lblFirstname");
            QCOMPARE(combo->currentText(), QString());
            QVERIFY(!search->isEnabled());
        }
        QCOMPARE(found, QStringList({"Bo", "Bo"}));

        QTest::keyClicks(combo->lineEdit(), "   ");
        QVERIFY(!search->isEnabled());
        combo->showPopup();
        combo->hidePopup();
        QVERIFY(search->isEnabled());
        click("cmSearch"); // blanks are searched as typed
        combo->setEditText(QString());
        search->setEnabled(true);
        click("cmSearch");
        const QString notFound = "Customer not found!";
        QCOMPARE(boxes.texts(), QStringList({notFound, notFound, "You must enter a search value"}));
        QCOMPARE(boxes.boxes[0].title, QString("Search Failed"));
        QCOMPARE(boxes.boxes[0].icon, Msg::Icon::Exclamation);
        QCOMPARE(boxes.boxes[2].title, QString("Warning"));
    }

    void addFormChecks_data()
    {
        QTest::addColumn<QStringList>("filled"); // boxes given a value
        QTest::addColumn<QStringList>("addMessages");
        QTest::addColumn<QStringList>("updateMessages");
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
            ModalDriver driver([&](QDialog *form) {
                for (const QString &box : {"txtLastname", "txtFirstname", "txtAddress", "txtPhone"})
                    type(form, box, filled.contains(box) ? "x" : "");
                type(form, "txtEmail", "kept@x.com");
                press(form, "cmSave");
                // The form stays open with what was typed.
                QVERIFY(form->isVisible());
                QCOMPARE(child<QLineEdit>(form, "txtEmail")->text(), QString("kept@x.com"));
            });
            click(variant);
            QCOMPARE(boxes.texts(), variant == "cmAdd" ? addMessages : updateMessages);
            QCOMPARE(boxes.boxes.last().title, QString("Invalid data"));
        }
        QCOMPARE(m_db->count("customer"), 1);
        QCOMPARE(m_db->scalar("SELECT last_name FROM customer").toString(), QString("Lee"));
    }

    void addUsesLowestFreeNumberAndStaysLast()
    {
        store({{1, "Ann", "Lee"}, {2, "Bo", "Ng"}, {4, "Cy", "Pratt"}});
        open();
        ModalDriver driver([&](QDialog *form) {
            type(form, "txtLastname", "   ");
            type(form, "txtFirstname", "Al");
            type(form, "txtAddress", "2 Elm");
            type(form, "txtPhone", "555-0101");
            press(form, "cmSave");
        });
        click("cmAdd");
        // Blanks count as filled; an empty box is stored as empty text, not NULL.
        const QVariant added = m_db->scalar("SELECT last_name || '|' || email FROM customer WHERE cust_num = 3");
        QCOMPARE(added.toString(), QString("   |"));
        QCOMPARE(listed(), QStringList({"Lee", "Ng", "Pratt", "   "}));
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
        QCOMPARE(boxes.texts(), QStringList(2, "You have too many customers.  Max is 299."));
        QCOMPARE(boxes.boxes.first().title, QString("Error"));
        QCOMPARE(boxes.boxes.first().icon, Msg::Icon::Critical);
        QCOMPARE(m_db->count("customer"), 298);
    }

    // Cancel writes nothing. Update starts from the values shown and writes
    // them back, line breaks included, under the same number.
    void cancelThenUpdate()
    {
        store({{1, "Ann", "Lee", "1 Oak", "555", "ann@x.com", "line one\r\nline two"}, {7, "Bo", "Ng", "2 Elm", "556"}});
        open();
        click("cmNext");
        for (const char *button : {"cmAdd", "cmUpdate"}) {
            ModalDriver cancel([](QDialog *form) {
                type(form, "txtLastname", "Changed");
                press(form, "cmCancel");
            });
            click(button);
        }
        QCOMPARE(shown("lblLastname"), QString("Lee"));

        click("cmNext");
        QStringList prefilled;
        ModalDriver driver([&](QDialog *form) {
            for (const char *box : {"txtLastname", "txtFirstname", "txtAddress", "txtPhone", "txtEmail"})
                prefilled << child<QLineEdit>(form, box)->text();
            type(form, "txtLastname", "Abel");
            type(form, "txtEmail", "bo@y.org");
            type(form, "txtComments", "Fridays");
            press(form, "cmSave");
        });
        click("cmUpdate");
        QCOMPARE(prefilled, QStringList({"Ng", "Bo", "2 Elm", "556", ""}));
        QCOMPARE(shown("lblLastname"), QString("Abel"));
        QCOMPARE(listed(), QStringList({"Abel", "Lee"}));

        click("cmNext");
        ModalDriver again([](QDialog *form) { press(form, "cmSave"); });
        click("cmUpdate");
        const QString sql = "SELECT group_concat(cust_num || ' ' || last_name || ' ' || email || ' ' || comments, '|') "
                            "FROM customer";
        QCOMPARE(m_db->scalar(sql).toString(), QString("1 Lee ann@x.com line one\r\nline two|7 Abel bo@y.org Fridays"));
    }

    // Values that need more room than the window gives them (a comment of many
    // lines, an address wider than the box, a word wider than the box) are shown
    // whole: every wrapped line has its room and the values scroll to reach them.
    void longValuesShownWhole()
    {
        QString comment;
        for (int i = 1; i <= 30; ++i)
            comment += QString("Comment line %1\r\n").arg(i);
        const QString address = QString("Apartment 12, ").repeated(12).trimmed();
        const QString email = QString("x").repeated(150) + "@example.com";
        store({{1, "Ann", "Abe"}, {2, "Bo", "Lee", address, "555", email, comment}});
        QMdiArea area;
        area.resize(900, 600);
        m_screen = std::make_unique<fmCustomers>();
        const auto ownedByArea = qScopeGuard([this] { (void)m_screen.release(); });
        area.addSubWindow(m_screen.get())->show();
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        click("cmNext");
        QCOMPARE(shown("lblComments"), comment);
        for (const char *name : {"lblComments", "lblAddress", "lblEmail"}) {
            auto *label = child<QLabel>(m_screen.get(), name);
            QTRY_VERIFY2(label->height() >= label->heightForWidth(label->width()), name);
            const int widestWord = label->text() == email ? label->fontMetrics().horizontalAdvance(email) : 0;
            QVERIFY2(label->contentsRect().width() - 2 * label->margin() >= widestWord, name);
        }
        auto *scroller = child<QScrollArea>(m_screen.get(), "scrValues");
        QVERIFY(scroller);
        QVERIFY(scroller->height() < 600); // the screen kept its size
        for (const char *name : {"lblComments", "lblAddress", "lblEmail"}) {
            auto *label = child<QLabel>(m_screen.get(), name);
            scroller->ensureWidgetVisible(label, 0, 0);
            const QRect onScreen(label->mapTo(scroller->viewport(), QPoint()), label->size());
            QVERIFY2(scroller->viewport()->rect().intersects(onScreen), name);
        }
        QVERIFY(scroller->verticalScrollBar()->maximum() > 0);
        QVERIFY(scroller->horizontalScrollBar()->maximum() > 0);
    }

    // The list runs from the first customer in name order; Print All asks first.
    void printedList()
    {
        store({{1, "Bo", "Ng", "2 Elm", "556", "bo@y.org", "Tuesdays"}, {2, "Ann", "Lee", "1 Oak", "555", "", "Cakes"}});
        RecordSet rs = RecordSet::table(m_db->db(), "customer", "last_name COLLATE NOCASE");
        QVERIFY(rs.refresh());
        const QStringList lines = CustomerRules::listLines(rs, QDate(2026, 12, 6));
        QCOMPARE(lines.mid(1), QStringList({" ", "AnnLee", "1 Oak", "555", "", "Cakes", " ",
                                            "BoNg", "2 Elm", "556", "bo@y.org", "Tuesdays", " "}));
        QVERIFY(lines.first().contains("26") || lines.first().contains("2026"));

        QTemporaryDir out;
        Printer::setPdfDirectory(out.path());
        MessageRecorder boxes;
        boxes.answers = {Msg::Answer::Cancel};
        open();
        click("cmNext");
        click("cmPrint");
        QVERIFY(QDir(out.path()).isEmpty());
        click("cmPrint");
        Printer::setPdfDirectory(QString());
        QCOMPARE(boxes.texts(), QStringList({"Print entire customer list?", "Print entire customer list?"}));
        QCOMPARE(boxes.boxes.first().buttons, Msg::Buttons::OkCancel);
        QCOMPARE(boxes.boxes.first().title, QString("Print"));
        const QString text = onlyPdfText(out.path());
        QVERIFY2(text.indexOf("AnnLee") < text.indexOf("Tuesdays") && text.contains("AnnLee"), qPrintable(text));
    }
};

QTEST_MAIN(tst_Customers)
#include "tst_customers.moc"
