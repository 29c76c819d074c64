#include "shell/Startup.h"

#include "data/Database.h"
#include "data/Settings.h"
#include "shell/Messages.h"
#include "shell/Printer.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

namespace Startup {

namespace {

// The options the program takes, the same for reading them and for --help.
void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription("Corvana: records of a small business.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"database", "Use FILE instead of CVN.db.", "FILE"});
    parser.addOption({"print-to-pdf", "Write every print job as a PDF in DIR.", "DIR"});
}

} // namespace

QString infoText(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    parser.parse(arguments); // a wrong option is reported by parseOptions()
    if (parser.isSet("version"))
        return QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n';
    if (parser.isSet("help") || parser.isSet("help-all"))
        return parser.helpText();
    return {};
}

Options parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    const QString database = QStringLiteral("database");
    const QString pdf = QStringLiteral("print-to-pdf");
    Options options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet("help"))
        options.error = parser.helpText();
    options.database = parser.value(database);
    options.pdfFolder = parser.value(pdf);
    return options;
}

Status openData(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (Status s = Database::open(path); !s)
        return Status::failure(QStringLiteral("Corvana cannot open the database file\n%1\n\n%2").arg(shown, s.message()));
    if (Status s = LoadSettings(Database::connection()); !s) {
        Database::close();
        return Status::failure(QStringLiteral("Corvana cannot read the business defaults in the database file\n%1\n\n%2")
                                   .arg(shown, s.message()));
    }
    return {};
}

int run(int argc, char **argv)
{
    const auto nameApplication = [] {
        QCoreApplication::setApplicationName("Corvana");
        QCoreApplication::setOrganizationName("Corvana");
        QCoreApplication::setApplicationVersion("2.3");
    };
    // --version and --help answer on standard output, before a display is needed.
    {
        QCoreApplication probe(argc, argv);
        nameApplication();
        if (const QString info = infoText(QCoreApplication::arguments()); !info.isEmpty()) {
            std::fputs(info.toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    nameApplication();
    const Options options = parseOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        Msg::show(nullptr, options.error, "Corvana", Msg::Buttons::Ok, Msg::Icon::Critical);
        return 2;
    }
    if (!options.pdfFolder.isEmpty())
        Printer::setPdfDirectory(options.pdfFolder);

    const QString path = options.database.isEmpty() ? Database::defaultPath() : options.database;
    if (Status s = openData(path); !s) {
        Msg::show(nullptr, s.message(), "Corvana", Msg::Buttons::Ok, Msg::Icon::Critical);
        return 1;
    }

    Screens::registerAll();
    int result = 0;
    {
        fmMain main;
        main.show();
        result = app.exec();
    }
    Database::close();
    return result;
}

} // namespace Startup
