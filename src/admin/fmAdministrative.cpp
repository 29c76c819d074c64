#include "admin/fmAdministrative.h"

#include "admin/AdminRules.h"
#include "data/Database.h"
#include "data/Settings.h"
#include "shell/Forms.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"
#include "shell/Navigate.h"
#include "shell/Navigator.h"
#include "shell/Screens.h"
#include "shell/fmHelp.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString RateFormat = QStringLiteral("#0.00");
const QString QtyFormat = QStringLiteral("#0");

// Opens a top-level screen through the main window; without one (a screen shown
// on its own) the screen becomes a window of its own.
void openScreen(const QString &name)
{
    if (Navigator *navigator = Navigator::instance()) {
        navigator->open(name);
    } else if (const Screens::Entry *entry = Screens::find(name)) {
        QWidget *screen = entry->create();
        screen->setObjectName(name);
        screen->setAttribute(Qt::WA_DeleteOnClose);
        screen->show();
    }
}

QLabel *addLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

fmAdministrative::fmAdministrative(QWidget *parent) : QWidget(parent)
{
    setObjectName("fmAdministrative");
    setWindowTitle("Administrative");
    createLayout();
    Form_Load();
}

void fmAdministrative::createLayout()
{
    auto *columns = new QHBoxLayout;
    columns->setSpacing(24);
    columns->addWidget(createValueGrid(), 1, Qt::AlignTop);
    columns->addWidget(createSideColumn(), 0, Qt::AlignTop);

    auto *version = addLabel(this, "Label11", "Corvana Version 2.3");
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    version->setFont(font);

    // Holds the last recipient list of the e-mail to all customers; never shown.
    lblEmail = addLabel(this, "lblEmail", QString());
    lblEmail->setTextFormat(Qt::PlainText);
    lblEmail->hide();

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 12);
    outer->addLayout(columns);
    outer->addStretch(1);
    outer->addWidget(version, 0, Qt::AlignRight);
}

QWidget *fmAdministrative::createValueGrid()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(10);
    const struct
    {
        const char *label, *caption, *box, *percent;
        MaskedEdit **edit;
    } rows[] = {
        {"Label1", "Set Sales Tax: ", "medtax", "Label3", &medtax},
        {"Label2", "Set Shipping rate:", "medshipping", "Label4", &medshipping},
        {"Label9", "Set Shipping rate: (out of town)", "medShippingOOT", "Label10", &medShippingOOT},
        {"Label12", "Notify me when Inventory is less than:", "medInvQty", nullptr, &medInvQty},
    };
    int row = 0;
    for (const auto &r : rows) {
        auto *box = new MaskedEdit(panel);
        box->setObjectName(r.box);
        box->setFixedWidth(90);
        box->setAlignment(Qt::AlignRight);
        if (r.percent)
            box->setKeyFilter(AdminRules::rateKeyPasses);
        *r.edit = box;
        grid->addWidget(addLabel(panel, r.label, r.caption), row, 0);
        grid->addWidget(box, row, 1);
        if (r.percent)
            grid->addWidget(addLabel(panel, r.percent, "%"), row, 2);
        ++row;
    }

    auto *buttons = new QHBoxLayout;
    cmUpdate = addButton("cmUpdate", "Update Values", &fmAdministrative::cmUpdate_Click);
    cmSave = addButton("cmSave", "Save", &fmAdministrative::cmSave_Click);
    buttons->setSpacing(10);
    cmSave->setMinimumWidth(90);
    buttons->addWidget(cmUpdate);
    buttons->addWidget(cmSave);
    buttons->addStretch(1);
    grid->addLayout(buttons, row, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    setEditing(false);
    return panel;
}

QWidget *fmAdministrative::createSideColumn()
{
    auto *panel = new QWidget(this);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto *suppliers = new QGroupBox("Suppliers", panel);
    suppliers->setObjectName("Frame2");
    auto *supplierRow = new QVBoxLayout(suppliers);
    supplierRow->addWidget(addButton("cmSuppliers", "Add/Change", &fmAdministrative::cmSuppliers_Click));
    column->addWidget(suppliers);

    auto *marketing = new QGroupBox("Marketing", panel);
    marketing->setObjectName("Frame1");
    auto *marketingRow = new QVBoxLayout(marketing);
    marketingRow->addWidget(addButton("cmRecipes", "Recipes", &fmAdministrative::cmRecipes_Click));
    marketingRow->addWidget(addButton("cmEmail", "Create Email", &fmAdministrative::cmEmail_Click));
    column->addWidget(marketing);

    column->addWidget(addButton("cmHelp", "Help with CVN", &fmAdministrative::cmHelp_Click));
    panel->setMinimumWidth(170);
    return panel;
}

