// The bookkeeping screen and the expense forms, driven as a user would.

#include "GuiSupport.h"
#include "TestSupport.h"

#include "bookkeeping/fmBookkeeping.h"
#include "data/QueryModel.h"
#include "data/TextRules.h"
#include "shell/Safety.h"
#include "shell/Screens.h"

#include <QBarCategoryAxis>
#include <QDir>
#include <QFileDialog>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QProcess>
#include <QLineSeries>
#include <QTemporaryDir>
#include "shell/Printer.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

namespace {

// February of a leap year: the initial range ends on the 29th.
const QDate Today(2024, 2, 10);

// A screen whose order view only records what it was handed.
class RecordingScreen : public fmBookkeeping
{
public:
    RecordingScreen() : fmBookkeeping(nullptr, Today) {}
    QList<ShowOrderInputs> shown;

protected:
    void showOrder(const ShowOrderInputs &inputs) override { shown << inputs; }
};

QString text(QWidget *parent, const QString &name) { return child<QLabel>(parent, name)->text(); }
void click(QWidget *parent, const QString &name) { child<QAbstractButton>(parent, name)->click(); }

void type(QWidget *form, const QString &box, const QString &typed)
{
    auto *line = child<QLineEdit>(form, box);
    line->selectAll();
    line->del();
    QTest::keyClicks(line, typed);
}

QStringList column(QTableView *grid, int col)
{
    QStringList values;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        values << grid->model()->index(r, col).data().toString();
    return values;
}

QStringList captions(QTableView *grid)
{
    QStringList out;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        out << grid->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

void clickRow(QTableView *grid, int row, bool twice = false)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void pick(QWidget *screen, const QString &combo, const QString &item)
{
    auto *c = child<QComboBox>(screen, combo);
    const int i = c->findText(item);
    QVERIFY2(i >= 0, qPrintable(combo + ": " + item));
    c->setCurrentIndex(i);
}

} // namespace

class tst_Bookkeeping : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<RecordingScreen> m_screen;

    void addOrder(int num, int cust, const QString &status, const QVariant &closeDate, qint64 subtotal,
                  const QString &type = "P")
    {
        QVERIFY(m_db->exec("INSERT INTO orders (order_num, cust_num, order_date, order_status, order_type, subtotal,"
                           " add_costs, discounts, comments, close_date) VALUES (?, ?, '2004-01-05', ?, ?, ?, ?, ?, ?, ?)",
                           {num, cust, status, type, subtotal * Money::UnitsPerDollar, 50000, 20000,
                            "gift " + QString::number(num), closeDate}));
    }
    void addExpense(int num, const QString &desc, qint64 units, const QString &date)
    {
        QVERIFY(m_db->exec("INSERT INTO expenses VALUES (?, ?, ?, ?)", {num, desc, units, date}));
    }
    // Closed on Feb 29 and Mar 1 2004 and in 2030; open and deleted orders;
    // expenses on Feb 29 and Mar 1 2004.
    void seed()
    {
        QVERIFY(m_db->exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (1, 'Ann', 'Lee'),"
                           " (2, 'Bo', 'Chan')"));
        addOrder(1, 1, "C", "2004-02-29", 30);
        addOrder(2, 2, "C", "2004-03-01", 20, "R");
        addOrder(3, 1, "O", {}, 1000);
        addOrder(4, 1, "D", "2004-02-15", 2000);
        addOrder(5, 2, "C", "2030-06-01", 100);
        addExpense(1, "Jars", 125000, "2004-02-29");
        addExpense(2, "Flour", 2000000, "2004-03-01");
    }
    RecordingScreen *open()
    {
        m_screen = std::make_unique<RecordingScreen>();
        m_screen->show();
        QApplication::setActiveWindow(m_screen.get());
        return m_screen.get();
    }
    QTableView *grid(const QString &name) { return child<QTableView>(m_screen.get(), name); }
    QStringList totals()
    {
        return {text(m_screen.get(), "lblTotExp"), text(m_screen.get(), "lblTotSales"), text(m_screen.get(), "lblNet")};
    }
    QString storedExpenses()
    {
        return m_db->scalar("SELECT group_concat(expense_num || '|' || expense_desc || '|' || expense_amt || '|'"
                            " || coalesce(expense_date, ''), ';') FROM (SELECT * FROM expenses ORDER BY expense_num)")
            .toString();
    }

