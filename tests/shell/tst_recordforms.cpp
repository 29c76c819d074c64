// What every add and update form shares, driven through the four record screens:
// each box reaches its own column, a refused save keeps the form open, a click
// during Save starts no second one, stored text is kept whole and length
// limits never leave half a character.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "customers/fmCustomers.h"
#include "inventory/fmInventory.h"
#include "recipes/fmRecipes.h"
#include "shell/RecordForm.h"
#include "suppliers/fmSuppliers.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QtTest>

namespace {

const QString Smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600: two UTF-16 units
const QChar NoBreakSpace(0x00A0);

// One box of a form: what is typed into it and what its column then holds.
struct Field
{
    QString box, typed, column, stored;
};
using Fields = QList<Field>;

// One form as reached from its screen; update forms edit the one seeded row.
struct FormCase
{
    QString screen;  // "fmCustomers"
    QString button;  // "cmAdd" or "cmUpdate"
    QString table;
    QString seed;    // SQL for the row an update form edits
    Fields fields;   // a valid entry
};

QWidget *openScreen(const QString &name)
{
    QWidget *screen = nullptr;
    if (name == "fmCustomers")
        screen = new fmCustomers;
    else if (name == "fmInventory")
        screen = new fmInventory;
    else if (name == "fmSuppliers")
        screen = new fmSuppliers;
    else
        screen = new fmRecipes;
    screen->show();
    return screen;
}

QList<FormCase> formCases()
{
    const Fields customer = {
        {"txtLastname", "Lee", "last_name", "Lee"},
        {"txtFirstname", "Ann", "first_name", "Ann"},
        {"txtAddress", "1 Oak", "address", "1 Oak"},
        {"txtPhone", "555-0101", "phone", "555-0101"},
        {"txtEmail", "ann@x.com", "email", "ann@x.com"},
        {"txtBirthday", "03/07/1990", "birthday", "03/07/1990"},
        {"txtComments", "Fridays", "comments", "Fridays"},
    };
    const Fields supplier = {
        {"txtCompany", "Mill Co", "Company", "Mill Co"},
        {"txtContact", "Bo", "Contact", "Bo"},
        {"txtAddress", "2 Elm", "Address", "2 Elm"},
        {"txtPhone", "555-0102", "Phone", "555-0102"},
        {"txtEmail", "bo@mill.com", "email", "bo@mill.com"},
        {"txtComments", "Rye", "Comments", "Rye"},
    };
    const Fields product = {
        {"txtProduct", "Salt", "product", "Salt"},
        {"txtProdnum", "S-1", "product_refnum", "S-1"},
        {"medcost", "3.5", "cost", "35000"},
        {"txtQty", "7", "qty", "7"},
    };
    const Fields recipe = {
        {"txtRecipe", "Bread", "Recipe_Name", "Bread"},
        {"txtDirections1", "Knead", "Recipe_Directions1", "Knead"},
    };
    return {
        {"fmCustomers", "cmAdd", "customer", "", customer},
        {"fmCustomers", "cmUpdate", "customer",
         "INSERT INTO customer VALUES (1, 'F', 'L', 'A', 'P', 'E', 'B', 'C')", customer},
        {"fmSuppliers", "cmAdd", "suppliers", "", supplier},
        {"fmSuppliers", "cmUpdate", "suppliers", "INSERT INTO suppliers VALUES (1, 'Co', 'Ct', 'A', 'P', 'E', 'C')",
         supplier},
        {"fmInventory", "cmAdd", "inventory", "", product},
        {"fmInventory", "cmUpdate", "inventory", "INSERT INTO inventory VALUES (1, 'Old', 'O', 10000, 1)", product},
        {"fmRecipes", "cmAdd", "recipes", "", recipe},
        {"fmRecipes", "cmUpdate", "recipes", "INSERT INTO recipes VALUES ('Old', 'Stir', '', '', '')", recipe},
    };
}

void addFormRows()
{
    QTest::addColumn<int>("index");
    const QList<FormCase> cases = formCases();
    for (int i = 0; i < cases.size(); ++i)
        QTest::addRow("%s %s", qPrintable(cases[i].screen), qPrintable(cases[i].button)) << i;
}

void setText(QDialog *form, const QString &box, const QString &text)
{
    QWidget *w = child<QWidget>(form, box);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
        plain->setPlainText(text);
    } else if (auto *line = qobject_cast<QLineEdit *>(w)) {
        line->selectAll();
        line->del();
        QTest::keyClicks(line, text);
    }
}

