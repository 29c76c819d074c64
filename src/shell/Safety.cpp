#include "shell/Safety.h"

#include "data/Backup.h"
#include "data/CsvExport.h"
#include "data/Database.h"
#include "shell/Forms.h"
#include "shell/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProgressDialog>

namespace Safety {
namespace {

const QString Title = QStringLiteral("Corvana");

// A folder or file chosen in a file dialog shown through Forms::showModal (so
// tests can answer it); empty when cancelled.
QString choose(QWidget *opener, const QString &caption, QFileDialog::FileMode mode, const QString &filter = {})
{
    auto *dialog = new QFileDialog(opener, caption);
    dialog->setObjectName("fileChooser");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(mode);
    if (mode == QFileDialog::Directory)
        dialog->setOption(QFileDialog::ShowDirsOnly);
    if (!filter.isEmpty())
        dialog->setNameFilter(filter);
    dialog->setDirectory(QFileInfo(Database::path()).absolutePath());
    QString chosen;
    QObject::connect(dialog, &QFileDialog::filesSelected, dialog, [&chosen](const QStringList &files) {
        if (!files.isEmpty())
            chosen = files.first();
    });
    Forms::showModal(opener, dialog);
    return chosen;
}

} // namespace

void backUpIfDue(QWidget *opener)
{
    if (!Backup::isDue(Database::path()))
        return;
    if (Status s = Backup::take(Database::connection(), Database::path()); !s)
        Msg::show(opener, QStringLiteral("Corvana could not make its daily backup. Your data is unchanged and "
                                         "you can go on working; use File, Back up now to try again.\n\n%1")
                              .arg(s.message()),
                  Title, Msg::Buttons::Ok, Msg::Icon::Exclamation);
}

void backUpNow(QWidget *opener)
{
    QString made;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Status s = Backup::take(Database::connection(), Database::path(), &made);
    QApplication::restoreOverrideCursor();
    if (s)
        Msg::show(opener, QStringLiteral("The backup was saved as\n%1").arg(QDir::toNativeSeparators(made)), Title,
                  Msg::Buttons::Ok, Msg::Icon::Information);
    else
        Msg::show(opener, s.message(), Title, Msg::Buttons::Ok, Msg::Icon::Critical);
}

void exportCsv(QWidget *opener)
{
    const QString folder = choose(opener, QStringLiteral("Export to CSV: choose a folder"), QFileDialog::Directory);
    if (folder.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("Exporting to CSV..."), QStringLiteral("Stop"), 0, 100, opener);
    progress.setObjectName("exportProgress");
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QStringList written;
    const Status s = CsvExport::write(Database::connection(), CsvExport::allTables(), folder,
                                      [&progress](qint64 done, qint64 total) {
                                          progress.setValue(total > 0 ? int(done * 100 / total) : 100);
                                          return !progress.wasCanceled();
                                      },
                                      &written);
    progress.reset();
    if (s)
        Msg::show(opener, QStringLiteral("%1 CSV files were written to\n%2")
                              .arg(written.size()).arg(QDir::toNativeSeparators(folder)),
                  Title, Msg::Buttons::Ok, Msg::Icon::Information);
    else
        Msg::show(opener, s.message(), Title, Msg::Buttons::Ok, Msg::Icon::Critical);
}

} // namespace Safety
