#include "shell/Safety.h"

#include "data/Backup.h"
#include "data/CsvExport.h"
#include "data/Database.h"
#include "shell/Forms.h"
#include "shell/Messages.h"

#include "data/Settings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
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

namespace {

QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

// The list of backups; accepted with the chosen one's path.
class fmRestore : public QDialog
{
public:
    explicit fmRestore(QWidget *parent) : QDialog(parent)
    {
        setObjectName("fmRestore");
        setWindowTitle(QStringLiteral("Restore from a backup"));
        auto *layout = new QVBoxLayout(this);
        auto *intro = new QLabel(QStringLiteral("Choose the backup to go back to. The data you have now is backed up "
                                                "first, so this step can be undone by restoring that backup."),
                                 this);
        intro->setWordWrap(true);
        layout->addWidget(intro);
        m_list = new QTableWidget(this);
        m_list->setObjectName("backupList");
        m_list->setColumnCount(6);
        m_list->setHorizontalHeaderLabels({QStringLiteral("Taken"), QStringLiteral("Size"), QStringLiteral("Customers"),
                                           QStringLiteral("Products"), QStringLiteral("Orders"),
                                           QStringLiteral("Expenses")});
        m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->verticalHeader()->hide();
        m_list->horizontalHeader()->setStretchLastSection(true);
        layout->addWidget(m_list, 1);
        auto *buttons = new QDialogButtonBox(this);
        m_restore = buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::AcceptRole);
        m_restore->setObjectName("cmRestore");
        buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("cmCancel");
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &fmRestore::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_list, &QTableWidget::itemSelectionChanged, this,
                [this] { m_restore->setEnabled(m_list->currentRow() >= 0); });
        fill();
        resize(640, 380);
    }

    QString chosen() const { return m_chosen; }

    void accept() override
    {
        const int row = m_list->currentRow();
        if (row < 0 || row >= m_entries.size())
            return;
        m_chosen = m_entries[row].path;
        QDialog::accept();
    }

private:
    void fill()
    {
        m_entries = Backup::list(Database::path());
        m_list->setRowCount(int(m_entries.size()));
        for (int r = 0; r < m_entries.size(); ++r) {
            const Backup::Entry &e = m_entries[r];
            Backup::Contents held;
            const Status s = Backup::inspect(e.path, &held);
            const QStringList cells = {
                QLocale().toString(e.taken, QLocale::ShortFormat), sizeText(e.size),
                s ? QString::number(held.customers) : QStringLiteral("damaged: cannot be restored"),
                s ? QString::number(held.products) : QString(), s ? QString::number(held.orders) : QString(),
                s ? QString::number(held.expenses) : QString()};
            for (int c = 0; c < cells.size(); ++c)
                m_list->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
        m_list->resizeColumnsToContents();
        m_restore->setEnabled(false);
    }

    QTableWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
    QList<Backup::Entry> m_entries;
    QString m_chosen;
};

} // namespace

void restore(QWidget *opener, const std::function<void()> &closeScreens)
{
    auto *dialog = new fmRestore(opener);
    QString chosen;
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, &chosen] { chosen = dialog->chosen(); });
    Forms::showModal(opener, dialog);
    if (chosen.isEmpty())
        return;
    if (Msg::show(opener, QStringLiteral("Replace the data you have now with the backup\n%1?\n\nThe data you have "
                                         "now is backed up first.")
                              .arg(QFileInfo(chosen).fileName()),
                  Title, Msg::Buttons::OkCancel, Msg::Icon::Exclamation)
        != Msg::Answer::Ok)
        return;
    if (Status s = Backup::inspect(chosen); !s) {
        Msg::show(opener, QStringLiteral("The backup cannot be restored; nothing was changed. %1").arg(s.message()),
                  Title, Msg::Buttons::Ok, Msg::Icon::Critical);
        return;
    }
    if (closeScreens)
        closeScreens();
    QString safety;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Status s = Database::restoreFrom(chosen, &safety);
    if (s)
        s = LoadSettings(Database::connection());
    QApplication::restoreOverrideCursor();
    if (s) {
        Msg::show(opener, QStringLiteral("The backup was restored. The data you had before is in the backup\n%1")
                              .arg(QDir::toNativeSeparators(safety)),
                  Title, Msg::Buttons::Ok, Msg::Icon::Information);
        return;
    }
    if (Database::connection().isOpen()) {
        Msg::show(opener, s.message(), Title, Msg::Buttons::Ok, Msg::Icon::Critical);
        return;
    }
    Msg::show(opener, QStringLiteral("%1\n\nCorvana cannot go on without its database file and will close.")
                          .arg(s.message()),
              Title, Msg::Buttons::Ok, Msg::Icon::Critical);
    QApplication::exit(1);
}

} // namespace Safety
