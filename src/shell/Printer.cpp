#include "shell/Printer.h"

#include "shell/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWidget>

namespace {

QString g_pdfDirectory;
bool g_toldNoPrinter = false;

QFont printFont()
{
    return Printer::withoutLigatures(QFont(QStringLiteral("DejaVu Sans"), 10));
}

// Job names become part of a file name: keep letters and digits, the rest turns
// into single hyphens.
QString sanitized(const QString &jobName)
{
    QString name;
    for (QChar c : jobName) {
        const bool keep = c.isLetterOrNumber() || c == u'_';
        if (keep)
            name += c;
        else if (!name.isEmpty() && !name.endsWith(u'-'))
            name += u'-';
    }
    while (name.endsWith(u'-'))
        name.chop(1);
    name.truncate(60);
    return name.isEmpty() ? QStringLiteral("job") : name;
}

// The highest job number among the PDF files in `dir`.
int highestNumber(const QString &dir)
{
    static const QRegularExpression numbered(QStringLiteral("^corvana-(\\d+)-.*\\.pdf$"));
    int highest = 0;
    const QStringList existing = QDir(dir).entryList({QStringLiteral("corvana-*.pdf")}, QDir::Files);
    for (const QString &file : existing) {
        const QRegularExpressionMatch match = numbered.match(file);
        if (match.hasMatch())
            highest = std::max(highest, match.captured(1).toInt());
    }
    return highest;
}

// One more than the highest number already in `dir`, so names sort in job order.
// A folder is listed once per run: listing it for every job made printing slow
// in a folder holding thousands of earlier prints. It is listed again when the
// name is taken all the same (another program wrote there meanwhile).
QString nextPdfFile(const QString &dir, const QString &jobName)
{
    static QHash<QString, int> highest;
    auto known = highest.find(dir);
    if (known == highest.end())
        known = highest.insert(dir, highestNumber(dir));
    const auto name = [&](int number) {
        return QDir(dir).filePath(QStringLiteral("corvana-%1-%2.pdf")
                                      .arg(QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0')), sanitized(jobName)));
    };
    if (QFileInfo::exists(name(*known + 1)))
        *known = highestNumber(dir);
    return name(++*known);
}

// The folder jobs go to as PDF files, or empty for the default printer.
QString pdfTarget()
{
    if (!g_pdfDirectory.isEmpty())
        return g_pdfDirectory;
    if (!QPrinterInfo::defaultPrinter().isNull())
        return QString();

    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    const QString dir = documents + QStringLiteral("/Corvana prints");
    QDir().mkpath(dir);
    if (!g_toldNoPrinter) {
        g_toldNoPrinter = true;
        Msg::show(nullptr,
                  QStringLiteral("No printer was found. Printed documents are saved as PDF files in ")
                      + dir + QStringLiteral("."),
                  QStringLiteral("Print"), Msg::Buttons::Ok, Msg::Icon::Information);
    }
    return dir;
}

void prepare(QPrinter &printer, const QString &jobName, Printer::Result &result)
{
    printer.setDocName(jobName);
    printer.setCreator(QStringLiteral("Corvana"));
    printer.setPageMargins(QMarginsF(0.75, 0.75, 0.75, 0.75), QPageLayout::Inch);
    const QString dir = pdfTarget();
    if (dir.isEmpty())
        return;
    result.pdfFile = nextPdfFile(dir, jobName);
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Written under a name of its own, the PDF takes its real name only when complete.
    printer.setOutputFileName(result.pdfFile + QStringLiteral(".part"));
}

void fail(Printer::Result &result, const QString &error)
{
    result.ok = false;
    result.error = error;
}

bool begin(QPainter &painter, QPrinter &printer, Printer::Result &result)
{
    if (painter.begin(&printer))
        return true;
    if (result.pdfFile.isEmpty()) {
        fail(result, QStringLiteral("The printer %1 could not be started.").arg(printer.printerName()));
    } else {
        QFile::remove(printer.outputFileName());
        fail(result, QStringLiteral("The file %1 could not be written.").arg(QDir::toNativeSeparators(result.pdfFile)));
    }
    return false;
}

// A PDF as written completely: it starts as a PDF and ends with its trailer,
// whose offset points at the cross-reference table. The PDF writer does not
// report failed writes; a disk that filled up or a folder that went away
// leaves a file without that end.
bool pdfComplete(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 64 || f.read(5) != "%PDF-")
        return false;
    if (!f.seek(f.size() - 64))
        return false;
    const QByteArray tail = f.read(64).trimmed();
    const qsizetype start = tail.lastIndexOf("startxref");
    if (start < 0 || !tail.endsWith("%%EOF"))
        return false;
    bool numeric = false;
    const qint64 offset = tail.mid(start + 9, tail.size() - start - 9 - 5).trimmed().toLongLong(&numeric);
    return numeric && offset > 0 && f.seek(offset) && f.read(4) == "xref";
}

// Ends the job. A PDF gets its name only when written completely; an incomplete
// one is removed and the job reported, so no broken file looks like a print.
void finish(QPainter &painter, QPrinter &printer, Printer::Result &result)
{
    const bool ended = painter.end();
    if (result.pdfFile.isEmpty()) {
        if (!ended || printer.printerState() == QPrinter::Error)
            fail(result, QStringLiteral("The printer %1 could not print the job.").arg(printer.printerName()));
        return;
    }
    const QString part = printer.outputFileName();
    if (ended && pdfComplete(part) && QFile::rename(part, result.pdfFile))
        return;
    QFile::remove(part);
    fail(result, QStringLiteral("The file %1 could not be written completely: the disk may be full, or the "
                                "folder may have been moved or deleted. Nothing was printed.")
                     .arg(QDir::toNativeSeparators(result.pdfFile)));
}

// The longest start of `text` no wider than `width`; at least one character.
qsizetype fittingLength(const QString &text, const QFontMetrics &metrics, int width)
{
    qsizetype low = 1, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    if (low < text.size() && text.at(low - 1).isHighSurrogate() && low > 1)
        --low;
    return low;
}

// The start of `text` that the next line is cut from: the shortest of 64, 128,
// 256 ... characters that is wider than `width`, or the whole text when that
// fits. Measuring only this much keeps a long item (a recipe's directions)
// from being measured whole again for every line it wraps into.
QString nextWindow(const QString &text, const QFontMetrics &metrics, int width)
{
    for (qsizetype length = 64; length < text.size(); length *= 2) {
        const QString window = text.left(length);
        if (metrics.horizontalAdvance(window) > width)
            return window;
    }
    return text;
}

// Splits one item into lines no wider than `width`, breaking at blanks where
// possible and inside a word only when the word alone is too wide.
QStringList wrapped(const QString &item, const QFontMetrics &metrics, int width)
{
    QStringList lines;
    QString rest = item;
    for (QString window = nextWindow(rest, metrics, width); metrics.horizontalAdvance(window) > width;
         window = nextWindow(rest, metrics, width)) {
        // The window is wider than the page, so the line ends inside it.
        const qsizetype fits = fittingLength(window, metrics, width);
        const qsizetype blank = rest.left(fits + 1).lastIndexOf(u' ');
        if (blank > 0) {
            lines << rest.left(blank);
            rest = rest.mid(blank + 1);
        } else {
            lines << rest.left(fits);
            rest = rest.mid(fits);
        }
    }
    lines << rest;
    return lines;
}

// The lines as printed: an item holding line breaks (a multi-line comment)
// becomes several lines, and each line is wrapped to the page width.
QStringList pageLines(const QStringList &items, const QFontMetrics &metrics, int width)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    for (const QString &item : items) {
        for (const QString &part : item.split(lineBreak))
            lines << wrapped(part, metrics, width);
    }
    return lines;
}

} // namespace

