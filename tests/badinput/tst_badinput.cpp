// Hostile input in every box of every form. Each form's boxes are found on the
// form itself (every editable line and text box), so a box added later is
// covered at once and fails here until it is given a column to land in. Each
// box gets each value of one table, pasted as a user would (the box's own
// limits act), on top of an otherwise valid entry; then Save. Either the value
// is stored whole, exactly as the box holds it, or the save is refused with a
// message, the form stays open with the value still in the box, and the
// database file is byte-for-byte what it was.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "admin/fmAdministrative.h"
#include "bookkeeping/ExpenseForms.h"
#include "customers/fmCustomers.h"
#include "inventory/fmInventory.h"
#include "orders/fmAddOrder.h"
#include "orders/fmUpdateOrd.h"
#include "recipes/fmRecipes.h"
#include "shell/BrowserScreen.h"
#include "shell/RecordForm.h"
#include "suppliers/fmSuppliers.h"

#include <QClipboard>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <cmath>
#include <set>

namespace {

// The one table of hostile values every box is fed from.
QList<std::pair<QString, QString>> hostileValues()
{
    QString mixedLong;
    while (mixedLong.size() < 10000)
        mixedLong += QStringLiteral("Wx7' ");
    return {
        {"empty", ""},
        {"blanks only", "     "},
        {"single quote", "'"},
        {"quote injection", "' OR 1=1 --"},
        {"10000 digits", QString(10000, u'7')},
        {"10000 characters", mixedLong.left(10000)},
        {"control characters", QString::fromUtf8("a\x01" "b\tc\rd\ne\x7f" "f\x1b")},
        {"outside the basic plane", QString::fromUtf8("\xF0\x9F\x98\x80 cake \xF0\x9F\x8E\x82")},
        {"right-to-left", QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xE2\x80\xAE" "abc \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7")},
        {"huge number", "99999999999999999999"},
        {"negative", "-5"},
        {"negative zero", "-0"},
        {"1e309", "1e309"},
        {"NaN", "NaN"},
        {"inf", "inf"},
        {"month 13 day 45", "13/45/2005"},
        {"February 30", "02/30/2024"},
        {"all zero date", "00/00/0000"},
    };
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// How a box's value is stored.
enum class Kind { Text, Money, Number, Date };

struct Landing
{
    QString column;        // an expression over the form's table
    Kind kind = Kind::Text;
    QString emptyStoredAs; // what an empty box stores, when not as shown
    QString refusedShows;  // what the box shows after a refusal, when not as typed
    QString refusalNames;  // a refusal's message names one of these ("|" between; ShownText: the box's text)
    QString seedColumn;    // the column to store a value in, when `column` is an expression
};

// Stands for the box's text as the screen shows it (a masked box's blanks included).
const QString ShownText = QStringLiteral("<shown>");

// One form, as opened from where the user opens it.
struct FormCase
{
    QString name;
    QStringList seed;                 // statements run on the fresh database
    QString table, key;               // where the saved row lands, and its key
    QVariant updatedKey;              // the row an update form edits
    QList<std::pair<QString, QString>> valid; // a valid entry, box by box
    QHash<QString, Landing> landing;  // where each box's value lands
};

const QStringList CustomerSeed{"INSERT INTO customer VALUES (1, 'F', 'L', 'A', 'P', 'E', 'B', 'C')"};
const QStringList ProductSeed{"INSERT INTO inventory VALUES (1, 'Old', 'O', 10000, 1)"};
const QStringList OrderSeed{
    "INSERT INTO customer (cust_num, first_name, last_name, address, phone) VALUES (1, 'Ann', 'Lee', '1 Oak', '555')",
    "INSERT INTO inventory VALUES (1, 'Fudge', 'F-9', 25000, 10)",
    "INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type, subtotal, add_costs, discounts,"
    " total_price, out_of_town_order, comments) VALUES (7, 1, '2026-03-02', 'O', 'P', 0, 50000, 10000, 0, 0, 'ring')",
    "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (7, 1, 1, 3)",
};

QList<FormCase> formCases()
{
    const QList<std::pair<QString, QString>> customer{
        {"txtLastname", "Lee"}, {"txtFirstname", "Ann"}, {"txtAddress", "1 Oak"},  {"txtPhone", "555-0101"},
        {"txtEmail", "a@x.com"}, {"txtBirthday", "03/07/1990"}, {"txtComments", "Fridays"}};
    const QHash<QString, Landing> customerLanding{
        {"txtLastname", {"last_name"}}, {"txtFirstname", {"first_name"}}, {"txtAddress", {"address"}},
        {"txtPhone", {"phone"}},        {"txtEmail", {"email"}},          {"txtBirthday", {"birthday"}},
        {"txtComments", {"comments"}}};
    const QList<std::pair<QString, QString>> supplier{{"txtCompany", "Mill Co"}, {"txtContact", "Bo"},
                                                      {"txtAddress", "2 Elm"},   {"txtPhone", "555-0102"},
                                                      {"txtEmail", "b@m.com"},   {"txtComments", "Rye"}};
    const QHash<QString, Landing> supplierLanding{
        {"txtCompany", {"Company"}}, {"txtContact", {"Contact"}}, {"txtAddress", {"Address"}},
        {"txtPhone", {"Phone"}},     {"txtEmail", {"email"}},     {"txtComments", {"Comments"}}};
    const QList<std::pair<QString, QString>> product{
        {"txtProduct", "Salt"}, {"txtProdnum", "S-1"}, {"medcost", "3.5"}, {"txtQty", "7"}};
    const QHash<QString, Landing> productLanding{{"txtProduct", {"product"}},
                                                 {"txtProdnum", {"product_refnum", Kind::Text, "99999"}},
                                                 // The design resets a cost that is no number.
                                                 {"medcost", {"cost", Kind::Money, {}, "$0.00"}},
                                                 {"txtQty", {"qty", Kind::Number}}};
    const QList<std::pair<QString, QString>> recipe{{"txtRecipe", "Bread"}, {"txtDirections1", "Knead"}};
    const QHash<QString, Landing> recipeLanding{
        {"txtRecipe", {"Recipe_Name"}},
        {"txtDirections1",
         {"Recipe_Directions1 || Recipe_Directions2 || Recipe_Directions3 || Recipe_Directions4", Kind::Text, {}, {},
          {}, "Recipe_Directions1"}}};
    const QList<std::pair<QString, QString>> expense{
        {"txtdesc", "Flour"}, {"medAmt", "12.5"}, {"medDate", "03/04/2026"}};
    const QHash<QString, Landing> expenseLanding{{"txtdesc", {"expense_desc"}},
                                                 {"medAmt", {"expense_amt", Kind::Money}},
                                                 {"medDate", {"expense_date", Kind::Date, {}, {}, ShownText}}};
    const QList<std::pair<QString, QString>> admin{
        {"medtax", "7.25"}, {"medshipping", "8.5"}, {"medShippingOOT", "12.5"}, {"medInvQty", "5"}};
    const QHash<QString, Landing> adminLanding{{"medtax", {"tax", Kind::Number}},
                                               {"medshipping", {"shipping", Kind::Number}},
                                               {"medShippingOOT", {"shippingoot", Kind::Number}},
                                               {"medInvQty", {"invReminderqty", Kind::Number}}};
    const QList<std::pair<QString, QString>> order{{"medDate", "03/04/2026"}, {"txtQty_0", "2"},
                                                   {"medaddcosts", "$03.00"}, {"meddiscounts", "$01.00"},
                                                   {"txtComments", "ring twice"}};
    const QHash<QString, Landing> orderLanding{
        {"medDate", {"order_date", Kind::Date, {}, {}, ShownText}},
        {"txtQty_0",
         {"(SELECT group_concat(order_qty) FROM order_detail d WHERE d.order_num = orders.order_num)", Kind::Number,
          {}, {}, "quantity of Fudge|You must enter a quanity"}},
        // An amount box without digits stands for no amount.
        {"medaddcosts", {"add_costs", Kind::Money, "0"}},
        {"meddiscounts", {"discounts", Kind::Money, "0"}},
        {"txtComments", {"comments"}}};
    const QStringList expenseSeed{"INSERT INTO expenses VALUES (1, 'Old', 10000, '2026-01-05')"};
    return {
        {"customer add", {}, "customer", "cust_num", {}, customer, customerLanding},
        {"customer update", CustomerSeed, "customer", "cust_num", 1, customer, customerLanding},
        {"supplier add", {}, "suppliers", "supplier_num", {}, supplier, supplierLanding},
        {"supplier update", {"INSERT INTO suppliers VALUES (1, 'Co', 'Ct', 'A', 'P', 'E', 'C')"}, "suppliers",
         "supplier_num", 1, supplier, supplierLanding},
        {"product add", {}, "inventory", "product_num", {}, product, productLanding},
        {"product update", ProductSeed, "inventory", "product_num", 1, product, productLanding},
        {"recipe add", {}, "recipes", "rowid", {}, recipe, recipeLanding},
        {"recipe update", {"INSERT INTO recipes VALUES ('Old', 'Stir', '', '', '')"}, "recipes", "rowid", 1, recipe,
         recipeLanding},
        {"expense add", {}, "expenses", "expense_num", {}, expense, expenseLanding},
        {"expense update", expenseSeed, "expenses", "expense_num", 1, expense, expenseLanding},
        {"business defaults", {}, "admin", "rowid", 1, admin, adminLanding},
        {"new order", OrderSeed.mid(0, 2), "orders", "order_num", {}, order, orderLanding},
        {"update order", OrderSeed, "orders", "order_num", 7, order, orderLanding},
    };
}

// Puts `text` into a box as a user would: select all, Delete, then paste it
// or type it key by key.
void pasteInto(QWidget *box, const QString &text, bool typed = false)
{
    box->setFocus();
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        plain->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    if (text.isEmpty())
        return;
    if (typed) {
        // One key per character; a character outside the basic plane comes as one key with both halves.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString key = text.mid(i, n);
            if (key.at(0).unicode() < 0x80)
                QTest::keyClick(box, key.at(0).toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, key, Qt::NoModifier);
            i += n - 1;
        }
        return;
    }
    QGuiApplication::clipboard()->setText(text);
    QTest::keySequence(box, QKeySequence::Paste);
}

// What a box holds, as its form stores it.
QString boxText(QWidget *form, QWidget *box)
{
    if (auto *record = qobject_cast<RecordForm *>(form))
        return record->boxText(box->objectName());
    if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        return plain->toPlainText();
    return static_cast<QLineEdit *>(box)->text();
}

// The boxes a user can type into, by objectName.
QList<QWidget *> editableBoxes(QWidget *form)
{
    QList<QWidget *> boxes;
    for (QLineEdit *line : form->findChildren<QLineEdit *>()) {
        if (!line->isReadOnly() && line->isEnabled() && line->isVisible()
            && !qobject_cast<QComboBox *>(line->parentWidget()))
            boxes << line;
    }
    for (QPlainTextEdit *plain : form->findChildren<QPlainTextEdit *>()) {
        if (!plain->isReadOnly() && plain->isEnabled() && plain->isVisible())
            boxes << plain;
    }
    return boxes;
}

// The number a box's text stands for: "$1,234.50", "(3.00)", " 7 ".
std::optional<double> numberIn(QString text)
{
    text.remove(u'$').remove(u',').remove(u' ');
    bool negative = false;
    if (text.startsWith(u'(') && text.endsWith(u')')) {
        negative = true;
        text = text.mid(1, text.size() - 2);
    }
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

// Why a stored value is not what the box held; empty when it is.
QString storedMismatch(const Landing &l, const QString &shown, const QVariant &stored)
{
    const QString fail = QStringLiteral("box held \"%1\", stored %2").arg(shown.left(60), stored.toString().left(60));
    switch (l.kind) {
    case Kind::Text: {
        const QString expected = shown.isEmpty() && !l.emptyStoredAs.isEmpty() ? l.emptyStoredAs : shown;
        return stored.toString() == expected && !stored.isNull() ? QString() : fail;
    }
    case Kind::Money: {
        static const QRegularExpression digit(QStringLiteral("[0-9]"));
        const auto v = !shown.contains(digit) && !l.emptyStoredAs.isEmpty() ? numberIn(l.emptyStoredAs)
                                                                             : numberIn(shown);
        return v && std::abs(stored.toLongLong() / 10000.0 - *v) < 0.005 ? QString() : fail;
    }
    case Kind::Number: {
        const auto v = numberIn(shown);
        return v && std::abs(stored.toDouble() - *v) <= 1e-9 * std::max(1.0, std::abs(*v)) ? QString() : fail;
    }
    case Kind::Date: {
        const QDate d = QDate::fromString(shown, QStringLiteral("MM/dd/yyyy"));
        return d.isValid() && stored.toString() == d.toString(Qt::ISODate) ? QString() : fail;
    }
    }
    return fail;
}

QVariantList keys(const TestDatabase &db, const FormCase &c)
{
    QSqlQuery q(db.db());
    q.exec(QStringLiteral("SELECT %1 FROM %2").arg(c.key, c.table));
    QVariantList out;
    while (q.next())
        out << q.value(0);
    return out;
}

// Opens a form where the user opens it, runs `drive` while it is open, and
// closes what was opened.
class FormOpener
{
public:
    FormOpener(const FormCase &c) : m_case(c) {}

    void run(const std::function<void(QWidget *)> &drive)
    {
        const QString &n = m_case.name;
        if (n.startsWith("customer") || n.startsWith("supplier") || n.startsWith("product")
            || n.startsWith("recipe")) {
            std::unique_ptr<QWidget> screen;
            if (n.startsWith("customer"))
                screen = std::make_unique<fmCustomers>();
            else if (n.startsWith("supplier"))
                screen = std::make_unique<fmSuppliers>();
            else if (n.startsWith("product"))
                screen = std::make_unique<fmInventory>();
            else
                screen = std::make_unique<fmRecipes>();
            screen->show();
            int opened = 0;
            ModalDriver driver([&](QDialog *form) {
                ++opened;
                activate(form);
                drive(form);
            });
            child<QPushButton>(screen.get(), n.endsWith("add") ? "cmAdd" : "cmUpdate")->click();
            QCOMPARE(opened, 1);
        } else if (n.startsWith("expense")) {
            std::unique_ptr<QWidget> form;
            if (n.endsWith("add"))
                form = std::make_unique<fmAddExpense>(nullptr, QDate(2026, 3, 4));
            else
                form = std::make_unique<fmUpdateExpense>(
                    StoredExpense{1, {"Old", Money::fromUnits(10000), QDate(2026, 1, 5)}}, nullptr);
            form->show();
            activate(form.get());
            drive(form.get());
        } else if (n == "business defaults") {
            fmAdministrative screen;
            screen.show();
            activate(&screen);
            child<QPushButton>(&screen, "cmUpdate")->click();
            drive(&screen);
        } else {
            // The pickers choose the first customer and product.
            ModalDriver pickers([](QDialog *d) {
                clickGridRow(child<QTableView>(d, "DataGrid1"), 0);
                child<QPushButton>(d, "cmOk")->click();
            });
            std::unique_ptr<OrderForm> form;
            if (n == "new order") {
                auto add = std::make_unique<fmAddOrder>();
                add->show();
                child<QPushButton>(add.get(), "cmGetName")->click();
                add->lines()->cmGetProduct(0)->click();
                form = std::move(add);
            } else {
                form = std::make_unique<fmUpdateOrd>(7, "Ann Lee");
                form->show();
                QCoreApplication::processEvents();
            }
            activate(form.get());
            drive(form.get());
        }
    }

    static void activate(QWidget *w)
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

private:
    const FormCase &m_case;
};

bool stillOpen(QWidget *form)
{
    if (qobject_cast<QDialog *>(form))
        return form->isVisible();
    // The business defaults: Save is shown while editing.
    return child<QPushButton>(form, "cmSave")->isVisible();
}

QString saveButton(QWidget *form)
{
    return form->findChild<QPushButton *>("cmSave") ? QStringLiteral("cmSave") : QStringLiteral("cmUpdate");
}

struct Figures
{
    std::set<QString> forms, boxes;
    int values = 0, tried = 0, stored = 0, refused = 0;
    int searches = 0, storedTried = 0;
    int exact = 0; // stored exactly as entered, nothing cut or left out by the box
};
Figures figures;

// The offscreen platform warns on every form shown; other messages go through.
QtMessageHandler previousHandler = nullptr;
void dropPlatformNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("does not support propagateSizeHints")))
        previousHandler(type, context, message);
}

