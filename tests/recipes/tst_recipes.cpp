// The recipe browser, its forms and its printing (the shared browsing is tested with the customers).

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
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

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
    const QStringList four = columns + QStringList(4 - columns.size(), QStringLiteral(""));
    QVERIFY(db.exec("INSERT INTO recipes VALUES (?, ?, ?, ?, ?)", QVariantList{name} + QVariant(four).toList()));
}

// The four directions columns of every recipe in table order, "|" between
// columns and "," between recipes.
QString stored(const TestDatabase &db)
{
    return db.scalar("SELECT group_concat(Recipe_Directions1 || '|' || Recipe_Directions2 || '|' || "
                     "Recipe_Directions3 || '|' || Recipe_Directions4, ',') FROM recipes").toString();
}

// The directions on display.
QString shown(fmRecipes &screen) { return child<QPlainTextEdit>(&screen, "txtDirections1")->toPlainText(); }
void click(QWidget *parent, const QString &name) { child<QPushButton>(parent, name)->click(); }

void fill(QDialog *form, const QString &name, const QString &directions)
{
    child<QLineEdit>(form, "txtRecipe")->setText(name);
    child<QPlainTextEdit>(form, "txtDirections1")->setPlainText(directions);
}

// A folder that receives the print jobs while it exists.
struct PrintFolder : QTemporaryDir
{
    PrintFolder() { Printer::setPdfDirectory(path()); }
    ~PrintFolder() { Printer::setPdfDirectory(QString()); }
};

// The non-empty lines of each PDF printed to `dir`, in job order.
QList<QStringList> printedPages(const QString &dir)
{
    QList<QStringList> pages;
    for (const QFileInfo &file : QDir(dir).entryInfoList({"*.pdf"}, QDir::Files, QDir::Name)) {
        pages << pdfText(file.filePath()).split('\n', Qt::SkipEmptyParts);
    }
    return pages;
}

} // namespace

