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
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString NoName = QStringLiteral("You must enter a recipe name");
const QString NoDirections = QStringLiteral("You must enter directions");

// `length` characters, each position told apart by its letter.
QString pattern(int length, char16_t first = u'a')
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(first + i % 26);
    return text;
}

QString pdfText(const QString &file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Stores a recipe with its four directions columns as given.
void storeRecipe(const TestDatabase &db, const QString &name, const QStringList &columns)
{
    QVariantList values{name};
    for (int i = 0; i < 4; ++i)
        values << columns.value(i, QStringLiteral(""));
    QVERIFY(db.exec("INSERT INTO recipes VALUES (?, ?, ?, ?, ?)", values));
}

QStringList storedColumns(const TestDatabase &db, const QString &name)
{
    QSqlQuery q(db.db());
    q.prepare("SELECT Recipe_Directions1, Recipe_Directions2, Recipe_Directions3, Recipe_Directions4 "
              "FROM recipes WHERE Recipe_Name = ?");
    q.addBindValue(name);
    QStringList columns;
    if (q.exec() && q.next()) {
        for (int i = 0; i < 4; ++i)
            columns << q.value(i).toString();
    }
    return columns;
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

QStringList pdfFiles(const QString &dir)
{
    QStringList files;
    for (const QString &f : QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
        files << QDir(dir).filePath(f);
    return files;
}

} // namespace

class tst_Recipes : public QObject
{
    Q_OBJECT
private slots:
    void addStoresDirectionsByLength_data();
    void addStoresDirectionsByLength();
    void enterStartsNewLine();
    void shorteningEmptiesLaterColumns();
    void checksKeepFormOpen_data();
    void checksKeepFormOpen();
    void sameNameRepaintReturnsToFirst();
    void updateAndDeleteKeepTheirRecipe_data();
    void updateAndDeleteKeepTheirRecipe();
    void deletingLastRecipeEmptiesScreen();
    void cancelLeavesRecipeUnchanged();
    void goTo_data();
    void goTo();
    void emptyTableIgnoresCommands();
    void printAllMakesOneJobPerRecipe_data();
    void printAllMakesOneJobPerRecipe();
    void longLinePrintsWrapped_data();
    void longLinePrintsWrapped();
    void returnUnloadsScreen();
};

void tst_Recipes::addStoresDirectionsByLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("columnLengths");

    QTest::newRow("250") << 250 << QList<int>{250, 0, 0, 0};
    QTest::newRow("251") << 251 << QList<int>{250, 1, 0, 0};
    QTest::newRow("1000") << 1000 << QList<int>{250, 250, 250, 250};
}

void tst_Recipes::addStoresDirectionsByLength()
{
    QFETCH(int, length);
    QFETCH(QList<int>, columnLengths);

    TestDatabase db;
    MessageRecorder messages;
    fmRecipes screen;
    const QString directions = pattern(length);
    ModalDriver driver([&](QDialog *form) {
        fill(form, "Bread", directions);
        click(form, "cmSave");
    });
    click(&screen, "cmAdd");

    QCOMPARE(driver.opened, QStringList{"fmAddRecipe"});
    QVERIFY(messages.boxes.isEmpty());
    const QStringList columns = storedColumns(db, "Bread");
    QCOMPARE(columns.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(int(columns[i].size()), columnLengths[i]);
        QCOMPARE(columns[i], directions.mid(i * 250, 250));
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM recipes WHERE Recipe_Directions4 IS NULL").toInt(), 0);
    QCOMPARE(shownName(screen), QStringLiteral("Bread"));
    QCOMPARE(shownDirections(screen), directions);
    QCOMPARE(child<QComboBox>(&screen, "cmbRecipes")->itemText(0), QStringLiteral("Bread"));
}

void tst_Recipes::enterStartsNewLine()
{
    TestDatabase db;
    fmRecipes screen;
    ModalDriver driver([&](QDialog *form) {
        QTest::keyClicks(child<QLineEdit>(form, "txtRecipe"), "Toast");
        auto *box = child<QPlainTextEdit>(form, "txtDirections1");
        QTest::keyClicks(box, "Slice");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, "Toast");
        QVERIFY(form->isVisible());
        click(form, "cmSave");
    });
    click(&screen, "cmAdd");

    QCOMPARE(storedColumns(db, "Toast").value(0), QStringLiteral("Slice\r\nToast"));
    QCOMPARE(shownDirections(screen), QStringLiteral("Slice\nToast"));
}

void tst_Recipes::shorteningEmptiesLaterColumns()
{
    TestDatabase db;
    const QString old = pattern(600);
    storeRecipe(db, "Stew", {old.left(250), old.mid(250, 250), old.mid(500)});
    fmRecipes screen;
    QCOMPARE(shownDirections(screen), old);

    const QString shorter = pattern(100, u'A');
    ModalDriver driver([&](QDialog *form) {
        QCOMPARE(child<QPlainTextEdit>(form, "txtDirections1")->toPlainText(), old);
        child<QPlainTextEdit>(form, "txtDirections1")->setPlainText(shorter);
        click(form, "cmSave");
    });
    click(&screen, "cmUpdate");

    QCOMPARE(storedColumns(db, "Stew"), (QStringList{shorter, "", "", ""}));
    QCOMPARE(shownDirections(screen), shorter);
}

void tst_Recipes::checksKeepFormOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("directions");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("add, neither") << "cmAdd" << "" << "" << QStringList{NoName};
    QTest::newRow("add, no name") << "cmAdd" << "" << "Bake" << QStringList{NoName};
    QTest::newRow("add, no directions") << "cmAdd" << "Pie" << "" << QStringList{NoDirections};
    QTest::newRow("update, neither") << "cmUpdate" << "" << "" << QStringList{NoName, NoDirections};
    QTest::newRow("update, no name") << "cmUpdate" << "" << "Bake" << QStringList{NoName};
    QTest::newRow("update, no directions") << "cmUpdate" << "Pie" << "" << QStringList{NoDirections};
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
    QString typedName;
    ModalDriver driver([&](QDialog *form) {
        fill(form, name, directions);
        click(form, "cmSave");
        stayedOpen = form->isVisible();
        typedName = child<QLineEdit>(form, "txtRecipe")->text();
    });
    click(&screen, button);

    QVERIFY(stayedOpen);
    QCOMPARE(typedName, name);
    QCOMPARE(messages.texts(), expected);
    for (const Msg::Record &r : messages.boxes) {
        QCOMPARE(r.title, QStringLiteral("Invalid data"));
        QCOMPARE(r.icon, Msg::Icon::None);
    }
    QCOMPARE(db.count("recipes"), 1);
    QCOMPARE(storedColumns(db, "Cake").value(0), QStringLiteral("Mix"));
}

