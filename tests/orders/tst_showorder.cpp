// The order view: what it reads and shows, its totals, the confirmation e-mail
// and the printed sheet.

#include "GuiSupport.h"
#include "TestSupport.h"
#include "data/Mailto.h"
#include "orders/OrderView.h"
#include "orders/fmShowOrder.h"
#include "shell/Printer.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QUrl>
#include <QtTest>

namespace {

Money dollars(const char *text)
{
    return *Money::fromText(QString::fromLatin1(text));
}

// Ann Baker's order 7: 2 x Salt & Pepper Cake at 3.00 and 1 x Lemon Tart at 4.50,
// fees 1.00, discounts 0.50; tax 7 %, shipping 10 %, out of town 20 %.
void storeExample(const TestDatabase &db, const QString &comments, bool outOfTown = false)
{
    QVERIFY(db.exec("INSERT INTO customer (cust_num, first_name, last_name, address, phone, email)"
                    " VALUES (1, 'Ann', 'Baker', '12 Elm St', '555-0101', 'ann@example.com')"));
    QVERIFY(db.exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (2, 'Bob', 'Cole')"));
    QVERIFY(db.exec("INSERT INTO inventory (product_num, product, product_refnum, cost, qty)"
                    " VALUES (1, 'Salt & Pepper Cake', 'SP-1', 30000, 10), (2, 'Lemon Tart', 'LT-2', 45000, 10),"
                    " (3, 'Fig Roll', 'FR-3', 20000, 10)"));
    QVERIFY(db.exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type, add_costs,"
                    " discounts, out_of_town_order, comments) VALUES (7, 1, '2024-03-05', 'C', 'P', 10000, 5000, ?, ?)",
                    {int(outOfTown), comments}));
    QVERIFY(db.exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty)"
                    " VALUES (7, 1, 1, 2), (7, 1, 2, 1)"));
    Settings::current() = Settings{0.07, 0.10, 0.20, 0};
}

ShowOrderInputs exampleInputs(const QString &comments = {})
{
    return {7, "Ann Baker", "C", dollars("1.00"), dollars("0.50"), comments, "P"};
}

QString text(QWidget *form, const QString &name)
{
    return child<QLabel>(form, name)->text();
}

// The non-empty lines of the PDF files in `dir`, each file's lines in order.
QStringList printedLines(const QString &dir, int *files)
{
    const QFileInfoList pdfs = QDir(dir).entryInfoList({"*.pdf"}, QDir::Files, QDir::Name);
    *files = int(pdfs.size());
    QStringList lines;
    for (const QFileInfo &file : pdfs) {
        for (const QString &line : pdfText(file.filePath(), true).split('\n'))
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
    }
    return lines;
}

// Stands in for the desktop's mail program.
class MailReceiver : public QObject
{
    Q_OBJECT
public:
    MailReceiver() { QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "openMail"); }
    ~MailReceiver() override { QDesktopServices::unsetUrlHandler(QStringLiteral("mailto")); }
    QList<QUrl> received;
public slots:
    void openMail(const QUrl &url) { received.append(url); }
};

} // namespace

class tst_ShowOrder : public QObject
{
    Q_OBJECT
private slots:
    void showsOrder_data();
    void showsOrder();
    void statusWord_data();
    void statusWord();
    void linesOfOtherCustomerNotShown();
    void confirmationReachesMailProgramWhole_data();
    void confirmationReachesMailProgramWhole();
    void printsSheetWithoutButtons_data();
    void printsSheetWithoutButtons();
};

void tst_ShowOrder::showsOrder_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("outOfTown");
    QTest::addColumn<QStringList>("header");   // date, address, phone, email
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("totals");   // items, fees, discounts, subtotal, tax, shipping, total

    const QStringList header{"03/05/2024", "12 Elm St", "555-0101", "ann@example.com"};
    QTest::newRow("two lines, fees and discounts")
        << true << false << header << 2
        << QStringList{"3", "$1.00", "$0.50", "$11.00", "$0.77", "$1.10", "$12.87"};
    QTest::newRow("out of town rate instead of shipping")
        << true << true << header << 2
        << QStringList{"3", "$1.00", "$0.50", "$11.00", "$0.77", "$2.20", "$13.97"};
    QTest::newRow("order without rows: empty fields, amounts handed in")
        << false << false << QStringList{"", "", "", ""} << 0
        << QStringList{"0", "$1.00", "$0.50", "$0.50", "$0.04", "$0.05", "$0.59"};
}

