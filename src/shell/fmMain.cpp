#include "shell/fmMain.h"

#include "data/Database.h"
#include "shell/Forms.h"
#include "shell/Messages.h"
#include "shell/Navigator.h"
#include "shell/Safety.h"
#include "shell/fmHelp.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QPushButton>
#include <QVBoxLayout>

fmMain::fmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("fmMain");
    setWindowTitle("Corvana - 2.3 Welcome");

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createButtonBar());
    m_area = new QMdiArea(central);
    m_area->setObjectName("mdiArea");
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(m_area, 1);
    setCentralWidget(central);

    m_navigator = new Navigator(m_area, this);
    createMenus();
    resize(1024, 720);
}

void fmMain::createMenus()
{
    const auto add = [this](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName("menuFile");
    add(file, "actBackUpNow", QStringLiteral("&Back up now"), [this] { Safety::backUpNow(this); });
    add(file, "actRestore", QStringLiteral("&Restore from a backup..."),
        [this] { Safety::restore(this, [this] { m_navigator->unloadAll(); }); });
    file->addSeparator();
    add(file, "actExportCsv", QStringLiteral("&Export to CSV..."), [this] { Safety::exportCsv(this); });
    add(file, "actImportCsv", QStringLiteral("&Import customers or products from CSV..."),
        [this] { Safety::importCsv(this); });
    file->addSeparator();
    add(file, "actExit", QStringLiteral("E&xit"), [this] { cmExit_Click(); });
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName("menuHelp");
    add(help, "actHelp", QStringLiteral("&Help with Corvana"), [this] { Forms::showModal(this, new fmHelp(this)); });
    add(help, "actAbout", QStringLiteral("&About"), [this] {
        Msg::show(this, QStringLiteral("Corvana 2.3\nRecords of a small business: customers, inventory, orders "
                                       "and bookkeeping in one file.\n\nDatabase file:\n%1")
                            .arg(QDir::toNativeSeparators(Database::path())),
                  QStringLiteral("About Corvana"), Msg::Buttons::Ok, Msg::Icon::Information);
    });
}

QWidget *fmMain::createButtonBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName("Picture1");
    bar->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 6, 8, 6);
    // Each button has a key of its own, named in its tooltip; the captions stay as they are.
    const struct { const char *name; const char *caption; QKeyCombination key; void (fmMain::*handler)(); } buttons[] = {
        {"cmCustomers", "Customers", Qt::CTRL | Qt::Key_1, &fmMain::cmCustomers_Click},
        {"cmInventory", "Inventory", Qt::CTRL | Qt::Key_2, &fmMain::cmInventory_Click},
        {"cmOrders", "Orders", Qt::CTRL | Qt::Key_3, &fmMain::cmOrders_Click},
        {"cmBookKeeping", "Bookkeeping", Qt::CTRL | Qt::Key_4, &fmMain::cmBookKeeping_Click},
        {"cmadministrative", "Administrative", Qt::CTRL | Qt::Key_5, &fmMain::cmadministrative_Click},
        {"cmExit", "Exit", Qt::CTRL | Qt::Key_Q, &fmMain::cmExit_Click},
    };
    for (const auto &b : buttons) {
        auto *button = new QPushButton(tr(b.caption), bar);
        button->setObjectName(b.name);
        button->setShortcut(QKeySequence(b.key));
        button->setToolTip(QStringLiteral("%1 (%2)").arg(tr(b.caption), button->shortcut().toString(QKeySequence::NativeText)));
        button->setMinimumSize(120, 34);
        connect(button, &QPushButton::clicked, this, b.handler);
        row->addWidget(button);
    }
    row->addStretch(1);
    return bar;
}

void fmMain::openThenUnload(const QString &screen, const QStringList &unload)
{
    // A screen this build does not have yet leaves everything as it is.
    if (!m_navigator->open(screen))
        return;
    for (const QString &name : unload)
        m_navigator->unload(name);
}

void fmMain::cmCustomers_Click()
{
    openThenUnload("fmCustomers", {"fmSuppliers", "fmOrders", "fmAdministrative", "fmBookkeeping"});
}

void fmMain::cmInventory_Click()
{
    // Always a freshly loaded inventory screen, re-read from the file.
    m_navigator->unload("fmInventory");
    openThenUnload("fmInventory", {"fmCustomers", "fmOrders", "fmAdministrative", "fmBookkeeping"});
}

void fmMain::cmOrders_Click()
{
    openThenUnload("fmOrders", {"fmCustomers", "fmInventory", "fmAdministrative", "fmBookkeeping"});
}

void fmMain::cmBookKeeping_Click()
{
    openThenUnload("fmBookkeeping", {"fmInventory", "fmOrders", "fmAdministrative", "fmCustomers"});
}

void fmMain::cmadministrative_Click()
{
    openThenUnload("fmAdministrative", {"fmCustomers", "fmInventory", "fmOrders", "fmBookkeeping"});
}

void fmMain::cmExit_Click()
{
    close();
}

void fmMain::closeEvent(QCloseEvent *event)
{
    // Every screen unloads with the main window; nothing is asked or saved.
    m_navigator->unloadAll();
    event->accept();
}