// A browser's Go To: the screen, its search box, the column searched (the one
// its first value label shows) and the message when nothing is found.
struct SearchCase
{
    QString screen, combo, label, insert, notFound;
};

QList<SearchCase> searchCases()
{
    return {
        {"fmCustomers", "cmbCust", "lblLastname",
         "INSERT INTO customer (cust_num, last_name, first_name, address, phone) VALUES (?, ?, 'F', 'A', 'P')",
         "Customer not found!"},
        {"fmInventory", "cmbInv", "lblProduct",
         "INSERT INTO inventory (product_num, product, product_refnum, cost, qty) VALUES (?, ?, 'R', 0, 0)",
         "Product not found!"},
        {"fmSuppliers", "cmbSupplier", "lblCompany", "INSERT INTO suppliers (supplier_num, Company) VALUES (?, ?)",
         "Supplier not found!"},
        {"fmRecipes", "cmbRecipes", "lblRecipe",
         "INSERT INTO recipes (rowid, Recipe_Name, Recipe_Directions1) VALUES (?, ?, 'Stir')", "Recipe not found!"},
    };
}

BrowserScreen *openBrowser(const QString &name)
{
    if (name == "fmCustomers")
        return new fmCustomers;
    if (name == "fmInventory")
        return new fmInventory;
    if (name == "fmSuppliers")
        return new fmSuppliers;
    return new fmRecipes;
}

} // namespace