private slots:
    void init() { m_db = std::make_unique<TestDatabase>(); }
    void cleanup()
    {
        m_screen.reset();
        m_db.reset();
    }

    void registered()
    {
        Screens::registerAll();
        const Screens::Entry *entry = Screens::find("fmBookkeeping");
        QVERIFY(entry && entry->mdiChild);
        std::unique_ptr<QWidget> screen(entry->create());
        QVERIFY(qobject_cast<fmBookkeeping *>(screen.get()));
        QCOMPARE(screen->windowTitle(), QString("BookKeeping"));
    }

    // "Show All" is selected and shows all at first; the lists show this year to date.
    void firstDisplay()
    {
        seed();
        addExpense(3, "Old", 10000, "1999-05-05");
        QWidget *screen = open();
        QVERIFY(child<QRadioButton>(screen, "optAll")->isChecked());
        QStringList lists;
        for (const char *name : {"cmbStartmm", "cmbstartyr", "cmbendmm", "cmbendyr"}) {
            auto *combo = child<QComboBox>(screen, name);
            QVERIFY(!combo->isEnabled());
            lists << combo->currentText();
        }
        QCOMPARE(lists, QStringList({"01", "2024", "02", "2024"}));
        QCOMPARE(m_screen->PeriodEnd, QDate(2024, 2, 29));
        auto *years = child<QComboBox>(screen, "cmbendyr");
        QCOMPARE(years->itemText(0), QString("1999"));
        QCOMPARE(years->itemText(years->count() - 1), QString("2024"));
        QVERIFY(!child<QPushButton>(screen, "cmUpdate")->isEnabled());

        QCOMPARE(captions(grid("DataGrid1")), QStringList({"Expense Date", "Expense Amt", "Expense Desc"}));
        QCOMPARE(captions(grid("DataGrid2")), QStringList({"Order #", "Order Date", "Party/Reorder",
                                                            "Total    (less tax + shipping)", "Close Date"}));
        QCOMPARE(column(grid("DataGrid2"), 0), QStringList({"1", "2", "5"}));
        QCOMPARE(column(grid("DataGrid2"), 2), QStringList({"P", "R", "P"}));
        QCOMPARE(column(grid("DataGrid2"), 4), QStringList({"02/29/2004", "03/01/2004", "06/01/2030"}));
        QCOMPARE(column(grid("DataGrid1"), 1), QStringList({"$12.50", "$200.00", "$1.00"}));
        QCOMPARE(totals(), QStringList({"$213.50", "$150.00", "-$63.50"}));
        QVERIFY(grid("DataGrid1")->editTriggers() == QAbstractItemView::NoEditTriggers);
    }

    void periods_data()
    {
        QTest::addColumn<QStringList>("range"); // start month, start year, end month, end year
        QTest::addColumn<QStringList>("sales"); // order numbers listed
        QTest::addColumn<QStringList>("expected"); // total expenses, sales, gross profit
        QTest::newRow("February 2004 ends on the 29th")
            << QStringList{"02", "2004", "02", "2004"} << QStringList{"1"}
            << QStringList{"$12.50", "$30.00", "$17.50"};
        QTest::newRow("March 1 onwards")
            << QStringList{"03", "2004", "12", "2024"} << QStringList{"2"}
            << QStringList{"$200.00", "$20.00", "-$180.00"};
    }
    // A range is used only after "Show Date Range:" and "Update Display";
    // "Show All" shows all again.
    void periods()
    {
        QFETCH(QStringList, range);
        QFETCH(QStringList, sales);
        QFETCH(QStringList, expected);
        seed();
        QWidget *screen = open();
        const QStringList all = totals();
        click(screen, "optDate");
        QVERIFY(child<QComboBox>(screen, "cmbStartmm")->isEnabled());
        const char *lists[] = {"cmbStartmm", "cmbstartyr", "cmbendmm", "cmbendyr"};
        for (int i = 0; i < 4; ++i)
            pick(screen, lists[i], range[i]);
        QCOMPARE(totals(), all);
        click(screen, "cmUpdateDisplay");
        QCOMPARE(totals(), expected);
        QCOMPARE(column(grid("DataGrid2"), 0), sales);

        click(screen, "optAll");
        QVERIFY(!child<QComboBox>(screen, "cmbendyr")->isEnabled());
        click(screen, "cmUpdateDisplay");
        QCOMPARE(totals(), all);
    }

    // File, Export to CSV... with the screen open adds the sales and expenses of the
    // period it shows.
    void exportShownPeriod()
    {
        seed();
        QWidget *screen = open();
        click(screen, "optDate");
        const char *lists[] = {"cmbStartmm", "cmbstartyr", "cmbendmm", "cmbendyr"};
        const QStringList range = {"02", "2004", "02", "2004"};
        for (int i = 0; i < 4; ++i)
            pick(screen, lists[i], range[i]);
        click(screen, "cmUpdateDisplay");
        const QString out = QDir(m_db->dir()).filePath("csv");
        QVERIFY(QDir().mkpath(out));
        MessageRecorder messages;
        {
            ModalDriver driver([&out](QDialog *d) {
                auto *chooser = qobject_cast<QFileDialog *>(d);
                QVERIFY(chooser);
                chooser->setDirectory(out);
                chooser->selectFile(out);
                QMetaObject::invokeMethod(chooser, "accept");
            });
            Safety::exportCsv(screen);
        }
        QCOMPARE(messages.texts(), QStringList{QString("10 CSV files were written to\n%1").arg(out)});
        const auto lines = [&out](const QString &name) {
            QFile f(QDir(out).filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                return QStringList{"missing"};
            QStringList result;
            for (const QString &line : QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts))
                result << line.section(u',', 0, 0);
            return result;
        };
        QCOMPARE(lines("period_sales.csv"), (QStringList{"\uFEFForder_num", "1"}));
        QCOMPARE(lines("period_expenses.csv"), (QStringList{"\uFEFFexpense_num", "1"}));
    }

    // Add Expense opens in the description; Tab goes description, amount, date, then
    // the buttons; Escape cancels, storing nothing.
    void expenseFormKeys()
    {
        QWidget *screen = open();
        QStringList order;
        bool closed = false;
        ModalDriver driver([&](QDialog *form) {
            QApplication::setActiveWindow(form);
            for (QWidget *w = form->focusWidget(); w && !order.contains(w->objectName()); w = form->focusWidget()) {
                order << w->objectName();
                QTest::keyClick(w, Qt::Key_Tab);
            }
            type(form, "txtdesc", "Jars");
            QTest::keyClick(child<QLineEdit>(form, "txtdesc"), Qt::Key_Escape);
            closed = !form->isVisible();
        });
        click(screen, "cmExpense");
        QCOMPARE(order, (QStringList{"txtdesc", "medAmt", "medDate", "cmUpdate", "cmCancel"}));
        QVERIFY(closed);
        QCOMPARE(m_db->count("expenses"), 0);
    }

    void addExpense_data()
    {
        QTest::addColumn<QList<int>>("numbers"); // stored before
        QTest::addColumn<QStringList>("typed");  // description, amount, date
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("focus");      // after a refusal
        QTest::addColumn<QString>("added");      // the stored row; empty: nothing stored
        const QStringList jars{"Jars", "$1,234.50", "03/14/2005"};
        QTest::newRow("first expense gets 1") << QList<int>{} << jars << QStringList{} << ""
                                              << "1|Jars|12345000|2005-03-14";
        QTest::newRow("after 1, 2, 7 comes 8") << QList<int>{1, 2, 7} << jars << QStringList{} << ""
                                               << "8|Jars|12345000|2005-03-14";
        QTest::newRow("longer than the box shows") << QList<int>{} << QStringList{"Jars", "12345.67", "03/14/2005"}
                                                   << QStringList{} << "" << "1|Jars|123456700|2005-03-14";
        QTest::newRow("description before amount")
            << QList<int>{} << QStringList{"", "abc", "03/14/2005"} << QStringList{"You must enter a description"}
            << "txtdesc" << "";
        QTest::newRow("not a real day")
            << QList<int>{} << QStringList{"Jars", "12", "13/45/2005"}
            << QStringList{TextRules::invalidDateMessage("13/45/2005")} << "medDate" << "";
        QTest::newRow("past 32767 refused")
            << QList<int>{32767} << jars
            << QStringList{"No more expense numbers are left: the highest expense number is 32767.  "
                           "The expense was not saved."}
            << "" << "";
    }
    void addExpense()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, messages);
        QFETCH(QString, focus);
        QFETCH(QString, added);
        for (int n : numbers)
            addExpense(n, "Old", 10000, "2004-01-01");
        const QString before = storedExpenses();
        QWidget *screen = open();
        MessageRecorder boxes;
        QString dateAtOpen, focusAfter, descKept;
        bool stayedOpen = false;
        ModalDriver driver([&](QDialog *form) {
            QApplication::setActiveWindow(form);
            dateAtOpen = child<QLineEdit>(form, "medDate")->text();
            type(form, "txtdesc", typed[0]);
            type(form, "medAmt", typed[1]);
            type(form, "medDate", typed[2]);
            click(form, "cmUpdate");
            stayedOpen = form->isVisible();
            focusAfter = stayedOpen && form->focusWidget() ? form->focusWidget()->objectName() : QString();
            descKept = child<QLineEdit>(form, "txtdesc")->text();
        });
        click(screen, "cmExpense");
        QCOMPARE(driver.opened, QStringList{"fmAddExpense"});
        QCOMPARE(dateAtOpen, TextRules::toUsDate(QDate::currentDate()));
        QCOMPARE(boxes.texts(), messages);
        for (const Msg::Record &r : boxes.boxes)
            QCOMPARE(r.title, QString(r.icon == Msg::Icon::Critical ? "Error" : "Invalid data"));
        QCOMPARE(stayedOpen, !messages.isEmpty());
        if (!focus.isEmpty())
            QCOMPARE(focusAfter, focus);
        if (stayedOpen)
            QCOMPARE(descKept, typed[0]);
        if (added.isEmpty()) {
            QCOMPARE(storedExpenses(), before);
        } else {
            QCOMPARE(storedExpenses(), before.isEmpty() ? added : before + ";" + added);
            // The screen repainted: the new expense is listed and counted.
            QCOMPARE(column(grid("DataGrid1"), 2).last(), QString("Jars"));
            QCOMPARE(text(screen, "lblTotExp"),
                     TextRules::format(Money::fromUnits(m_db->scalar("SELECT sum(expense_amt) FROM expenses")
                                                            .toLongLong()), "$##0.00"));
        }
    }

    void updateExpense_data()
    {
        QTest::addColumn<QString>("action"); // a button, or "" to close the window
        QTest::addColumn<QList<Msg::Answer>>("answers");
        QTest::addColumn<bool>("stayedOpen");
        QTest::addColumn<QString>("stored"); // expense 2 afterwards; empty: deleted
        QTest::addColumn<bool>("buttonAfter"); // "Update Expense" enabled afterwards
        const QString unchanged = "2|Flour|2000000|2004-03-01";
        QTest::newRow("Update stores the change")
            << "cmUpdate" << QList<Msg::Answer>{} << false << "2|Flour and salt|155000|2004-02-29" << false;
        QTest::newRow("Delete, OK") << "cmDelete" << QList<Msg::Answer>{Msg::Answer::Ok} << false << "" << false;
        QTest::newRow("Delete, Cancel keeps the row")
            << "cmDelete" << QList<Msg::Answer>{Msg::Answer::Cancel} << true << unchanged << true;
        QTest::newRow("Cancel") << "cmCancel" << QList<Msg::Answer>{} << false << unchanged << false;
        QTest::newRow("the window's close box") << "" << QList<Msg::Answer>{} << false << unchanged << true;
    }
    void updateExpense()
    {
        QFETCH(QString, action);
        QFETCH(QList<Msg::Answer>, answers);
        QFETCH(bool, stayedOpen);
        QFETCH(QString, stored);
        QFETCH(bool, buttonAfter);
        seed();
        QWidget *screen = open();
        MessageRecorder boxes;
        boxes.answers = answers;
        QStringList filled;
        bool openAfter = false;
        ModalDriver driver([&](QDialog *form) {
            for (const char *box : {"txtdesc", "medAmt", "medDate"})
                filled << child<QLineEdit>(form, box)->text();
            if (action == "cmUpdate") {
                type(form, "txtdesc", "Flour and salt");
                type(form, "medAmt", "15.5");
                type(form, "medDate", "02/29/2004");
            }
            if (!action.isEmpty())
                click(form, action);
            else
                form->close();
            openAfter = form->isVisible();
        });
        auto *update = child<QPushButton>(screen, "cmUpdate");
        clickRow(grid("DataGrid1"), 1);
        QVERIFY(update->isEnabled());
        update->click();
        QCOMPARE(driver.opened, QStringList{"fmUpdateExpense"});
        QCOMPARE(filled, QStringList({"Flour", "$200.00", "03/01/2004"}));
        QCOMPARE(openAfter, stayedOpen);
        if (action == "cmDelete") {
            QCOMPARE(boxes.texts(), QStringList{"Are you sure you want to delete this expense?"});
            QCOMPARE(boxes.boxes.first().title, QString("Delete Expense?"));
            QCOMPARE(boxes.boxes.first().buttons, Msg::Buttons::OkCancel);
        }
        QCOMPARE(m_db->scalar("SELECT expense_num || '|' || expense_desc || '|' || expense_amt || '|' || expense_date"
                              " FROM expenses WHERE expense_num = 2").toString(), stored);
        QCOMPARE(m_db->count("expenses"), stored.isEmpty() ? 1 : 2);
        QCOMPARE(update->isEnabled(), buttonAfter);
        // The screen read its rows again.
        QCOMPARE(grid("DataGrid1")->model()->rowCount(), m_db->count("expenses"));
    }

    // A double-click on the expense grid opens the update form even while
    // "Update Expense" is disabled.
    void doubleClickOpensUpdateForm()
    {
        seed();
        open();
        ModalDriver driver([](QDialog *) {});
        clickRow(grid("DataGrid1"), 0, true);
        QCOMPARE(driver.opened, QStringList{"fmUpdateExpense"});
    }

    void saleToOrderView_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("orderNum");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("type");
        QTest::newRow("party order of Ann Lee") << 0 << 1 << "Ann Lee" << "P";
        QTest::newRow("re-order of Bo Chan") << 1 << 2 << "Bo Chan" << "R";
        QTest::newRow("customer record gone") << 3 << 6 << "" << "P";
    }
    void saleToOrderView()
    {
        QFETCH(int, row);
        QFETCH(int, orderNum);
        QFETCH(QString, customer);
        QFETCH(QString, type);
        seed();
        QVERIFY(m_db->exec("PRAGMA foreign_keys = OFF"));
        addOrder(6, 9, "C", "2004-05-05", 10);
        QVERIFY(m_db->exec("PRAGMA foreign_keys = ON"));
        open();
        clickRow(grid("DataGrid2"), row, true);
        QCOMPARE(m_screen->shown.size(), 1);
        const ShowOrderInputs in = m_screen->shown.first();
        QCOMPARE(in.orderNum, orderNum);
        QCOMPARE(in.customer, customer);
        QCOMPARE(in.statusCode, QString("C"));
        QCOMPARE(in.orderType, type);
        QCOMPARE(in.addCosts, Money::fromUnits(50000));
        QCOMPARE(in.discounts, Money::fromUnits(20000));
        QCOMPARE(in.comments, "gift " + QString::number(orderNum));
        // The plain mapping gives the same from the grid's model.
        QCOMPARE(showOrderInputs(*m_screen->salesModel(), row).customer, customer);
    }

    // Without a replacement the double-click opens the order view itself.
    void saleOpensOrderView()
    {
        seed();
        fmBookkeeping screen(nullptr, Today);
        screen.show();
        MessageRecorder boxes;
        QString caption;
        ModalDriver driver([&](QDialog *form) { caption = form->windowTitle(); });
        clickRow(child<QTableView>(&screen, "DataGrid2"), 0, true);
        QCOMPARE(driver.opened, QStringList{"fmShowOrder"});
        QCOMPARE(caption, QString("Show Order Details"));
    }
    // The chart as drawn: month|sales|expenses|gross profit, one per bar group.
    QStringList chartRows()
    {
        QChart *chart = child<QChartView>(m_screen.get(), "chartSales")->chart();
        QBarSeries *bars = nullptr;
        QLineSeries *line = nullptr;
        for (QAbstractSeries *series : chart->series()) {
            if (auto *b = qobject_cast<QBarSeries *>(series))
                bars = b;
            if (auto *l = qobject_cast<QLineSeries *>(series))
                line = l;
        }
        if (!bars || !line || bars->count() != 2)
            return {"chart incomplete"};
        auto *axis = qobject_cast<QBarCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
        QStringList rows;
        for (int i = 0; i < bars->barSets()[0]->count(); ++i) {
            rows << QStringList{axis->at(i), QString::number(bars->barSets()[0]->at(i)),
                                QString::number(bars->barSets()[1]->at(i)), QString::number(line->at(i).y())}
                        .join('|');
        }
        if (line->count() != rows.size())
            return {"line and bars differ"};
        return rows;
    }

    void chartFollowsPeriod_data()
    {
        QTest::addColumn<QStringList>("range"); // empty: Show All
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("Show All, months in order") << QStringList{}
            << QStringList{"Feb 2004|30|12.5|17.5", "Mar 2004|20|200|-180", "Jun 2030|100|0|100"};
        QTest::newRow("February 2004 ends on the 29th") << QStringList{"02", "2004", "02", "2004"}
            << QStringList{"Feb 2004|30|12.5|17.5"};
        QTest::newRow("March 1 onwards") << QStringList{"03", "2004", "12", "2024"}
            << QStringList{"Mar 2004|20|200|-180"};
    }

    // The chart's months add up to the screen's totals and follow the period shown;
    // open and deleted orders are left out as they are from the totals.
    void chartFollowsPeriod()
    {
        QFETCH(QStringList, range);
        QFETCH(QStringList, rows);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        seed();
        QWidget *screen = open();
        if (!range.isEmpty()) {
            click(screen, "optDate");
            const char *lists[] = {"cmbStartmm", "cmbstartyr", "cmbendmm", "cmbendyr"};
            for (int i = 0; i < 4; ++i)
                pick(screen, lists[i], range[i]);
            click(screen, "cmUpdateDisplay");
        }
        QCOMPARE(chartRows(), rows);
        if (!range.isEmpty()) {
            click(screen, "optAll");
            click(screen, "cmUpdateDisplay");
            QCOMPARE(chartRows().size(), 3);
        }
    }

    // Activated again, the screen reads again only what was written meanwhile,
    // through this program or through another connection to the file.
    void readsAgainAfterWritesOnly()
    {
        seed();
        QWidget *screen = open();
        QSignalSpy resets(m_screen->expensesModel(), &QAbstractItemModel::modelReset);
        const auto activate = [&] {
            QEvent e(QEvent::WindowActivate);
            QApplication::sendEvent(screen, &e);
        };
        activate();
        QCOMPARE(resets.size(), 0);

        addExpense(3, "Sugar", 10000, "2004-03-02");
        activate();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(totals().first(), QString("$213.50"));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(m_db->path());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("INSERT INTO expenses VALUES (4, 'Salt', 20000, '2004-03-03')"));
        }
        QSqlDatabase::removeDatabase("other");
        activate();
        QCOMPARE(resets.size(), 2);
        QCOMPARE(totals().first(), QString("$215.50"));
        activate();
        QCOMPARE(resets.size(), 2);
    }

    // Over three years of months the chart names the first and last month in its
    // title instead of labelling every month; up to three years it labels them.
    void chartOfManyMonths_data()
    {
        QTest::addColumn<int>("months");
        QTest::addColumn<QString>("title");
        QTest::newRow("three years") << 36 << "Sales and expenses per month";
        QTest::newRow("one month more") << 37 << "Sales and expenses per month, Jan 2001 to Jan 2004";
    }
    void chartOfManyMonths()
    {
        QFETCH(int, months);
        QFETCH(QString, title);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        for (int m = 0; m < months; ++m)
            addExpense(m + 1, "Rent", 10000, QDate(2001, 1, 1).addMonths(m).toString(Qt::ISODate));
        open();
        QChart *chart = child<QChartView>(m_screen.get(), "chartSales")->chart();
        QCOMPARE(chart->title(), title);
        QCOMPARE(chartRows().size(), months);
        QCOMPARE(chart->axes(Qt::Horizontal).value(0)->labelsVisible(), months <= 36);
    }

    void chartPrintsWithFigures()
    {
        seed();
        QTemporaryDir out;
        Printer::setPdfDirectory(out.path());
        MessageRecorder boxes;
        QWidget *screen = open();
        click(screen, "cmPrintChart");
        QCOMPARE(boxes.texts(), QStringList{});
        const QString text = onlyPdfText(out.path());
        QVERIFY2(text.contains("Total Sales:") && text.contains("$150.00"), qPrintable(text));
        QVERIFY2(text.contains("Sales and expenses per month"), qPrintable(text));
        Printer::setPdfDirectory(QString());
    }
};

QTEST_MAIN(tst_Bookkeeping)
#include "tst_bookkeeping.moc"