void tst_Recipes::sameNameRepaintReturnsToFirst()
{
    TestDatabase db;
    storeRecipe(db, "Bread", {"White"});
    storeRecipe(db, "Bread", {"Rye"});
    fmRecipes screen;
    QCOMPARE(shownDirections(screen), QStringLiteral("White"));

    click(&screen, "cmNext");
    QCOMPARE(shownDirections(screen), QStringLiteral("Rye"));
    screen.Form_Paint();
    QCOMPARE(shownDirections(screen), QStringLiteral("White"));

    click(&screen, "cmPrev");
    QCOMPARE(shownDirections(screen), QStringLiteral("Rye"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&screen, &activate);
    QCOMPARE(shownDirections(screen), QStringLiteral("White"));
}

void tst_Recipes::updateAndDeleteKeepTheirRecipe_data()
{
    QTest::addColumn<bool>("remove");

    QTest::newRow("save after a check message") << false;
    QTest::newRow("delete") << true;
}

void tst_Recipes::updateAndDeleteKeepTheirRecipe()
{
    QFETCH(bool, remove);

    // The message boxes over the form repaint the browser, which moves its set to
    // the first "Bread"; the form must still change the second.
    TestDatabase db;
    storeRecipe(db, "Bread", {"White"});
    storeRecipe(db, "Bread", {"Rye"});
    MessageRecorder messages;
    fmRecipes screen;
    click(&screen, "cmNext");
    ModalDriver driver([&](QDialog *form) {
        if (remove) {
            click(form, "cmDelete");
            return;
        }
        fill(form, "", "Spelt");
        click(form, "cmSave");
        child<QLineEdit>(form, "txtRecipe")->setText("Bread");
        click(form, "cmSave");
    });
    click(&screen, "cmUpdate");

    QSqlQuery q(db.db());
    QVERIFY(q.exec("SELECT Recipe_Directions1 FROM recipes ORDER BY rowid"));
    QStringList stored;
    while (q.next())
        stored << q.value(0).toString();
    QCOMPARE(stored, remove ? QStringList{"White"} : QStringList({"White", "Spelt"}));
}

void tst_Recipes::deletingLastRecipeEmptiesScreen()
{
    TestDatabase db;
    storeRecipe(db, "Soup", {"Boil"});
    MessageRecorder messages;
    messages.answers << Msg::Answer::Cancel << Msg::Answer::Ok;
    fmRecipes screen;
    bool openAfterCancel = false;
    ModalDriver driver([&](QDialog *form) {
        click(form, "cmDelete");
        openAfterCancel = form->isVisible() && db.count("recipes") == 1;
        click(form, "cmDelete");
    });
    click(&screen, "cmUpdate");

    QVERIFY(openAfterCancel);
    QCOMPARE(messages.boxes.size(), 2);
    QCOMPARE(messages.boxes[0].text, QStringLiteral("Are you sure you want to delete this recipe?"));
    QCOMPARE(messages.boxes[0].title, QStringLiteral("Delete Recipe?"));
    QCOMPARE(messages.boxes[0].buttons, Msg::Buttons::OkCancel);
    QCOMPARE(db.count("recipes"), 0);
    QCOMPARE(shownName(screen), QString());
    QCOMPARE(shownDirections(screen), QString());
    QCOMPARE(child<QComboBox>(&screen, "cmbRecipes")->count(), 0);
}

void tst_Recipes::cancelLeavesRecipeUnchanged()
{
    TestDatabase db;
    storeRecipe(db, "Bread", {"Knead"});
    storeRecipe(db, "Cake", {"Whisk"});
    storeRecipe(db, "Pie", {"Roll"});
    fmRecipes screen;
    click(&screen, "cmNext");
    ModalDriver driver([&](QDialog *form) {
        fill(form, "Torte", "Layer");
        click(form, "cmCancel");
    });
    click(&screen, "cmUpdate");

    QCOMPARE(driver.opened, QStringList{"fmUpdateRecipe"});
    QCOMPARE(storedColumns(db, "Cake").value(0), QStringLiteral("Whisk"));
    QCOMPARE(db.count("recipes"), 3);
    QCOMPARE(shownName(screen), QStringLiteral("Cake"));
    QCOMPARE(shownDirections(screen), QStringLiteral("Whisk"));
}

void tst_Recipes::goTo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    QTest::newRow("found") << "Pie" << "Pie" << "";
    QTest::newRow("other letter case") << "mom's pie" << "Mom's Pie" << "";
    QTest::newRow("not found stays") << "Torte" << "Cake" << "Recipe not found!";
    QTest::newRow("quote trick") << "' OR 1=1 --" << "Cake" << "Recipe not found!";
}