namespace Printer {

Result printLines(const QStringList &lines, const QString &jobName)
{
    Result result;
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, jobName, result);
    QPainter painter;
    if (!begin(painter, printer, result))
        return result;

    const QFont font = printFont();
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int width = printer.width();
    const int height = printer.height();
    const int step = metrics.lineSpacing();

    int y = 0;
    for (const QString &line : pageLines(lines, metrics, width)) {
        if (y > 0 && y + step > height) {
            printer.newPage();
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), line);
        y += step;
    }
    finish(painter, printer, result);
    return result;
}

Result printWidget(QWidget *widget, const QString &jobName)
{
    Result result;
    QPrinter printer(QPrinter::ScreenResolution);
    prepare(printer, jobName, result);
    QPainter painter;
    if (!begin(painter, printer, result))
        return result;

    // Drawn as vector output at screen size (one widget pixel per screen pixel
    // of the printer's resolution), shrunk only when it does not fit the page.
    const QSize size = widget->size();
    double scale = double(printer.logicalDpiX()) / widget->logicalDpiX();
    if (size.width() > 0 && size.height() > 0) {
        scale = std::min({scale, double(printer.width()) / size.width(),
                          double(printer.height()) / size.height()});
    }
    // QWidget::render() rasterises when it paints on a printer directly; recorded
    // into a picture first, the text is replayed as text.
    QPicture picture;
    QPainter recorder(&picture);
    widget->render(&recorder, QPoint(), QRegion(), QWidget::DrawChildren);
    recorder.end();

    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
    finish(painter, printer, result);
    return result;
}

QFont withoutLigatures(QFont font)
{
    // Any letter spacing turns ligatures off, so "flour" stays searchable in a PDF.
    font.setLetterSpacing(QFont::PercentageSpacing, 100.001);
    return font;
}

void setPdfDirectory(const QString &dir)
{
    g_pdfDirectory = dir;
    if (!dir.isEmpty())
        QDir().mkpath(dir);
}

QString pdfDirectory()
{
    return g_pdfDirectory;
}

} // namespace Printer
