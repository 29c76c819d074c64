#pragma once

#include <QString>
#include <QStringList>

#include "data/Status.h"

// Start-up: options, the database, the settings, the main window.
namespace Startup {

struct Options
{
    QString database;   // --database FILE; empty for the default file
    QString pdfFolder;  // --print-to-pdf DIR
    bool backupNow = false; // --backup-now: take a backup and end, no window
    QString exportFolder;   // --export-csv DIR: write every table as CSV and end, no window
    QString error;      // an option that could not be read
};
Options parseOptions(const QStringList &arguments);
// What --version or --help print on standard output; empty when neither is given.
QString infoText(const QStringList &arguments);

// Opens the database and loads the settings; on failure the text to show, which
// names the file and the cause.
Status openData(const QString &path);

// True when the options ask for work without a window (a backup, an export).
bool isCommandLineOnly(const Options &options);

// Runs that work on the file at `path`: the outcome goes to standard output,
// a failure to standard error. Returns the exit status: 0 done, 1 failed.
int runCommandLine(const Options &options, const QString &path);

int run(int argc, char **argv);

} // namespace Startup