void tst_Recipes::goTo()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, message);

    TestDatabase db;
    storeRecipe(db, "Bread", {"Knead"});
    storeRecipe(db, "Cake", {"Whisk"});
    storeRecipe(db, "Pie", {"Roll"});
    storeRecipe(db, "Mom's Pie", {"Crimp"});
    MessageRecorder messages;
    fmRecipes screen;
    click(&screen, "cmNext");
    child<QComboBox>(&screen, "cmbRecipes")->setEditText(text);
    click(&screen, "cmSearch");

    QCOMPARE(shownName(screen), name);
    QCOMPARE(shownDirections(screen), storedColumns(db, name).value(0));
    QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(messages.boxes[0].title, QStringLiteral("Search Failed"));
        QCOMPARE(messages.boxes[0].icon, Msg::Icon::Exclamation);
    }
}

void tst_Recipes::emptyTableIgnoresCommands()
{
    TestDatabase db;
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    MessageRecorder messages;
    fmRecipes screen;
    ModalDriver driver([](QDialog *) {});
    child<QComboBox>(&screen, "cmbRecipes")->setEditText("Bread");
    for (const char *button : {"cmSearch", "cmPrev", "cmNext", "cmUpdate", "cmPrintme", "cmPrint"})
        click(&screen, button);
    screen.Form_Paint();

    QVERIFY(messages.boxes.isEmpty());
    QVERIFY(driver.opened.isEmpty());
    QVERIFY(pdfFiles(prints.path()).isEmpty());
    QCOMPARE(shownName(screen), QString());
    QCOMPARE(shownDirections(screen), QString());

    click(&screen, "cmAdd");
    QCOMPARE(driver.opened, QStringList{"fmAddRecipe"});
    QCOMPARE(db.count("recipes"), 0);
    Printer::setPdfDirectory(QString());
}

