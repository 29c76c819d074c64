#include "shell/Safety.h"

#include "data/Backup.h"
#include "data/CsvExport.h"
#include "data/Database.h"
#include "shell/CsvSource.h"
#include "shell/Forms.h"
#include "shell/Messages.h"
#include "shell/Progress.h"

#include "data/CsvImport.h"
#include "data/Money.h"
#include "data/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QDir>
#include <QFileDialog>

namespace Safety {
namespace {

const QString Title = QStringLiteral("Corvana");
// VACUUM INTO reports no progress, so a backup shows a busy dialog without Cancel.
const QString BackingUp = QStringLiteral("Backing up the data...");

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
    Status s;
    {
        Progress busy(opener, BackingUp);
        s = Backup::take(Database::connection(), Database::path());
    }
    if (!s)
        Msg::show(opener, QStringLiteral("Corvana could not make its daily backup. Your data is unchanged and "
                                         "you can go on working; use File, Back up now to try again.\n\n%1")
                              .arg(s.message()),
                  Title, Msg::Buttons::Ok, Msg::Icon::Exclamation);
}

void backUpNow(QWidget *opener)
{
    QString made;
    Status s;
    {
        Progress busy(opener, BackingUp);
        s = Backup::take(Database::connection(), Database::path(), &made);
    }
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
    // Every table, and what the open screens offer of what they show.
    QList<CsvExport::Query> queries = CsvExport::allTables();
    QList<QWidget *> widgets = opener->window()->findChildren<QWidget *>();
    widgets.prepend(opener->window());
    for (QWidget *w : std::as_const(widgets)) {
        if (auto *source = dynamic_cast<CsvSource *>(w); source && w->isVisible())
            queries += source->csvQueries();
    }
    QStringList written;
    Status s;
    bool stopped = false;
    {
        Progress progress(opener, QStringLiteral("Exporting to CSV..."), QStringLiteral("rows"), 0, Progress::Cancel::Allowed);
        s = CsvExport::write(Database::connection(), queries, folder, progress.callback(), &written);
        stopped = progress.cancelled();
    }
    if (s)
        Msg::show(opener, QStringLiteral("%1 CSV files were written to\n%2")
                              .arg(written.size()).arg(QDir::toNativeSeparators(folder)),
                  Title, Msg::Buttons::Ok, Msg::Icon::Information);
    else
        Msg::show(opener, s.message(), Title, Msg::Buttons::Ok, stopped ? Msg::Icon::Information : Msg::Icon::Critical);
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
    Status s;
    {
        // Not cancellable: the data is never replaced without its safety backup,
        // and a replacement half done is undone by Database, not by the user.
        Progress busy(opener, QStringLiteral("Backing up the data, then restoring the backup..."));
        s = Database::restoreFrom(chosen, &safety);
        if (s)
            s = LoadSettings(Database::connection());
    }
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

namespace {

// The preview of an import: what is added, and what cannot be.
class fmImport : public QDialog
{
public:
    fmImport(QWidget *parent, const QString &file, const QByteArray &data) : QDialog(parent), m_data(data)
    {
        setObjectName("fmImport");
        setWindowTitle(QStringLiteral("Import from %1").arg(QFileInfo(file).fileName()));
        auto *layout = new QVBoxLayout(this);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Add the rows as:"), this));
        m_kind = new QComboBox(this);
        m_kind->setObjectName("kindChoice");
        m_kind->addItems({QStringLiteral("Customers"), QStringLiteral("Products")});
        const QString header = QString::fromUtf8(data.left(data.indexOf('\n'))).toLower();
        m_kind->setCurrentIndex(header.contains(QLatin1String("product")) ? 1 : 0);
        row->addWidget(m_kind);
        row->addStretch(1);
        layout->addLayout(row);
        m_summary = new QLabel(this);
        m_summary->setObjectName("importSummary");
        layout->addWidget(m_summary);
        m_preview = new QTableWidget(this);
        m_preview->setObjectName("importPreview");
        m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_preview->verticalHeader()->hide();
        layout->addWidget(m_preview, 2);
        m_problems = new QPlainTextEdit(this);
        m_problems->setObjectName("importProblems");
        m_problems->setReadOnly(true);
        layout->addWidget(m_problems, 1);
        auto *buttons = new QDialogButtonBox(this);
        m_add = buttons->addButton(QStringLiteral("Add"), QDialogButtonBox::AcceptRole);
        m_add->setObjectName("cmAdd");
        buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("cmCancel");
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { fill(); });
        fill();
        resize(760, 480);
    }

    const CsvImport::Plan &plan() const { return m_plan; }

private:
    void fill()
    {
        const Keys::Kind kind = m_kind->currentIndex() == 1 ? Keys::Kind::Product : Keys::Kind::Customer;
        m_plan = CsvImport::prepare(Database::connection(), kind, m_data);
        m_preview->clear();
        m_preview->setColumnCount(int(m_plan.columns.size()));
        m_preview->setHorizontalHeaderLabels(m_plan.columns);
        m_preview->setRowCount(int(m_plan.rows.size()));
        for (int r = 0; r < m_plan.rows.size(); ++r) {
            for (int c = 0; c < m_plan.columns.size(); ++c) {
                const QVariant v = m_plan.rows[r][c];
                const QString text = m_plan.columns[c] == QLatin1String("cost")
                                         ? QString::number(double(v.toLongLong()) / Money::UnitsPerDollar, 'f', 2)
                                         : v.toString();
                m_preview->setItem(r, c, new QTableWidgetItem(text));
            }
        }
        m_summary->setText(m_plan.problems.isEmpty()
                               ? QStringLiteral("%1 rows will be added, with the numbers shown.").arg(m_plan.rows.size())
                               : QStringLiteral("Nothing can be added until these rows are corrected in the file:"));
        m_problems->setPlainText(m_plan.problems.join(QLatin1Char('\n')));
        m_problems->setVisible(!m_plan.problems.isEmpty());
        m_add->setEnabled(m_plan.ok());
    }

    QByteArray m_data;
    CsvImport::Plan m_plan;
    QComboBox *m_kind = nullptr;
    QLabel *m_summary = nullptr;
    QTableWidget *m_preview = nullptr;
    QPlainTextEdit *m_problems = nullptr;
    QPushButton *m_add = nullptr;
};

} // namespace

void importCsv(QWidget *opener)
{
    const QString file = choose(opener, QStringLiteral("Import customers or products: choose a CSV file"),
                                QFileDialog::ExistingFile, QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (file.isEmpty())
        return;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        Msg::show(opener, QStringLiteral("The file %1 cannot be read: %2").arg(QDir::toNativeSeparators(file), f.errorString()),
                  Title, Msg::Buttons::Ok, Msg::Icon::Critical);
        return;
    }
    auto *dialog = new fmImport(opener, file, f.readAll());
    CsvImport::Plan plan;
    bool accepted = false;
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, &plan, &accepted] {
        plan = dialog->plan();
        accepted = true;
    });
    Forms::showModal(opener, dialog);
    if (!accepted)
        return;
    if (Status s = CsvImport::apply(Database::connection(), plan); !s) {
        Msg::show(opener, QStringLiteral("Nothing was added. %1").arg(s.message()), Title, Msg::Buttons::Ok,
                  Msg::Icon::Critical);
        return;
    }
    Msg::show(opener, QStringLiteral("%1 %2 were added.")
                          .arg(plan.rows.size())
                          .arg(plan.kind == Keys::Kind::Product ? QStringLiteral("products") : QStringLiteral("customers")),
              Title, Msg::Buttons::Ok, Msg::Icon::Information);
}

} // namespace Safety
