#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

// The two print operations the screens use. Jobs go to the default printer; with
// a PDF folder set (--print-to-pdf DIR), or when the machine has no printer, each
// job becomes a PDF file in that folder, named so that names sort in job order.
namespace Printer {

struct Result
{
    bool ok = true;
    QString error;    // why the job failed, for a message box
    QString pdfFile;  // the file written, when the job went to a PDF
};

// Prints each item on a line of its own with the default font, starting a new
// page when a line no longer fits; a line wider than the page wraps.
Result printLines(const QStringList &lines, const QString &jobName);

// Prints the widget's client area as it is drawn now, at screen size, onto one
// page; its text stays text in a PDF.
Result printWidget(QWidget *widget, const QString &jobName);

// The font with ligatures turned off: printed "fl" and "fi" stay two letters, so
// the text of a PDF can be searched for what was typed.
QFont withoutLigatures(QFont font);

// Sends every following job to PDF files in `dir` (created if needed); an empty
// text returns to the default printer.
void setPdfDirectory(const QString &dir);
QString pdfDirectory();

} // namespace Printer