class tst_Recipes : public QObject
{
    Q_OBJECT
private slots:
    void splitAndJoin_data()
    {
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("lengths"); // of the four columns
        QTest::newRow("line break straddles") << pattern(249) + "\r\nx " << QList<int>{250, 3, 0, 0};
        QTest::newRow("emoji at 250") << pattern(249) + smile + "z" << QList<int>{249, 3, 0, 0};
        QTest::newRow("emoji at 500") << pattern(499) + smile << QList<int>{250, 249, 2, 0};
        QTest::newRow("emoji at 750") << pattern(749) + smile + pattern(100) << QList<int>{250, 250, 249, 102};
        QTest::newRow("emoji at every boundary") << "a" + QString(smile).repeated(499) << QList<int>{249, 250, 250, 250};
        QTest::newRow("emoji only") << QString(smile).repeated(500) << QList<int>{250, 250, 250, 250};
    }
    // A line break counts as two characters and may straddle two columns; a
    // character outside the basic plane never does. The columns are valid text
    // and give back the text exactly, blanks included.
    void splitAndJoin()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, lengths);
        const QStringList columns = RecipeText::split(text);
        QList<int> sizes;
        for (const QString &column : columns) {
            sizes << int(column.size());
            QVERIFY(!column.isNull());
            QCOMPARE(QString::fromUtf8(column.toUtf8()), column); // no half character
        }
        QCOMPARE(sizes, lengths);
        QCOMPARE(RecipeText::join(columns), text);
    }

    // Without a recipe only Add works. The box takes 1000 characters; Enter
    // starts a new line, stored as CR LF; deleting the last recipe empties the screen.
    void addUpdateDelete()
    {
        TestDatabase db;
        PrintFolder prints;
        MessageRecorder messages;
        fmRecipes screen;
        const QString full = pattern(1000);
        QString offered;
        ModalDriver driver([&](QDialog *form) {
            auto *box = child<QPlainTextEdit>(form, "txtDirections1");
            if (form->objectName() == "fmAddRecipe") {
                fill(form, "Bread", full + "z");
                click(form, "cmSave");
            } else if (offered.isEmpty()) {
                offered = box->toPlainText();
                box->clear();
                QTest::keyClicks(box, "Slice");
                QTest::keyClick(box, Qt::Key_Return);
                QTest::keyClicks(box, "Toast");
                click(form, "cmSave");
            } else {
                click(form, "cmDelete"); // answered Cancel
                QVERIFY(form->isVisible());
                QCOMPARE(db.count("recipes"), 1);
                click(form, "cmDelete");
            }
        });
        for (const char *button : {"cmUpdate", "cmPrintme", "cmPrint"})
            click(&screen, button);
        screen.Form_Paint();
        QVERIFY(messages.boxes.isEmpty());
        QVERIFY(driver.opened.isEmpty());
        QVERIFY(QDir(prints.path()).isEmpty());

        click(&screen, "cmAdd");
        const QStringList quarters{full.left(250), full.mid(250, 250), full.mid(500, 250), full.mid(750)};
        QCOMPARE(stored(db), quarters.join('|'));
        QCOMPARE(shown(screen), full);

        click(&screen, "cmUpdate");
        QCOMPARE(offered, full);
        QCOMPARE(stored(db), QStringLiteral("Slice\r\nToast|||"));
        QCOMPARE(shown(screen), QStringLiteral("Slice\nToast"));

        messages.answers << Msg::Answer::Cancel;
        click(&screen, "cmUpdate");
        QCOMPARE(messages.texts(), QStringList(2, "Are you sure you want to delete this recipe?"));
        QCOMPARE(messages.boxes[0].title, QStringLiteral("Delete Recipe?"));
        QCOMPARE(messages.boxes[0].buttons, Msg::Buttons::OkCancel);
        QCOMPARE(db.count("recipes"), 0);
        QCOMPARE(shown(screen), QString());
        QCOMPARE(child<QComboBox>(&screen, "cmbRecipes")->count(), 0);
    }

    void checksKeepFormOpen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        // Add stops at the first failed check, update reports each.
        QTest::newRow("add, neither") << "cmAdd" << "" << QStringList{"You must enter a recipe name"};
        QTest::newRow("add, no directions") << "cmAdd" << "Pie" << QStringList{"You must enter directions"};
        QTest::newRow("update, neither") << "cmUpdate" << ""
                                         << (QStringList{"You must enter a recipe name", "You must enter directions"});
    }
    void checksKeepFormOpen()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        TestDatabase db;
        storeRecipe(db, "Cake", {"Mix"});
        MessageRecorder messages;
        fmRecipes screen;
        ModalDriver driver([&](QDialog *form) {
            fill(form, name, "");
            click(form, "cmSave");
            QVERIFY(form->isVisible());
        });
        click(&screen, button);
        QCOMPARE(messages.texts(), expected);
        QCOMPARE(stored(db), QStringLiteral("Mix|||"));
    }

    void formKeepsItsRecipe_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("after");
        // After a change the browser shows the first recipe of the name; Cancel
        // returns it to the recipe it showed.
        QTest::newRow("save") << "cmSave" << "White|||,Spelt|||" << "White";
        QTest::newRow("delete") << "cmDelete" << "White|||" << "White";
        QTest::newRow("cancel") << "cmCancel" << "White|||,Rye|||" << "Rye";
    }
    void formKeepsItsRecipe()
    {
        QFETCH(QString, button);
        QFETCH(QString, columns);
        QFETCH(QString, after);
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
            QCOMPARE(shown(screen), QStringLiteral("White"));
            fill(form, "Bread", "Spelt");
            click(form, button);
        });
        click(&screen, "cmUpdate");
        QCOMPARE(stored(db), columns);
        QCOMPARE(shown(screen), after);
    }

    // Go To shows the directions of the recipe found and keeps them when none is;
    // Print All prints a page per recipe from the first, which is shown afterwards.
    void goToThenPrintAll()
    {
        TestDatabase db;
        PrintFolder prints;
        storeRecipe(db, "Bread", {"Knead the flour dough"});
        storeRecipe(db, "Cake", {"Whisk eggs", " twice"});
        storeRecipe(db, "Pie", {"Roll the crust"});
        MessageRecorder messages;
        fmRecipes screen;
        auto *combo = child<QComboBox>(&screen, "cmbRecipes");
        combo->setEditText("cake");
        click(&screen, "cmSearch");
        QCOMPARE(shown(screen), QStringLiteral("Whisk eggs twice"));
        combo->setEditText("Torte");
        click(&screen, "cmSearch");
        QCOMPARE(shown(screen), QStringLiteral("Whisk eggs twice"));
        click(&screen, "cmPrint");
        QCOMPARE(messages.texts(), (QStringList{"Recipe not found!", "Print entire recipe list?"}));
        QStringList printed;
        for (const QStringList &page : printedPages(prints.path()))
            printed << page.value(0).trimmed() + ": " + page.value(1).trimmed();
        QCOMPARE(printed, (QStringList{"Bread: Knead the flour dough", "Cake: Whisk eggs twice",
                                       "Pie: Roll the crust"}));
        QCOMPARE(shown(screen), QStringLiteral("Knead the flour dough"));
    }

    // Cancel in the progress dialog stops Print All between two recipes: those
    // printed are whole PDFs, no partial file is left, and the user is told how
    // many were printed. Left alone, the progress reaches its end.
    void printAllCancelled_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<int>("printed");
        QTest::newRow("before the first") << 0 << 0;
        QTest::newRow("after two") << 2 << 2;
        QTest::newRow("before the last") << 3 << 3;
        QTest::newRow("never") << -1 << 4;
    }
    void printAllCancelled()
    {
        QFETCH(int, cancelAt);
        QFETCH(int, printed);
        TestDatabase db;
        PrintFolder prints;
        const QStringList names = {"Bread", "Cake", "Pie", "Torte"};
        for (const QString &name : names)
            storeRecipe(db, name, {"Mix the " + name});
        MessageRecorder messages;
        fmRecipes screen;
        ProgressDriver progress(cancelAt);
        click(&screen, "cmPrint");
        QCOMPARE(progress.names.value(0), QStringLiteral("dlgProgress"));
        QVERIFY(progress.cancellable);

        QCOMPARE(QDir(prints.path()).entryList(QDir::Files).size(), printed);
        QStringList titles;
        for (const QStringList &page : printedPages(prints.path()))
            titles << page.value(0).trimmed();
        QCOMPARE(titles, names.mid(0, printed));
        QStringList told = {"Print entire recipe list?"};
        if (printed < names.size())
            told << fmRecipes::stoppedMessage(printed, names.size());
        QCOMPARE(messages.texts(), told);
        if (cancelAt < 0)
            QCOMPARE(progress.values.last(), 1000);
    }

    void longLinePrintsWrapped_data()
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
    void longLinePrintsWrapped()
    {
        QFETCH(QString, line);
        QFETCH(bool, cut);
        TestDatabase db;
        PrintFolder prints;
        storeRecipe(db, "Long", RecipeText::split(line));
        fmRecipes screen;
        click(&screen, "cmPrintme");
        // The page shows what fits on the sheet's label, in order.
        const QString sheetText = "Long\n" + line;
        fmPrint sheet;
        sheet.setPrintText(sheetText);
        const int drawn = sheet.lblPrint()->drawnLength();
        QCOMPARE(drawn < sheetText.size(), cut);
        const QList<QStringList> pages = printedPages(prints.path());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].size() > 3);
        QCOMPARE(pages[0].join(' ').simplified().remove(' '), sheetText.left(drawn).simplified().remove(' '));
    }

    void returnUnloadsScreen()
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
};

QTEST_MAIN(tst_Recipes)
#include "tst_recipes.moc"