void tst_ShowOrder::showsOrder()
{
    QFETCH(bool, stored);
    QFETCH(bool, outOfTown);
    QFETCH(QStringList, header);
    QFETCH(int, rows);
    QFETCH(QStringList, totals);

    TestDatabase db;
    MessageRecorder messages;
    if (stored)
        storeExample(db, "x", outOfTown);
    else
        Settings::current() = Settings{0.07, 0.10, 0.20, 0};
    fmShowOrder form(exampleInputs("Leave at door"));
    form.show();
    QCoreApplication::processEvents();

    QCOMPARE(form.windowTitle(), QStringLiteral("Show Order Details"));
    QCOMPARE(text(&form, "lblOrdNum"), QStringLiteral("7"));
    QCOMPARE(text(&form, "lblCust"), QStringLiteral("Ann Baker"));
    QCOMPARE((QStringList{text(&form, "lblDate"), text(&form, "lblAddress"), text(&form, "lblPhone"),
                          text(&form, "lblEmail")}),
             header);
    QCOMPARE(child<QPlainTextEdit>(&form, "txtComments")->toPlainText(), QStringLiteral("Leave at door"));
    QVERIFY(child<QRadioButton>(&form, "optParty")->isChecked());
    QCOMPARE(child<QCheckBox>(&form, "chkOutofTown")->isChecked(), outOfTown);
    QVERIFY(!child<QGroupBox>(&form, "Frame1")->isEnabled());
    QVERIFY(!child<QGroupBox>(&form, "Frame2")->isEnabled());

    auto *grid = child<QTableView>(&form, "DataGrid1");
    QAbstractItemModelTester tester(grid->model());
    QCOMPARE(grid->model()->rowCount(), rows);
    if (rows > 0) {
        QStringList first;
        for (int c = 0; c < 4; ++c)
            first << grid->model()->headerData(c, Qt::Horizontal).toString() + "="
                         + grid->model()->index(0, c).data().toString();
        QCOMPARE(first, (QStringList{"Qty=2", "Product Desc=Salt & Pepper Cake", "Product #=SP-1", "Cost=$3.00"}));
    }

    QCOMPARE((QStringList{text(&form, "lblTotItems"), child<QLineEdit>(&form, "medaddcosts")->text(),
                          child<QLineEdit>(&form, "meddiscounts")->text(), text(&form, "lblsubtotal"),
                          text(&form, "lblTax"), text(&form, "lblShipping"), text(&form, "lblTotSale")}),
             totals);
    QVERIFY(messages.boxes.isEmpty());
}

void tst_ShowOrder::statusWord_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("open") << "O" << "Open";
    QTest::newRow("closed") << "C" << "Closed";
    QTest::newRow("deleted") << "D" << "Deleted";
    QTest::newRow("lower case stays") << "c" << "c";
    QTest::newRow("other text stays") << "Closed" << "Closed";
}

void tst_ShowOrder::statusWord()
{
    QFETCH(QString, code);
    QFETCH(QString, shown);
    TestDatabase db;
    ShowOrderInputs inputs = exampleInputs();
    inputs.statusCode = code;
    inputs.orderType = "R";
    fmShowOrder form(inputs);
    QCOMPARE(text(&form, "lblOrderStatus"), shown);
    QVERIFY(child<QRadioButton>(&form, "optReorder")->isChecked());
}

