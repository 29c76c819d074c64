#include "GuiSupport.h"
#include "TestSupport.h"
#include "recipes/RecipeText.h"
#include "recipes/fmPrint.h"
#include "recipes/fmRecipes.h"
#include "shell/Navigator.h"
#include "shell/Printer.h"
#include "shell/Screens.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString NoName = QStringLiteral("You must enter a recipe name");
const QString NoDirections = QStringLiteral("You must enter directions");

// `length` characters, each position told apart by its letter.
QString pattern(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    return text;
}

// Stores a recipe with its four directions columns as given.
void storeRecipe(const TestDatabase &db, const QString &name, const QStringList &columns)
{
    QVariantList values{name};
    for (int i = 0; i < 4; ++i)
        values << columns.value(i, QStringLiteral(""));
    QVERIFY(db.exec("INSERT INTO recipes VALUES (?, ?, ?, ?, ?)", values));
}

// The four directions columns of a recipe (a NULL in any of them gives one empty text).
QStringList storedColumns(const TestDatabase &db, const QString &name)
{
    const QString sql = "SELECT Recipe_Directions1 || '|' || Recipe_Directions2 || '|' || "
                        "Recipe_Directions3 || '|' || Recipe_Directions4 FROM recipes WHERE Recipe_Name = ?";
    return db.scalar(sql, {name}).toString().split('|');
}

// The first directions column of every recipe, in table order.
QString firstColumns(const TestDatabase &db)
{
    return db.scalar("SELECT group_concat(Recipe_Directions1, ',') FROM recipes").toString();
}

QString shownName(fmRecipes &screen) { return child<QLabel>(&screen, "lblRecipe")->text(); }
QString shownDirections(fmRecipes &screen)
{
    return child<QPlainTextEdit>(&screen, "txtDirections1")->toPlainText();
}
void click(QWidget *parent, const QString &name) { child<QPushButton>(parent, name)->click(); }

void fill(QDialog *form, const QString &name, const QString &directions)
{
    child<QLineEdit>(form, "txtRecipe")->setText(name);
    child<QPlainTextEdit>(form, "txtDirections1")->setPlainText(directions);
}

// The non-empty lines of each PDF printed to `dir`, in file name order.
QList<QStringList> printedPages(const QString &dir)
{
    QList<QStringList> pages;
    for (const QFileInfo &file : QDir(dir).entryInfoList({"*.pdf"}, QDir::Files, QDir::Name)) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {file.filePath(), QStringLiteral("-")});
        process.waitForFinished(30000);
        pages << QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    return pages;
}

} // namespace

class tst_Recipes : public QObject
{
    Q_OBJECT
private slots:
    void splitAndJoin_data();
    void splitAndJoin();
    void addThenShortenDirections();
    void checksKeepFormOpen_data();
    void checksKeepFormOpen();
    void formKeepsItsRecipe_data();
    void formKeepsItsRecipe();
    void goTo();
    void emptyTableThenDeleteLast();
    void printAllMakesOneJobPerRecipe();
    void longLinePrintsWrapped_data();
    void longLinePrintsWrapped();
    void returnUnloadsScreen();
};

void tst_Recipes::splitAndJoin_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("empty") << QString() << QList<int>{0, 0, 0, 0};
    QTest::newRow("250") << pattern(250) << QList<int>{250, 0, 0, 0};
    QTest::newRow("blank in column 2") << pattern(250) + " " << QList<int>{250, 1, 0, 0};
    QTest::newRow("1001, nothing dropped") << pattern(1001) << QList<int>{250, 250, 250, 251};
    // A line break counts as two characters and may straddle two columns.
    QTest::newRow("break across columns") << pattern(249) + "\r\nx" << QList<int>{250, 2, 0, 0};
}

void tst_Recipes::splitAndJoin()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);

    const QStringList columns = RecipeText::split(text);
    QList<int> lengths;
    for (const QString &column : columns) {
        QVERIFY(!column.isNull());
        lengths << int(column.size());
    }
    QCOMPARE(lengths, expected);
    QCOMPARE(RecipeText::join(columns), text);
}

void tst_Recipes::addThenShortenDirections()
{
    TestDatabase db;
    MessageRecorder messages;
    fmRecipes screen;
    const QString full = pattern(1000);
    QString offered;
    ModalDriver driver([&](QDialog *form) {
        auto *box = child<QPlainTextEdit>(form, "txtDirections1");
        if (form->objectName() == "fmAddRecipe") {
            fill(form, "Bread", full + "z");
        } else {
            offered = box->toPlainText();
            box->clear();
            QTest::keyClicks(box, "Slice");
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClicks(box, "Toast");
        }
        click(form, "cmSave");
    });

    // The box takes 1000 characters, no more.
    click(&screen, "cmAdd");
    QCOMPARE(storedColumns(db, "Bread"),
             (QStringList{full.left(250), full.mid(250, 250), full.mid(500, 250), full.mid(750)}));
    QCOMPARE(shownName(screen), QStringLiteral("Bread"));
    QCOMPARE(shownDirections(screen), full);
    QCOMPARE(child<QComboBox>(&screen, "cmbRecipes")->itemText(0), QStringLiteral("Bread"));

    // Enter starts a new line, stored as CR LF; the later columns are emptied.
    click(&screen, "cmUpdate");
    QCOMPARE(offered, full);
    QCOMPARE(storedColumns(db, "Bread"), (QStringList{"Slice\r\nToast", "", "", ""}));
    QCOMPARE(shownDirections(screen), QStringLiteral("Slice\nToast"));
}

