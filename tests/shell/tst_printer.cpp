#include "shell/Printer.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The text of a PDF as pdftotext lays it out; pages are separated by form feeds.
QString pdfText(const QString &file)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The non-empty lines of the text, each with its runs of blanks made single.
QStringList textLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("[\\n\\f]")))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines;
}

} // namespace

class tst_Printer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void linesComeOutInOrder_data();
    void linesComeOutInOrder();
    void longLineIsWrappedNotCut_data();
    void longLineIsWrappedNotCut();
    void jobFilesSortInJobOrder();
    void widgetTextStaysText();
    void unwritableFolderIsReported_data();
    void unwritableFolderIsReported();

private:
    QString newestPdf() const;
    QTemporaryDir folder;
};

void tst_Printer::initTestCase()
{
    QVERIFY(folder.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed");
}

void tst_Printer::init()
{
    Printer::setPdfDirectory(folder.path());
}

void tst_Printer::cleanupTestCase()
{
    Printer::setPdfDirectory(QString());
}

QString tst_Printer::newestPdf() const
{
    const QStringList files = QDir(folder.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : QDir(folder.path()).filePath(files.last());
}

void tst_Printer::linesComeOutInOrder_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("severalPages");

    QTest::newRow("one page") << 10 << false;
    QTest::newRow("several pages") << 200 << true;
}

void tst_Printer::linesComeOutInOrder()
{
    QFETCH(int, count);
    QFETCH(bool, severalPages);

    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Order line %1: Chocolate cake, qty %2").arg(i).arg(i * 3);
    lines.insert(3, QString());
    lines.insert(5, QStringLiteral(" "));

    const Printer::Result result = Printer::printLines(lines, QStringLiteral("Order lines"));
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(QFileInfo::exists(result.pdfFile));
    QCOMPARE(result.pdfFile, newestPdf());

    const QString text = pdfText(result.pdfFile);
    QStringList firstRows;
    for (const QString &row : text.split(u'\n').mid(0, 7))
        firstRows << row.simplified();
    const QStringList expectedRows = {lines[0], lines[1], lines[2], QString(), lines[4], QString(), lines[6]};
    QCOMPARE(firstRows, expectedRows);

    lines.removeAt(5);
    lines.removeAt(3);
    QCOMPARE(textLines(text), lines);
    QCOMPARE(text.count(u'\f') > 1, severalPages);
}

void tst_Printer::longLineIsWrappedNotCut_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("separator");

    QString noBreaks;
    for (int i = 0; i < 300; ++i)
        noBreaks += QChar(u'A' + i % 26);
    QString words;
    for (int i = 1; words.size() < 600; ++i)
        words += QStringLiteral("word%1 ").arg(i);

    QTest::newRow("300 characters without blanks") << noBreaks << QString();
    QTest::newRow("many words") << words.trimmed() << QStringLiteral(" ");
}

void tst_Printer::longLineIsWrappedNotCut()
{
    QFETCH(QString, line);
    QFETCH(QString, separator);

    const Printer::Result result = Printer::printLines({line, QStringLiteral("after")}, QStringLiteral("Long"));
    QVERIFY2(result.ok, qPrintable(result.error));

    QStringList printed = textLines(pdfText(result.pdfFile));
    QVERIFY(printed.size() > 2);
    QCOMPARE(printed.takeLast(), QStringLiteral("after"));
    QCOMPARE(printed.join(separator), line);
}

void tst_Printer::jobFilesSortInJobOrder()
{
    const Printer::Result first = Printer::printLines({QStringLiteral("first")}, QStringLiteral("Zebra"));
    const Printer::Result second = Printer::printLines({QStringLiteral("second")}, QStringLiteral("Apple"));
    QVERIFY(first.ok && second.ok);
    QVERIFY(first.pdfFile != second.pdfFile);

    const QString a = QFileInfo(first.pdfFile).fileName();
    const QString b = QFileInfo(second.pdfFile).fileName();
    QVERIFY2(a < b, qPrintable(a + QStringLiteral(" / ") + b));
    QVERIFY(QFileInfo::exists(first.pdfFile));
    QCOMPARE(textLines(pdfText(second.pdfFile)), QStringList{QStringLiteral("second")});
    QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name).last(), b);
}

void tst_Printer::widgetTextStaysText()
{
    QWidget screen;
    auto *layout = new QVBoxLayout(&screen);
    layout->addWidget(new QLabel(QStringLiteral("Chocolate Cake")));
    layout->addWidget(new QLabel(QStringLiteral("Flour 2 cups")));
    screen.resize(500, 300);
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));

    const Printer::Result result = Printer::printWidget(&screen, QStringLiteral("Recipe"));
    QVERIFY2(result.ok, qPrintable(result.error));

    const QString text = pdfText(result.pdfFile);
    QVERIFY2(text.contains(QStringLiteral("Chocolate Cake")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Flour 2 cups")));
    QVERIFY(QFileInfo(result.pdfFile).size() < 200 * 1024);
}

void tst_Printer::unwritableFolderIsReported_data()
{
    QTest::addColumn<bool>("widget");

    QTest::newRow("lines") << false;
    QTest::newRow("widget") << true;
}

void tst_Printer::unwritableFolderIsReported()
{
    QFETCH(bool, widget);

    // A folder below a plain file can be neither created nor written.
    const QString blocker = QDir(folder.path()).filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Printer::setPdfDirectory(blocker + QStringLiteral("/prints"));

    QWidget screen;
    screen.resize(200, 100);
    const Printer::Result result = widget
        ? Printer::printWidget(&screen, QStringLiteral("Blocked"))
        : Printer::printLines({QStringLiteral("line")}, QStringLiteral("Blocked"));
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
}

QTEST_MAIN(tst_Printer)
#include "tst_printer.moc"