// An order line is the order's only when it has the order's customer too.
void tst_ShowOrder::linesOfOtherCustomerNotShown()
{
    TestDatabase db;
    storeExample(db, "");
    QVERIFY(db.exec("PRAGMA foreign_keys = OFF"));
    QVERIFY(db.exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (7, 2, 3, 5)"));
    QVERIFY(db.exec("PRAGMA foreign_keys = ON"));

    fmShowOrder form(exampleInputs());
    auto *grid = child<QTableView>(&form, "DataGrid1");
    QStringList products;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        products << grid->model()->index(row, 1).data().toString();
    QCOMPARE(products, (QStringList{"Salt & Pepper Cake", "Lemon Tart"}));
    QCOMPARE(text(&form, "lblTotItems"), QStringLiteral("3"));
    QCOMPARE(text(&form, "lblTotSale"), QStringLiteral("$12.87"));
}

void tst_ShowOrder::confirmationReachesMailProgramWhole_data()
{
    QTest::addColumn<QString>("comments");
    QTest::newRow("plain comments") << "Leave at the door";
    QTest::newRow("number sign and ampersand") << "Gate #4 & ring twice";
    QTest::newRow("looks like a field") << "50% off?&body=none";
    QTest::newRow("line break") << "First line\nsecond line";
}

void tst_ShowOrder::confirmationReachesMailProgramWhole()
{
    QFETCH(QString, comments);
    TestDatabase db;
    storeExample(db, comments);
    MailReceiver mail;
    fmShowOrder form(exampleInputs(comments));
    // Today's costs go into the e-mail: the query runs again when it is sent.
    QVERIFY(db.exec("UPDATE inventory SET cost = 52500 WHERE product_num = 2"));
    child<QPushButton>(&form, "cmEmail")->click();

    QCOMPARE(mail.received.size(), 1);
    const QUrl &url = mail.received.first();
    QVERIFY(!url.hasFragment());
    const MailMessage got = Mailto::parse(url.toString(QUrl::FullyEncoded));
    QCOMPARE(got.to, QStringLiteral("ann@example.com"));
    QCOMPARE(got.subject, QStringLiteral("Order Confirmation "));
    QString composed = "Order #: 7%0ACustomer: Ann Baker%0AAddress: 12 Elm St%0APhone: 555-0101%0A%0A"
                       "Items: %0A%0A2 - Salt + Pepper Cake @ 3%0A1 - Lemon Tart @ 5.25%0A%0A"
                       "Additional Fees: 1%0ADiscounts: 0.5%0ASub Total: $11.00%0ATax: $0.77%0A"
                       "Shipping: $1.10%0ATotal: $12.87%0A%0AComments: ";
    composed.replace("%0A", "\n");
    composed += comments + "\n\nThanks for your order.  Please let me know if you need anything else.";
    QCOMPARE(got.body, composed);
    QVERIFY(got.hasBody);
}

// The sheet is the window as drawn, white, without buttons and out-of-town box,
// its text searchable and whole on the page; the form is as before afterwards.
void tst_ShowOrder::printsSheetWithoutButtons_data()
{
    QTest::addColumn<int>("extraLines");
    QTest::addColumn<QString>("total");
    QTest::newRow("two lines") << 0 << "$13.97";
    // More lines than the grid shows on screen, with names too long for their column.
    QTest::newRow("thirty lines") << 28 << "$191.77";
}

void tst_ShowOrder::printsSheetWithoutButtons()
{
    QFETCH(int, extraLines);
    QFETCH(QString, total);
    TestDatabase db;
    storeExample(db, "Gate #4", true);
    QStringList extras;
    for (int i = 0; i < extraLines; ++i) {
        extras << QStringLiteral("Extra %1 with a name long enough to need a second line").arg(i + 10);
        QVERIFY(db.exec("INSERT INTO inventory (product_num, product, cost) VALUES (?, ?, 50000)",
                        {i + 10, extras.last()}));
        QVERIFY(db.exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (7, 1, ?, 1)",
                        {i + 10}));
    }
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    MessageRecorder messages;
    bool restored = false;
    bool closedByButton = false;
    QPointer<QDialog> shown;
    ModalDriver driver([&](QDialog *form) {
        shown = form;
        const QSize screenSize = form->size();
        child<QPushButton>(form, "cmPrint")->click();
        restored = child<QPushButton>(form, "cmPrint")->isVisible() && child<QGroupBox>(form, "Frame1")->isVisible()
                   && form->palette().color(QPalette::Window) == QPalette().color(QPalette::Window)
                   && form->size() == screenSize;
        child<QPushButton>(form, "cmCancel")->click();
        closedByButton = !form->isVisible();
    });
    const int result = Forms::showModal(nullptr, new fmShowOrder(exampleInputs("Gate #4")));
    Printer::setPdfDirectory(QString());

    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(closedByButton);
    QVERIFY(shown.isNull());
    QVERIFY(restored);
    QVERIFY(messages.boxes.isEmpty());
    int files = 0;
    const QString sheet = printedLines(prints.path(), &files).join('\n');
    QCOMPARE(files, 1);
    for (const char *expected : {"Order #: 7", "Customer: Ann Baker", "Order Date: 03/05/2024", "Closed",
                                 "Salt & Pepper Cake", "Lemon Tart", "Gate #4", "Addt'l Fees: $1.00"})
        QVERIFY2(sheet.contains(QString::fromUtf8(expected)), expected);
    QVERIFY(sheet.contains("Total Sale: " + total));
    for (const QString &extra : extras)
        QVERIFY2(sheet.contains(extra.section(' ', 0, 1)) && sheet.contains("second line"), qPrintable(extra));
    for (const char *absent : {"\\bPrint\\b", "Send Email", "\\bClose\\b", "Out of Town"})
        QVERIFY2(!sheet.contains(QRegularExpression(QString::fromUtf8(absent))), absent);
}

QTEST_MAIN(tst_ShowOrder)
#include "tst_showorder.moc"