void tst_Recipes::checksKeepFormOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("directions");
    QTest::addColumn<QStringList>("expected");

    // Add stops at the first failed check, update reports each.
    QTest::newRow("add, neither") << "cmAdd" << "" << "" << QStringList{NoName};
    QTest::newRow("add, no directions") << "cmAdd" << "Pie" << "" << QStringList{NoDirections};
    QTest::newRow("update, neither") << "cmUpdate" << "" << "" << QStringList{NoName, NoDirections};
    QTest::newRow("update, no name") << "cmUpdate" << "" << "Bake" << QStringList{NoName};
}

void tst_Recipes::checksKeepFormOpen()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, directions);
    QFETCH(QStringList, expected);

    TestDatabase db;
    storeRecipe(db, "Cake", {"Mix"});
    MessageRecorder messages;
    fmRecipes screen;
    bool stayedOpen = false;
    ModalDriver driver([&](QDialog *form) {
        fill(form, name, directions);
        click(form, "cmSave");
        stayedOpen = form->isVisible();
    });
    click(&screen, button);

    QVERIFY(stayedOpen);
    QCOMPARE(messages.texts(), expected);
    QCOMPARE(firstColumns(db), QStringLiteral("Mix"));
}

void tst_Recipes::formKeepsItsRecipe_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");

    // After a change the browser shows the first recipe of the name; Cancel
    // returns it to the recipe it showed.
    QTest::newRow("save") << "cmSave" << "White,Spelt" << "White";
    QTest::newRow("delete") << "cmDelete" << "White" << "White";
    QTest::newRow("cancel") << "cmCancel" << "White,Rye" << "Rye";
}

void tst_Recipes::formKeepsItsRecipe()
{
    QFETCH(QString, button);
    QFETCH(QString, stored);
    QFETCH(QString, shown);

    // Two recipes share a name. Activating the browser (as a message box over the
    // form does) shows the first again; the form must still work on the second.
    TestDatabase db;
    storeRecipe(db, "Bread", {"White"});
    storeRecipe(db, "Bread", {"Rye"});
    MessageRecorder messages;
    fmRecipes screen;
    click(&screen, "cmNext");
    ModalDriver driver([&](QDialog *form) {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&screen, &activate);
        QCOMPARE(shownDirections(screen), QStringLiteral("White"));
        fill(form, "Bread", "Spelt");
        click(form, button);
    });
    click(&screen, "cmUpdate");

    QCOMPARE(driver.opened, QStringList{"fmUpdateRecipe"});
    QCOMPARE(firstColumns(db), stored);
    QCOMPARE(shownDirections(screen), shown);
}

void tst_Recipes::goTo()
{
    TestDatabase db;
    storeRecipe(db, "Bread", {"Knead"});
    storeRecipe(db, "Mom's Pie", {"Crimp"});
    MessageRecorder messages;
    fmRecipes screen;
    auto *combo = child<QComboBox>(&screen, "cmbRecipes");

    combo->setEditText("mom's pie");
    click(&screen, "cmSearch");
    QCOMPARE(shownName(screen), QStringLiteral("Mom's Pie"));
    QCOMPARE(shownDirections(screen), QStringLiteral("Crimp"));

    // A name not in the list leaves the recipe on display.
    combo->setEditText("Torte");
    click(&screen, "cmSearch");
    QCOMPARE(shownName(screen), QStringLiteral("Mom's Pie"));
    QCOMPARE(messages.texts(), QStringList{"Recipe not found!"});
}