void press(QDialog *form, const QString &button)
{
    child<QPushButton>(form, button)->click();
}

// Every row of the table, each as its columns joined by "|".
QStringList rows(const TestDatabase &db, const QString &table, const Fields &fields)
{
    QStringList columns;
    for (const Field &f : fields)
        columns << f.column;
    QSqlQuery q(db.db());
    q.exec(QString("SELECT %1 FROM %2 ORDER BY rowid").arg(columns.join(" || '|' || "), table));
    QStringList result;
    while (q.next())
        result << q.value(0).toString();
    return result;
}

QString expectedRow(const Fields &fields)
{
    QStringList values;
    for (const Field &f : fields)
        values << f.stored;
    return values.join('|');
}

void refuseWrites(const TestDatabase &db, const QString &table)
{
    for (const char *event : {"INSERT", "UPDATE"})
        QVERIFY(db.exec(QString("CREATE TRIGGER refuse_%1 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'refused by test'); END")
                            .arg(event, table)));
}

void allowWrites(const TestDatabase &db)
{
    QVERIFY(db.exec("DROP TRIGGER refuse_INSERT"));
    QVERIFY(db.exec("DROP TRIGGER refuse_UPDATE"));
}

// Answers every message box with OK, running `first` while the first one is open.
struct ScriptedMessages
{
    explicit ScriptedMessages(std::function<void()> first)
    {
        Msg::setScript([this, first](const Msg::Record &r) {
            boxes << r;
            if (boxes.size() == 1 && first)
                first();
            return Msg::Answer::Ok;
        });
    }
    ~ScriptedMessages() { Msg::clearScript(); }
    QList<Msg::Record> boxes;
};

// A stored text longer than a box's limit: 153 characters with line breaks, a
// no-break space and an emoji.
QString longComment()
{
    QString text = "Delivers on Fridays" + QString(NoBreakSpace) + "only.\r\n" + Smile + " ";
    while (text.size() < 153)
        text += QString("note %1. ").arg(text.size());
    return text.left(153);
}

} // namespace

class tst_RecordForms : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QWidget> m_screen;

    void seed(const FormCase &c)
    {
        if (!c.seed.isEmpty())
            QVERIFY(m_db->exec(c.seed));
    }
    // Opens the case's screen and its form, runs `drive` on the form.
    void runForm(const FormCase &c, const std::function<void(QDialog *)> &drive)
    {
        m_screen.reset(openScreen(c.screen));
        ModalDriver driver(drive);
        child<QPushButton>(m_screen.get(), c.button)->click();
        QCOMPARE(driver.opened.size(), 1);
    }

