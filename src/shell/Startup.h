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
    QString error;      // an option that could not be read
};
Options parseOptions(const QStringList &arguments);
// What --version or --help print on standard output; empty when neither is given.
QString infoText(const QStringList &arguments);

// Opens the database and loads the settings; on failure the text to show, which
// names the file and the cause.
Status openData(const QString &path);

int run(int argc, char **argv);

} // namespace Startup