void tst_Recipes::printAllMakesOneJobPerRecipe_data()
{
    QTest::addColumn<Msg::Answer>("answer");
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("OK") << Msg::Answer::Ok << QStringList{"Bread", "Cake", "Pie"};
    QTest::newRow("Cancel") << Msg::Answer::Cancel << QStringList{};
}

void tst_Recipes::printAllMakesOneJobPerRecipe()
{
    QFETCH(Msg::Answer, answer);
    QFETCH(QStringList, printed);

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    TestDatabase db;
    QTemporaryDir prints;
    Printer::setPdfDirectory(prints.path());
    const QHash<QString, QString> steps{
        {"Bread", "Knead the flour dough"}, {"Cake", "Whisk eggs"}, {"Pie", "Roll the crust"}};
    storeRecipe(db, "Bread", {steps["Bread"]});
    storeRecipe(db, "Cake", {steps["Cake"], " twice"});
    storeRecipe(db, "Pie", {steps["Pie"]});
    MessageRecorder messages;
    messages.answers << answer;
    fmRecipes screen;
    click(&screen, "cmNext");
    click(&screen, "cmPrint");

    QCOMPARE(messages.texts(), QStringList{"Print entire recipe list?"});
    QCOMPARE(messages.boxes[0].title, QStringLiteral("Print"));
    QCOMPARE(messages.boxes[0].icon, Msg::Icon::None);
    const QStringList files = pdfFiles(prints.path());
    QCOMPARE(files.size(), printed.size());
    for (int i = 0; i < files.size(); ++i) {
        const QStringList lines = pdfText(files[i]).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines[0].trimmed(), printed[i]);
        const QString expected = printed[i] == "Cake" ? "Whisk eggs twice" : steps[printed[i]];
        QCOMPARE(lines[1].trimmed(), expected);
    }
    if (answer == Msg::Answer::Ok)
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

    const QStringList files = pdfFiles(prints.path());
    QCOMPARE(files.size(), 1);
    QStringList lines = pdfText(files[0]).split('\n', Qt::SkipEmptyParts);
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
    QCOMPARE(screen->windowTitle(), QStringLiteral("Recipes"));

    click(screen, "cmReturn");
    QVERIFY(!navigator.find("fmRecipes"));
    QTRY_VERIFY(screen.isNull());
}

QTEST_MAIN(tst_Recipes)
#include "tst_recipes.moc"