private slots:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_screen.reset();
        m_db.reset();
    }

    // Each box is written to its own column (not, say, the birthday from the phone box).
    void everyBoxToItsColumn_data() { addFormRows(); }
    void everyBoxToItsColumn()
    {
        QFETCH(int, index);
        const FormCase c = formCases().at(index);
        seed(c);
        MessageRecorder messages;
        bool closed = false;
        runForm(c, [&](QDialog *form) {
            for (const Field &f : c.fields)
                setText(form, f.box, f.typed);
            press(form, "cmSave");
            closed = !form->isVisible();
        });
        QCOMPARE(messages.texts(), QStringList());
        QVERIFY(closed);
        QCOMPARE(rows(*m_db, c.table, c.fields), QStringList{expectedRow(c.fields)});
    }

    // The first box has the focus when the form opens, and Tab goes through the
    // boxes in the order they are shown, then the buttons.
    void focusAndTabOrder_data() { addFormRows(); }
    void focusAndTabOrder()
    {
        QFETCH(int, index);
        const FormCase c = formCases().at(index);
        seed(c);
        QStringList order;
        runForm(c, [&](QDialog *form) { order = tabChain(form); });
        const QStringList customer = {"txtLastname", "txtFirstname", "txtAddress", "txtPhone",
                                      "txtEmail", "txtBirthday", "txtComments", "cmSave", "cmCancel"};
        const QStringList supplier = {"txtCompany", "txtContact", "txtAddress", "txtPhone",
                                      "txtEmail", "txtComments", "cmSave", "cmCancel"};
        const QStringList product = {"txtProduct", "txtProdnum", "medcost", "txtQty", "cmSave", "cmCancel"};
        const QList<QStringList> expected = {
            customer, customer, supplier, supplier + QStringList{"cmDelete"}, product, product,
            {"txtRecipe", "txtDirections1", "cmSave", "cmCancel"},
            // The update form starts in the directions.
            {"txtDirections1", "txtRecipe", "cmCancel", "cmSave", "cmDelete"}};
        QCOMPARE(order, expected.at(index));
    }

    // The database refusing the write (a trigger here) is reported; the form
    // stays open with what was typed and the table is as it was.
    void refusedSaveKeepsFormOpen_data() { addFormRows(); }
    void refusedSaveKeepsFormOpen()
    {
        QFETCH(int, index);
        const FormCase c = formCases().at(index);
        seed(c);
        refuseWrites(*m_db, c.table);
        const QStringList before = rows(*m_db, c.table, c.fields);
        MessageRecorder messages;
        bool open = false;
        QStringList kept;
        runForm(c, [&](QDialog *form) {
            for (const Field &f : c.fields)
                setText(form, f.box, f.typed);
            press(form, "cmSave");
            open = form->isVisible();
            for (const Field &f : c.fields) {
                QWidget *w = child<QWidget>(form, f.box);
                auto *plain = qobject_cast<QPlainTextEdit *>(w);
                kept << (plain ? plain->toPlainText() : static_cast<QLineEdit *>(w)->text());
            }
        });
        QVERIFY(open);
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].title, QString("Error"));
        QCOMPARE(messages.boxes[0].icon, Msg::Icon::Critical);
        QVERIFY2(messages.boxes[0].text.contains("refused by test"), qPrintable(messages.boxes[0].text));
        QCOMPARE(rows(*m_db, c.table, c.fields), before);
        QStringList typed;
        for (const Field &f : c.fields)
            typed << f.typed;
        QCOMPARE(kept, typed);
    }

    // A click on Save that gets in while Save's own message box is open (its
    // event loop runs) is ignored: one Save, one record.
    void clickDuringSaveIgnored_data() { addFormRows(); }
    void clickDuringSaveIgnored()
    {
        QFETCH(int, index);
        const FormCase c = formCases().at(index);
        seed(c);
        refuseWrites(*m_db, c.table);
        const QStringList before = rows(*m_db, c.table, c.fields);
        QDialog *current = nullptr;
        ScriptedMessages messages([&] {
            allowWrites(*m_db);
            press(current, "cmSave");
        });
        QStringList during;
        bool closedAfterSecondSave = false;
        runForm(c, [&](QDialog *form) {
            current = form;
            for (const Field &f : c.fields)
                setText(form, f.box, f.typed);
            press(form, "cmSave");
            QVERIFY(form->isVisible());
            during = rows(*m_db, c.table, c.fields);
            press(form, "cmSave");
            closedAfterSecondSave = !form->isVisible();
        });
        QCOMPARE(during, before);
        QVERIFY(closedAfterSecondSave);
        QCOMPARE(rows(*m_db, c.table, c.fields), QStringList{expectedRow(c.fields)});
        QCOMPARE(messages.boxes.size(), 1);
    }

    void clickDuringDeleteIgnored_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("seed");
        QTest::newRow("supplier") << "fmSuppliers" << "suppliers"
                                  << "INSERT INTO suppliers (supplier_num, Company) VALUES (1, 'A'), (2, 'B')";
        QTest::newRow("recipe") << "fmRecipes" << "recipes"
                                << "INSERT INTO recipes (Recipe_Name, Recipe_Directions1) VALUES ('A', 'x'), ('B', 'y')";
    }
    // The same for Delete: a second click while "Are you sure" is open must not
    // delete the next record too.
    void clickDuringDeleteIgnored()
    {
        QFETCH(QString, screen);
        QFETCH(QString, table);
        QFETCH(QString, seed);
        QVERIFY(m_db->exec(seed));
        QDialog *current = nullptr;
        ScriptedMessages messages([&] { press(current, "cmDelete"); });
        runForm({screen, "cmUpdate", table, "", {}}, [&](QDialog *form) {
            current = form;
            press(form, "cmDelete");
        });
        QCOMPARE(m_db->count(table), 1);
        QCOMPARE(messages.boxes.size(), 1);
    }

    void storedTextKeptWhole_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("seed");     // stores the value in the row the form edits
        QTest::addColumn<QStringList>("parts"); // bound to the seed
        QTest::addColumn<QString>("box");      // the one box changed
        QTest::addColumn<QString>("column");   // the column left alone
        QTest::addColumn<QString>("stored");   // its value, before and after
        const QString comment = longComment();
        QTest::newRow("customer comments") << "fmCustomers"
                                           << "INSERT INTO customer (cust_num, last_name, first_name, address, phone, "
                                              "comments) VALUES (1, 'L', 'F', 'A', 'P', ?)"
                                           << QStringList{comment} << "txtPhone" << "comments FROM customer" << comment;
        const QString address(120, u'a');
        QTest::newRow("customer address") << "fmCustomers"
                                          << "INSERT INTO customer (cust_num, last_name, first_name, phone, "
                                             "address) VALUES (1, 'L', 'F', 'P', ?)"
                                          << QStringList{address} << "txtPhone" << "address FROM customer" << address;
        QTest::newRow("supplier comments") << "fmSuppliers"
                                           << "INSERT INTO suppliers (supplier_num, Company, Phone, Address, Comments) "
                                              "VALUES (1, 'C', 'P', 'A', ?)"
                                           << QStringList{comment} << "txtPhone" << "Comments FROM suppliers" << comment;
        QString recipe;
        for (int i = 0; recipe.size() < 1153; ++i)
            recipe += QString("Step %1: stir.\r\n").arg(i);
        recipe = recipe.left(1150) + Smile + NoBreakSpace;
        QTest::newRow("recipe directions")
            << "fmRecipes" << "INSERT INTO recipes VALUES ('Bread', ?, ?, ?, ?)"
            << QStringList{recipe.left(250), recipe.mid(250, 250), recipe.mid(500, 250), recipe.mid(750)}
            << "txtRecipe"
            << "Recipe_Directions1 || Recipe_Directions2 || Recipe_Directions3 || Recipe_Directions4 FROM recipes"
            << recipe;
    }
    // A stored value longer than its box's typing limit goes through an update
    // that does not touch it unchanged; typing cannot make it longer.
    void storedTextKeptWhole()
    {
        QFETCH(QString, screen);
        QFETCH(QString, seed);
        QFETCH(QStringList, parts);
        QFETCH(QString, box);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        QVERIFY(m_db->exec(seed, QVariant(parts).toList()));
        MessageRecorder messages;
        runForm({screen, "cmUpdate", "", "", {}}, [&](QDialog *form) {
            setText(form, box, "Changed");
            for (QWidget *w : form->findChildren<QWidget *>()) {
                if (qobject_cast<QPlainTextEdit *>(w) || (qobject_cast<QLineEdit *>(w) && w->objectName() != box))
                    QTest::keyClicks(w, "x");
            }
            press(form, "cmSave");
        });
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(m_db->scalar("SELECT " + column).toString(), stored);
    }

    void multiLineLimit_data()
    {
        QTest::addColumn<QString>("start");  // the box's text before typing, cursor at its end
        QTest::addColumn<int>("cursor");     // where the paste goes; -1: at the end
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("result"); // as stored
        const QString a98 = QString(98, u'a');
        QTest::newRow("stops at the limit") << QString() << -1 << QString(120, u'b') << QString(99, u'b');
        QTest::newRow("a line break counts two") << QString(97, u'a') << -1 << "\nb" << QString(97, u'a') + "\r\n";
        QTest::newRow("no room for a line break") << a98 << -1 << "\nb" << a98;
        QTest::newRow("emoji left out whole") << a98 << -1 << Smile + Smile << a98;
        QTest::newRow("emoji that fits") << QString(97, u'a') << -1 << Smile + Smile << QString(97, u'a') + Smile;
        QTest::newRow("paste in the middle keeps the end")
            << QString(90, u'a') + "END" << 10 << QString(20, u'b')
            << QString(10, u'a') + QString(6, u'b') + QString(80, u'a') + "END";
    }
    // A multi-line box with a limit of 99 characters, typed and pasted into.
    void multiLineLimit()
    {
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, result);
        RecordForm form("fmTest", "Test", {{"txtComments", "lblComments", "Comments:", 99, FormField::MultiLine}});
        auto *box = child<QPlainTextEdit>(&form, "txtComments");
        box->setPlainText(start);
        QTextCursor at = box->textCursor();
        at.setPosition(cursor < 0 ? int(start.size()) : cursor);
        box->setTextCursor(at);
        box->insertPlainText(pasted);
        QCOMPARE(form.boxText("txtComments"), result);
    }

    void multiLineStoredLonger_data()
    {
        QTest::addColumn<QString>("filled");
        QTest::addColumn<QString>("stored"); // as the box gives it back
        QTest::newRow("CR LF") << longComment() << longComment();
        // Written by another program: the lone breaks come back as CR LF, nothing is cut.
        const QString x(60, u'x'), y(60, u'y'), z(30, u'z');
        QTest::newRow("lone LF and CR") << x + "\n" + y + "\r" + z << x + "\r\n" + y + "\r\n" + z;
    }
    // Filled with a longer stored text, the box keeps it; typing then adds
    // nothing, while deleting and typing within its length still work.
    void multiLineStoredLonger()
    {
        QFETCH(QString, filled);
        QFETCH(QString, stored);
        RecordForm form("fmTest", "Test", {{"txtComments", "lblComments", "Comments:", 99, FormField::MultiLine}});
        form.setBoxText("txtComments", filled);
        QCOMPARE(form.boxText("txtComments"), stored);
        auto *box = child<QPlainTextEdit>(&form, "txtComments");
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, "xyz");
        QCOMPARE(form.boxText("txtComments"), stored);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, "xyz");
        QCOMPARE(form.boxText("txtComments"), stored.chopped(1) + "x");
    }

    // One-line boxes: the limit (Qt's, in UTF-16 units) never leaves half an emoji.
    void lineLimitKeepsWholeCharacters()
    {
        RecordForm form("fmTest", "Test", {{"txtPhone", "lblPhone", "Phone:", 5}});
        auto *box = child<QLineEdit>(&form, "txtPhone");
        box->insert("abcd" + Smile);
        QCOMPARE(form.boxText("txtPhone"), QString("abcd"));
        box->clear();
        box->insert("abc" + Smile + Smile);
        QCOMPARE(form.boxText("txtPhone"), "abc" + Smile);
    }
};

QTEST_MAIN(tst_RecordForms)
#include "tst_recordforms.moc"