QPushButton *fmAdministrative::addButton(const QString &name, const QString &caption,
                                         void (fmAdministrative::*handler)())
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setMinimumHeight(30);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void fmAdministrative::Form_Load()
{
    AdminValues values;
    if (Status s = readAdminValues(Database::connection(), values); !s) {
        reportFailure("The business defaults could not be read.", s.message());
        return;
    }
    m_stored = values;
    showValues(values);
    if (Status s = LoadSettings(Database::connection()); !s)
        reportFailure("The business defaults could not be read.", s.message());
}

void fmAdministrative::setEditing(bool editing)
{
    // While editing, a box keeps exactly what was typed: formatting it on leaving
    // the box would round "2.5" to "3" or "7.255" to "7.26" before Save checks it.
    for (MaskedEdit *box : {medtax, medshipping, medShippingOOT, medInvQty}) {
        box->setEnabled(editing);
        box->setDisplayFormat(editing ? QString() : box == medInvQty ? QtyFormat : RateFormat);
    }
    cmSave->setVisible(editing);
    m_editing = editing;
}

void fmAdministrative::showValues(const AdminValues &values)
{
    // Every digit, so that an unchanged Save stores the same values again; while
    // viewing, the boxes' format shows them rounded.
    medtax->setText(AdminRules::rateText(values.tax));
    medshipping->setText(AdminRules::rateText(values.shipping));
    medShippingOOT->setText(AdminRules::rateText(values.shippingoot));
    medInvQty->setText(QString::number(values.invReminderqty));
}

void fmAdministrative::reportFailure(const QString &what, const QString &cause)
{
    Msg::show(this, what + QStringLiteral("\n\n") + cause, "Administrative", Msg::Buttons::Ok,
              Msg::Icon::Critical);
}

void fmAdministrative::cmUpdate_Click()
{
    if (m_editing)
        return;
    // Editing starts from the stored values in full, not from their rounded
    // display, so a Save that changes one box leaves the others as stored.
    setEditing(true);
    showValues(m_stored);
}

void fmAdministrative::cmSave_Click()
{
    // Checked before anything is written: a refused Save keeps the typed texts,
    // the stored row and the settings as they were.
    const AdminRules::AdminCheck check = AdminRules::checkAdminTexts(
        {medtax->Text(), medshipping->Text(), medShippingOOT->Text(), medInvQty->Text()});
    if (!check.ok()) {
        Msg::show(this, check.problem, "Invalid data");
        if (auto *box = findChild<MaskedEdit *>(check.box)) {
            box->setFocus();
            box->selectAll();
        }
        return;
    }
    if (Status s = saveAdminValues(Database::connection(), check.values); !s) {
        reportFailure("The business defaults could not be saved.", s.message());
        return;
    }
    m_stored = check.values;
    setEditing(false);
    showValues(m_stored);
}

void fmAdministrative::cmHelp_Click()
{
    Forms::showModal(this, new fmHelp(this));
}

void fmAdministrative::cmSuppliers_Click()
{
    openScreen("fmSuppliers");
    Navigator *navigator = Navigator::instance();
    if (!navigator)
        return;
    // This screen is among those closed; it is deleted only later, and nothing
    // here touches it after its unload.
    for (const char *name : {"fmCustomers", "fmOrders", "fmAdministrative", "fmBookkeeping"})
        navigator->unload(name);
}

void fmAdministrative::cmRecipes_Click()
{
    openScreen("fmRecipes");
}

void fmAdministrative::cmEmail_Click()
{
    // Read again, so that customers added since the screen opened are included.
    QVariantList emails;
    if (Status s = AdminRules::readCustomerEmails(Database::connection(), emails); !s) {
        reportFailure("The customers' e-mail addresses could not be read.", s.message());
        return;
    }
    lblEmail->setText(AdminRules::recipientList(emails));
    Navigate(MailMessage{lblEmail->text(), QString(), QString(), false});
}
