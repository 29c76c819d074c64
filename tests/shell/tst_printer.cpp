#include "GuiSupport.h"
#include "shell/Printer.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

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

// While it lives, files this process writes cannot grow past `bytes`, as on a
// disk that has filled up.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_before;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_before{};
    void (*m_signal)(int) = nullptr;
};

// A screen whose folder for prints goes away while it is being printed.
class VanishingFolderScreen : public QWidget
{
public:
    explicit VanishingFolderScreen(const QString &folder) : m_folder(folder) { resize(300, 200); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QDir(m_folder).removeRecursively();
        QPainter(this).drawText(10, 20, QStringLiteral("Chocolate Cake"));
    }

private:
    QString m_folder;
};

} // namespace

class tst_Printer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed");
    }

    void init() { Printer::setPdfDirectory(m_folder.path()); }
    void cleanupTestCase() { Printer::setPdfDirectory(QString()); }

    void linesComeOutInOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("severalPages");
        QTest::newRow("one page") << 10 << false;
        QTest::newRow("several pages") << 200 << true;
    }

    // Blank items keep their line; the rest come out in order, page after page.
    void linesComeOutInOrder()
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
        const QString text = pdfText(result.pdfFile, true);
        QStringList firstRows;
        for (const QString &row : text.split(u'\n').mid(0, 7))
            firstRows << row.simplified();
        QCOMPARE(firstRows, QStringList({lines[0], lines[1], lines[2], "", lines[4], "", lines[6]}));
        lines.removeAt(5);
        lines.removeAt(3);
        QCOMPARE(textLines(text), lines);
        QCOMPARE(text.count(u'\f') > 1, severalPages);
    }

    void longLineIsWrappedNotCut_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator"); // between the wrapped pieces
        QString noBlanks;
        for (int i = 0; i < 300; ++i)
            noBlanks += QChar(u'A' + i % 26);
        QString words;
        for (int i = 1; words.size() < 600; ++i)
            words += QStringLiteral("word%1 ").arg(i);
        QTest::newRow("300 characters without blanks") << noBlanks << QString();
        QTest::newRow("many words") << words.trimmed() << QStringLiteral(" ");
    }

    void longLineIsWrappedNotCut()
    {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        const Printer::Result result = Printer::printLines({line, QStringLiteral("after")}, QStringLiteral("Long"));
        QVERIFY2(result.ok, qPrintable(result.error));
        QStringList printed = textLines(pdfText(result.pdfFile, true));
        QVERIFY(printed.size() > 2);
        QCOMPARE(printed.takeLast(), QStringLiteral("after"));
        QCOMPARE(printed.join(separator), line);
    }

    void multiLineItemKeepsItsLines_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("CR LF") << "Deliver Fridays\r\nRing twice" << QStringList{"Deliver Fridays", "Ring twice"};
        QTest::newRow("LF and CR") << "one\ntwo\rthree" << QStringList{"one", "two", "three"};
        QTest::newRow("blank line kept") << "top\r\n\r\nbottom" << QStringList{"top", "", "bottom"};
    }
    // An item holding line breaks (a comment) prints as several lines.
    void multiLineItemKeepsItsLines()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, printed);
        const Printer::Result result = Printer::printLines({"before", item, "after"}, QStringLiteral("Comments"));
        QVERIFY2(result.ok, qPrintable(result.error));
        QStringList rows;
        for (const QString &row : pdfText(result.pdfFile, true).split(u'\n').mid(0, printed.size() + 2))
            rows << row.simplified();
        QCOMPARE(rows, QStringList{"before"} + printed + QStringList{"after"});
    }

    // A widget's text stays text; job files sort in job order, whatever their names.
    void widgetJobsFollowLineJobs()
    {
        const Printer::Result lines = Printer::printLines({QStringLiteral("first")}, QStringLiteral("Zebra"));
        QVERIFY2(lines.ok, qPrintable(lines.error));
        QWidget screen;
        auto *layout = new QVBoxLayout(&screen);
        layout->addWidget(new QLabel(QStringLiteral("Chocolate Cake")));
        layout->addWidget(new QLabel(QStringLiteral("Flour 2 cups")));
        screen.resize(500, 300);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));

        const Printer::Result widget = Printer::printWidget(&screen, QStringLiteral("Apple"));
        QVERIFY2(widget.ok, qPrintable(widget.error));
        const QString text = pdfText(widget.pdfFile, true);
        QVERIFY2(text.contains(QStringLiteral("Chocolate Cake")) && text.contains(QStringLiteral("Flour 2 cups")),
                 qPrintable(text));
        QVERIFY(QFileInfo(widget.pdfFile).size() < 200 * 1024);
        QCOMPARE(textLines(pdfText(lines.pdfFile, true)), QStringList{QStringLiteral("first")});
        const QStringList files = QDir(m_folder.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
        QCOMPARE(files.mid(files.size() - 2),
                 QStringList({QFileInfo(lines.pdfFile).fileName(), QFileInfo(widget.pdfFile).fileName()}));
    }

    // Numbers continue after the prints already in the folder, and a name that
    // another program took meanwhile is not written over.
    void numbersFollowEarlierPrints()
    {
        QTemporaryDir folder;
        const auto touch = [&](const QString &name) {
            QFile f(folder.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        };
        touch(QStringLiteral("corvana-0041-Old.pdf"));
        Printer::setPdfDirectory(folder.path());
        const Printer::Result first = Printer::printLines({QStringLiteral("a")}, QStringLiteral("Job"));
        QCOMPARE(QFileInfo(first.pdfFile).fileName(), QStringLiteral("corvana-0042-Job.pdf"));
        touch(QStringLiteral("corvana-0043-Job.pdf"));
        touch(QStringLiteral("corvana-0050-Other.pdf"));
        const Printer::Result second = Printer::printLines({QStringLiteral("b")}, QStringLiteral("Job"));
        QCOMPARE(QFileInfo(second.pdfFile).fileName(), QStringLiteral("corvana-0051-Job.pdf"));
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("corvana-0043-Job.pdf"))).size(), 0);
    }

    void unwritableFolderIsReported()
    {
        // A folder below a plain file can be neither created nor written.
        const QString blocker = QDir(m_folder.path()).filePath(QStringLiteral("blocker"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        Printer::setPdfDirectory(blocker + QStringLiteral("/prints"));
        QWidget screen;
        screen.resize(200, 100);
        for (const Printer::Result &result : {Printer::printLines({QStringLiteral("line")}, QStringLiteral("Blocked")),
                                              Printer::printWidget(&screen, QStringLiteral("Blocked"))}) {
            QVERIFY(!result.ok && !result.error.isEmpty());
        }
    }

    void incompleteJobLeavesNoFile_data()
    {
        QTest::addColumn<QString>("mishap");
        QTest::addColumn<bool>("lines"); // else a screen
        QTest::newRow("disk full, lines") << "disk full" << true;
        QTest::newRow("disk full, screen") << "disk full" << false;
        QTest::newRow("folder removed, screen") << "folder removed" << false;
    }

    // A job that cannot be written completely is reported, and no broken or
    // empty PDF is left behind as if it had printed.
    void incompleteJobLeavesNoFile()
    {
        QFETCH(QString, mishap);
        QFETCH(bool, lines);
        const QString folder = QDir(m_folder.path()).filePath(QStringLiteral("incomplete"));
        QDir(folder).removeRecursively();
        Printer::setPdfDirectory(folder);
        QStringList items;
        for (int i = 0; i < 300; ++i)
            items << QStringLiteral("Order line %1: Chocolate cake").arg(i);
        VanishingFolderScreen vanishing(mishap == QLatin1String("folder removed") ? folder : QString());
        QLabel label(QStringLiteral("Chocolate Cake"));
        QWidget &screen = mishap == QLatin1String("folder removed") ? static_cast<QWidget &>(vanishing) : label;
        Printer::Result result;
        {
            std::optional<FileSizeLimit> full;
            if (mishap == QLatin1String("disk full"))
                full.emplace(2000);
            result = lines ? Printer::printLines(items, QStringLiteral("Full"))
                           : Printer::printWidget(&screen, QStringLiteral("Full"));
        }
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(QStringLiteral("could not be written completely")), qPrintable(result.error));
        QVERIFY(!QFile::exists(result.pdfFile));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());

        // The next job, with room again, is written whole.
        QDir().mkpath(folder);
        const Printer::Result next = Printer::printLines(items, QStringLiteral("Room again"));
        QVERIFY2(next.ok, qPrintable(next.error));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(next.pdfFile).fileName()});
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(tst_Printer)
#include "tst_printer.moc"