class tst_BadInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The databases here are scratch: kept in memory where the system
        // offers it, a thousand saves do not wait on the disk.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
        previousHandler = qInstallMessageHandler(dropPlatformNoise);
        figures.values = int(hostileValues().size());
    }
    void cleanupTestCase()
    {
        qInfo("bad input: %d forms, %d boxes, %d values, %d combinations (%d stored whole, %d of them exactly as "
              "entered; %d refused); %d stored values saved again; %d searches",
              int(figures.forms.size()), int(figures.boxes.size()), figures.values, figures.tried, figures.stored,
              figures.exact, figures.refused, figures.storedTried, figures.searches);
    }

    void everyBoxEveryValue_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("typed");
        const QList<FormCase> cases = formCases();
        static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
        for (int f = 0; f < cases.size(); ++f) {
            for (const auto &[name, value] : hostileValues()) {
                QTest::addRow("%s: %s", qPrintable(cases[f].name), qPrintable(name)) << f << value << false;
                // Typed key by key as well, where a keyboard can type it.
                if (value.size() <= 40 && !value.contains(control))
                    QTest::addRow("%s: %s, typed", qPrintable(cases[f].name), qPrintable(name)) << f << value << true;
            }
        }
    }
    // One database per form and value; each box of the form in turn.
    void everyBoxEveryValue()
    {
        QFETCH(int, form);
        QFETCH(QString, value);
        QFETCH(bool, typed);
        const FormCase c = formCases().at(form);
        TestDatabase db;
        for (const QString &sql : c.seed)
            QVERIFY(db.exec(sql));
        FormOpener opener(c);

        // The boxes as the form has them; each must have its place in the table.
        QStringList names;
        opener.run([&](QWidget *f) {
            for (QWidget *box : editableBoxes(f))
                names << box->objectName();
        });
        names.sort();
        QStringList expected;
        for (const auto &[box, text] : c.valid)
            expected << box;
        expected.sort();
        QCOMPARE(names, expected);

        QStringList faults;
        const auto check = [&](bool ok, const QString &what) {
            if (!ok)
                faults << what;
            return ok;
        };
        for (const QString &boxName : names) {
            MessageRecorder messages;
            QString shown, kept, onScreen;
            QHash<QString, QString> shownAll;
            bool open = true;
            QByteArray before;
            QVariantList keysBefore;
            opener.run([&](QWidget *f) {
                for (const auto &[box, text] : c.valid)
                    pasteInto(child<QWidget>(f, box), text);
                QWidget *box = child<QWidget>(f, boxName);
                pasteInto(box, value, typed);
                // Clicking Save takes the focus from the box, as here.
                QPushButton *save = child<QPushButton>(f, saveButton(f));
                save->setFocus();
                shown = boxText(f, box);
                auto *line = qobject_cast<QLineEdit *>(box);
                onScreen = line ? line->displayText() : shown;
                for (const QString &other : names)
                    shownAll.insert(other, boxText(f, child<QWidget>(f, other)));
                messages.boxes.clear();
                before = fileHash(db.path());
                keysBefore = keys(db, c);
                save->click();
                open = stillOpen(f);
                kept = boxText(f, box);
            });
            const QString where = QStringLiteral("%1, %2 holding \"%3\"").arg(c.name, boxName, shown.left(40));
            ++figures.tried;
            figures.forms.insert(c.name);
            figures.boxes.insert(c.name + '/' + boxName);
            const Landing &l = c.landing.value(boxName);
            for (const Msg::Record &m : messages.boxes) {
                // Bad input is caught by the form, not by the database.
                check(m.icon != Msg::Icon::Critical, where + ": " + m.text);
            }
            if (qEnvironmentVariableIsSet("BADINPUT_LOG"))
                qInfo("%s -> %s [%s]", qPrintable(where), open ? "refused" : "stored",
                      qPrintable(messages.texts().join(" | ").replace('\n', ' ')));
            if (open) {
                ++figures.refused;
                if (!check(!messages.boxes.isEmpty(), where + ": refused without a message"))
                    continue;
                check(!messages.boxes.last().text.trimmed().isEmpty(), where + ": an empty message");
                const QString named = QString(l.refusalNames).replace(ShownText, onScreen);
                bool names = false;
                for (const QString &n : named.split(u'|'))
                    names = names || messages.boxes.last().text.contains(n);
                check(names, where + ": the message does not name \"" + named + "\": " + messages.boxes.last().text);
                check(fileHash(db.path()) == before, where + ": file changed by a refused save");
                const QString expectedKept = l.refusedShows.isEmpty() || numberIn(shown) ? shown : l.refusedShows;
                check(kept == expectedKept, where + ": the box now holds \"" + kept.left(40) + "\"");
                continue;
            }
            ++figures.stored;
            QVariant key = c.updatedKey;
            for (const QVariant &k : keys(db, c)) {
                if (!keysBefore.contains(k))
                    key = k;
            }
            if (!check(key.isValid(), where + ": closed, but no row was stored"))
                continue;
            if (shown == value)
                ++figures.exact;
            // The whole entry is stored, not just the box under test.
            for (const QString &other : names) {
                const Landing &o = c.landing.value(other);
                const QVariant stored = db.scalar(
                    QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(o.column, c.table, c.key), {key});
                const QString mismatch = storedMismatch(o, shownAll.value(other), stored);
                check(mismatch.isEmpty(), where + ": " + other + ": " + mismatch);
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
    }

    void storedValuesComeBackWhole_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("value");
        const QList<FormCase> cases = formCases();
        for (int f = 0; f < cases.size(); ++f) {
            // The expense form is handed its values by the bookkeeping grid, not read here.
            if (!cases[f].updatedKey.isValid() || cases[f].name == "business defaults" || cases[f].name.startsWith("expense"))
                continue;
            for (const auto &[name, value] : hostileValues())
                QTest::addRow("%s: %s", qPrintable(cases[f].name), qPrintable(name)) << f << value;
        }
    }
    // A hostile text already stored (by another program, or an older version)
    // goes through an update form's Save untouched: each text column in turn
    // holds the value, Save is pressed without a change, and the column still
    // holds it exactly, or the save is refused with the file unchanged.
    void storedValuesComeBackWhole()
    {
        QFETCH(int, form);
        QFETCH(QString, value);
        const FormCase c = formCases().at(form);
        QStringList faults;
        for (const auto &entry : c.valid) {
            const QString boxName = entry.first; // a lambda below reads it
            const Landing &l = c.landing.value(boxName);
            if (l.kind != Kind::Text)
                continue;
            TestDatabase db;
            for (const QString &sql : c.seed)
                QVERIFY(db.exec(sql));
            const QString column = l.seedColumn.isEmpty() ? l.column : l.seedColumn;
            QVERIFY(db.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?").arg(c.table, column, c.key),
                            {value, c.updatedKey}));
            MessageRecorder messages;
            bool open = true, multiLine = false;
            QByteArray before;
            FormOpener(c).run([&](QWidget *f) {
                multiLine = qobject_cast<QPlainTextEdit *>(child<QWidget>(f, boxName)) != nullptr;
                messages.boxes.clear();
                before = fileHash(db.path());
                child<QPushButton>(f, saveButton(f))->click();
                open = stillOpen(f);
            });
            ++figures.storedTried;
            const QString where = QStringLiteral("%1, %2 stored as \"%3\"").arg(c.name, column, value.left(40));
            if (open) {
                if (messages.boxes.isEmpty() || messages.boxes.last().text.trimmed().isEmpty())
                    faults << where + ": refused without a message";
                if (fileHash(db.path()) != before)
                    faults << where + ": file changed by a refused save";
                continue;
            }
            QString expected = value.isEmpty() && !l.emptyStoredAs.isEmpty() ? l.emptyStoredAs : value;
            if (multiLine) {
                // A multi-line box gives every line break back as CR LF.
                static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
                expected.replace(lineBreak, QStringLiteral("\r\n"));
            }
            const QString now = db.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(l.column, c.table, c.key),
                                          {c.updatedKey}).toString();
            if (now != expected)
                faults << where + ": now \"" + now.left(40) + "\"";
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
    }

    void goToEveryValue_data()
    {
        QTest::addColumn<int>("browser");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("stored"); // a row holds the value as its name
        const QList<SearchCase> cases = searchCases();
        for (int b = 0; b < cases.size(); ++b) {
            for (const auto &[name, value] : hostileValues()) {
                for (bool stored : {true, false})
                    QTest::addRow("%s: %s%s", qPrintable(cases[b].screen), qPrintable(name),
                                  stored ? " (stored)" : "")
                        << b << value << stored;
            }
        }
    }
    // Go To finds the row named exactly as typed, and only that one: a quote
    // in the text never turns it into another search (the decoy sorts first,
    // so a criterion that matched every row would land there). Nothing is
    // written to the file.
    void goToEveryValue()
    {
        QFETCH(int, browser);
        QFETCH(QString, value);
        QFETCH(bool, stored);
        const SearchCase c = searchCases().at(browser);
        TestDatabase db;
        QVERIFY(db.exec(c.insert, {1, "!decoy"}));
        if (stored)
            QVERIFY(db.exec(c.insert, {2, value}));
        std::unique_ptr<BrowserScreen> screen(openBrowser(c.screen));
        screen->show();
        FormOpener::activate(screen.get());
        const QString first = screen->valueText(c.label); // the decoy, unless the value sorts before it
        MessageRecorder messages;
        QComboBox *combo = child<QComboBox>(screen.get(), c.combo);
        pasteInto(combo->lineEdit(), value);
        const QString typed = combo->currentText();
        const QByteArray before = fileHash(db.path());
        auto *search = child<QPushButton>(screen.get(), "cmSearch");
        search->click();
        ++figures.searches;
        QCOMPARE(fileHash(db.path()), before);
        if (typed.trimmed().isEmpty()) {
            // Go To is not offered for blank text; when it is, it says why not.
            QVERIFY(!search->isEnabled() || messages.texts() == QStringList{"You must enter a search value"});
            QCOMPARE(screen->valueText(c.label), first);
        } else if (stored && typed == value) {
            QCOMPARE(messages.texts(), QStringList());
            QCOMPARE(screen->valueText(c.label), value);
        } else {
            QCOMPARE(messages.texts(), QStringList{c.notFound});
            QCOMPARE(messages.boxes[0].title, QString("Search Failed"));
            QCOMPARE(screen->valueText(c.label), first);
        }
    }
};

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