void tst_Recipes::emptyTableThenDeleteLast()
{
    TestDatabase db;
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    MessageRecorder messages;
    fmRecipes screen;
    bool openAfterCancel = false;
    ModalDriver driver([&](QDialog *form) {
        if (form->objectName() == "fmAddRecipe") {
            fill(form, "Soup", "Boil");
            click(form, "cmSave");
            return;
        }
        click(form, "cmDelete");
        openAfterCancel = form->isVisible() && db.count("recipes") == 1;
        click(form, "cmDelete");
    });

    // Without a recipe only Add does anything.
    child<QComboBox>(&screen, "cmbRecipes")->setEditText("Bread");
    for (const char *button : {"cmSearch", "cmPrev", "cmNext", "cmUpdate", "cmPrintme", "cmPrint"})
        click(&screen, button);
    screen.Form_Paint();
    QVERIFY(messages.boxes.isEmpty());
    QVERIFY(driver.opened.isEmpty());
    QVERIFY(printedPages(prints.path()).isEmpty());
    QCOMPARE(shownName(screen), QString());
    QCOMPARE(shownDirections(screen), QString());
    Printer::setPdfDirectory(QString());
    click(&screen, "cmAdd");

    // Delete asks first; deleting the last recipe empties the screen.
    messages.answers << Msg::Answer::Cancel << Msg::Answer::Ok;
    click(&screen, "cmUpdate");
    QVERIFY(openAfterCancel);
    QCOMPARE(messages.texts(), QStringList(2, "Are you sure you want to delete this recipe?"));
    QCOMPARE(messages.boxes[0].title, QStringLiteral("Delete Recipe?"));
    QCOMPARE(messages.boxes[0].buttons, Msg::Buttons::OkCancel);
    QCOMPARE(db.count("recipes"), 0);
    QCOMPARE(shownName(screen), QString());
    QCOMPARE(shownDirections(screen), QString());
    QCOMPARE(child<QComboBox>(&screen, "cmbRecipes")->count(), 0);
}

void tst_Recipes::printAllMakesOneJobPerRecipe()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    TestDatabase db;
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    storeRecipe(db, "Bread", {"Knead the flour dough"});
    storeRecipe(db, "Cake", {"Whisk eggs", " twice"});
    storeRecipe(db, "Pie", {"Roll the crust"});
    MessageRecorder messages;
    messages.answers << Msg::Answer::Cancel << Msg::Answer::Ok;
    fmRecipes screen;
    click(&screen, "cmNext");
    click(&screen, "cmPrint");
    QVERIFY(printedPages(prints.path()).isEmpty());

    click(&screen, "cmPrint");
    QCOMPARE(messages.texts(), QStringList(2, "Print entire recipe list?"));
    QStringList printed;
    for (const QStringList &page : printedPages(prints.path()))
        printed << page.value(0).trimmed() + ": " + page.value(1).trimmed();
    QCOMPARE(printed, (QStringList{"Bread: Knead the flour dough", "Cake: Whisk eggs twice",
                                   "Pie: Roll the crust"}));
    QCOMPARE(shownName(screen), QStringLiteral("Bread"));
    Printer::setPdfDirectory(QString());
}

void tst_Recipes::longLinePrintsWrapped_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("cut");

    // Words wider than half the label: one word a line, so 1000 characters
    // need more lines than the label holds.
    QString words;
    for (int i = 1; words.size() < 1000; ++i)
        words += QString(22, u'W') + QStringLiteral("%1 ").arg(i, 3, 10, QLatin1Char('0'));
    words.truncate(1000);
    QTest::newRow("1000 characters, cut at the bottom") << words << true;
    QTest::newRow("no blanks, wrapped inside the word") << pattern(300) << false;
}

void tst_Recipes::longLinePrintsWrapped()
{
    QFETCH(QString, line);
    QFETCH(bool, cut);

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    TestDatabase db;
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    storeRecipe(db, "Long", RecipeText::split(line));
    fmRecipes screen;
    fmPrint sheet;
    sheet.setPrintText("Long\r\n" + line);
    const int drawn = sheet.lblPrint()->drawnLength() - 5;
    QCOMPARE(drawn < line.size(), cut);
    click(&screen, "cmPrintme");

    const QList<QStringList> pages = printedPages(prints.path());
    QCOMPARE(pages.size(), 1);
    QStringList lines = pages[0];
    QCOMPARE(lines.takeFirst().trimmed(), QStringLiteral("Long"));
    QVERIFY(lines.size() > 2);
    QVERIFY(line.startsWith(lines[0].trimmed()));
    const QString text = lines.join(' ');
    if (!cut) {
        QCOMPARE(text.simplified().remove(' '), line);
    } else {
        const QString lastShown = line.left(drawn).trimmed().section(' ', -1);
        QVERIFY2(text.contains(lastShown), qPrintable(lastShown));
        QVERIFY(!text.contains(line.section(' ', -2, -2)));
    }
    Printer::setPdfDirectory(QString());
}

void tst_Recipes::returnUnloadsScreen()
{
    TestDatabase db;
    QMainWindow main;
    auto *area = new QMdiArea(&main);
    main.setCentralWidget(area);
    Navigator navigator(area, &main);
    Screens::add("fmRecipes", {[] { return new fmRecipes; }, false});
    QPointer<QWidget> screen = navigator.open("fmRecipes");
    QVERIFY(screen && screen->isWindow());

    click(screen, "cmReturn");
    QVERIFY(!navigator.find("fmRecipes"));
    QTRY_VERIFY(screen.isNull());
}

QTEST_MAIN(tst_Recipes)
#include "tst_recipes.moc"
