#include "shell/Startup.h"

#include "data/Backup.h"
#include "data/CsvExport.h"
#include "data/Database.h"
#include "data/Settings.h"
#include "shell/Messages.h"
#include "shell/Printer.h"
#include "shell/Safety.h"
#include "shell/Screens.h"
#include "shell/fmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <memory>

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
    parser.addOption({"backup-now", "Take a backup of the database and end (no window)."});
    parser.addOption({"export-csv", "Write every table as a CSV file in DIR and end (no window).", "DIR"});
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
    Options options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet("help"))
        options.error = parser.helpText();
    options.database = parser.value("database");
    options.pdfFolder = parser.value("print-to-pdf");
    options.backupNow = parser.isSet("backup-now");
    options.exportFolder = parser.value("export-csv");
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

bool isCommandLineOnly(const Options &options)
{
    return options.backupNow || !options.exportFolder.isEmpty();
}

int runCommandLine(const Options &options, const QString &path)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        err << "Corvana: the database file " << shown << " does not exist.\n";
        return 1;
    }
    // Reads only, and takes no lock: a running Corvana may hold the file meanwhile.
    if (Status s = Backup::inspect(path); !s) {
        err << "Corvana cannot read the database file " << shown << ": " << s.message() << "\n";
        return 1;
    }
    const QString name = QStringLiteral("corvana-command-line");
    int result = 0;
    {
        Status s;
        QSqlDatabase db = Backup::openReadOnly(name, path, s);
        if (s && options.backupNow) {
            QString made;
            s = Backup::take(db, path, &made);
            if (s)
                out << "Backup saved: " << QDir::toNativeSeparators(made) << "\n";
        }
        if (s && !options.exportFolder.isEmpty()) {
            QStringList written;
            s = CsvExport::write(db, CsvExport::allTables(), options.exportFolder, {}, &written);
            if (s)
                out << "Exported " << written.size() << " CSV files to "
                    << QDir::toNativeSeparators(QFileInfo(options.exportFolder).absoluteFilePath()) << "\n";
        }
        if (!s) {
            err << "Corvana: " << s.message() << "\n";
            result = 1;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

namespace {

// The check of the whole file that start-up leaves out, run once in the background
// after the window is shown; damage found is told on the main window. Ended early
// when the program quits first.
class WholeCheck
{
public:
    WholeCheck(QWidget *window, const QString &path)
    {
        auto found = std::make_shared<Status>();
        m_thread.reset(QThread::create([this, path, found] { *found = Database::checkWhole(path, &m_stop); }));
        QObject::connect(m_thread.get(), &QThread::finished, window, [window, path, found] {
            if (!*found)
                Msg::show(window,
                          QStringLiteral("Corvana found damage in the database file\n%1\n\n%2\n\nRestore it from a "
                                         "backup (File, Restore from a backup...).")
                              .arg(QDir::toNativeSeparators(path), found->message()),
                          "Corvana", Msg::Buttons::Ok, Msg::Icon::Critical);
        });
        QTimer::singleShot(0, window, [thread = m_thread.get()] { thread->start(QThread::LowPriority); });
    }
    ~WholeCheck()
    {
        m_stop = true;
        m_thread->wait();
    }
    WholeCheck(const WholeCheck &) = delete;
    WholeCheck &operator=(const WholeCheck &) = delete;

private:
    std::atomic_bool m_stop = false;
    std::unique_ptr<QThread> m_thread;
};

void nameApplication()
{
    // No organisation name: the user's data folder is then ~/.local/share/Corvana,
    // not Corvana/Corvana.
    QCoreApplication::setApplicationName("Corvana");
    QCoreApplication::setApplicationVersion("2.3");
}

} // namespace

int run(int argc, char **argv)
{
    // --version, --help and the work without a window answer before a display is needed.
    {
        QCoreApplication probe(argc, argv);
        nameApplication();
        if (const QString info = infoText(QCoreApplication::arguments()); !info.isEmpty()) {
            std::fputs(info.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (const Options options = parseOptions(QCoreApplication::arguments());
            options.error.isEmpty() && isCommandLineOnly(options))
            return runCommandLine(options, options.database.isEmpty() ? Database::defaultPath() : options.database);
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
        // The daily backup, once the window is up; its failure is told, never fatal.
        QTimer::singleShot(0, &main, [&main] { Safety::backUpIfDue(&main); });
        WholeCheck check(&main, Database::path());
        result = app.exec();
    }
    Database::close();
    return result;
}

} // namespace Startup
