#include "recipes/fmRecipes.h"

#include "recipes/RecipeForms.h"
#include "recipes/RecipeText.h"
#include "recipes/fmPrint.h"
#include "shell/DropDownCombo.h"
#include "shell/Messages.h"
#include "shell/Navigator.h"
#include "shell/Printer.h"
#include "shell/Progress.h"
#include "shell/TextBoxes.h"

#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString NameColumn = QStringLiteral("Recipe_Name");

BrowserConfig recipeConfig()
{
    BrowserConfig config;
    config.windowTitle = "Recipes";
    config.title = "Recipes";
    config.source = {"recipes", QString(), NameColumn, NameColumn};
    config.comboName = "cmbRecipes";
    config.fields = {{"lblName", "Recipe Name:", "lblRecipe", NameColumn}};
    config.notFoundMessage = "Recipe not found!";
    config.printQuestion = "Print entire recipe list?";
    config.printJobName = "Recipe";
    return config;
}

} // namespace

fmRecipes::fmRecipes(QWidget *parent) : BrowserScreen(recipeConfig(), parent)
{
    setObjectName("fmRecipes");

    auto *caption = new QLabel("Directions:", this);
    caption->setObjectName("lblDirections");
    m_directions = new QPlainTextEdit(this);
    m_directions->setObjectName("txtDirections1");
    m_directions->setReadOnly(true);
    m_directions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_directions->setMinimumSize(420, 200);
    const int row = fieldGrid()->rowCount();
    fieldGrid()->addWidget(caption, row, 0, Qt::AlignTop);
    fieldGrid()->addWidget(m_directions, row, 1);
    fitValueArea();

    QPushButton *update = findChild<QPushButton *>("cmUpdate");

    // "Print" comes before "Print All", "Return" last.
    QPushButton *printAllButton = findChild<QPushButton *>("cmPrint");
    QPushButton *printme = addButton("cmPrintme", "Print", [this] { cmPrintme_Click(); });
    buttonRow()->removeWidget(printme);
    buttonRow()->insertWidget(buttonRow()->indexOf(printAllButton), printme);
    QPushButton *returnButton = addButton("cmReturn", "Return", [this] { cmReturn_Click(); });
    setTabOrder(update, printme);
    setTabOrder(printme, printAllButton);
    setTabOrder(printAllButton, returnButton);

    ShowRecipe();
}

void fmRecipes::showCurrent()
{
    BrowserScreen::showCurrent();
    ShowRecipe();
}

void fmRecipes::ShowRecipe()
{
    const bool onRow = !rs().eof() && !rs().bof();
    const QString text = onRow ? RecipeText::directions(rs()) : QString();
    TextBoxes::setStoredText(m_directions, text);
}

QString fmRecipes::directionsText() const
{
    return TextBoxes::storedText(m_directions);
}

void fmRecipes::clearRecipes()
{
    m_directions->clear();
    combo()->clear();
}

void fmRecipes::Form_Paint()
{
    if (!browse().hasRows())
        return;
    rs().moveFirst();
    // A name no longer in the set (renamed or deleted) shows the first recipe.
    if (!rs().find(NameColumn, valueText("lblRecipe")))
        rs().moveFirst();
    showCurrent();
}

bool fmRecipes::event(QEvent *event)
{
    const bool handled = BrowserScreen::event(event);
    if (event->type() == QEvent::WindowActivate && isWindow())
        Form_Paint();
    else if (event->type() == QEvent::Show && !event->spontaneous())
        Form_Paint();
    return handled;
}

void fmRecipes::showAddForm()
{
    Forms::showModal(this, new fmAddRecipe(*this));
}

void fmRecipes::showUpdateForm()
{
    m_updateStored = Forms::showModal(this, new fmUpdateRecipe(*this)) == QDialog::Accepted;
}

void fmRecipes::cmUpdate_Click()
{
    if (!browse().hasRows())
        return;
    const int position = rs().absolutePosition();
    showUpdateForm();
    if (Status s = rs().refresh(); !s)
        reportFailure(s);
    FillList();
    if (!m_updateStored && position > 0 && position <= rs().recordCount()) {
        rs().setAbsolutePosition(position);
        showCurrent();
    }
}

void fmRecipes::cmPrintme_Click()
{
    if (!browse().hasRows())
        return;
    const QString name = valueText("lblRecipe");
    printRecipe(name, RecipeText::printText(name, directionsText()));
}

void fmRecipes::printAll()
{
    if (Status s = rs().refresh(); !s) {
        reportFailure(s);
        return;
    }
    rs().moveFirst();
    // The jobs are read first: a message box over the screen repaints it, which
    // moves the set.
    const QList<RecipeText::PrintJob> jobs = RecipeText::printJobs(rs());
    if (Status s = rs().refresh(); !s)
        reportFailure(s);
    rs().moveFirst();
    showCurrent();
    // Each recipe is a job of its own, written whole; Cancel stops between two.
    Progress progress(this, QStringLiteral("Printing the recipes..."), QStringLiteral("recipes"), jobs.size(), Progress::Cancel::Allowed);
    qsizetype printed = 0;
    for (const RecipeText::PrintJob &job : jobs) {
        if (!progress.step(printed))
            break;
        if (!printRecipe(job.name, job.text))
            return;
        ++printed;
    }
    if (!progress.step(printed) && printed < jobs.size())
        Msg::show(this, stoppedMessage(printed, jobs.size()), QStringLiteral("Print"), Msg::Buttons::Ok,
                  Msg::Icon::Information);
}

QString fmRecipes::stoppedMessage(qsizetype printed, qsizetype total)
{
    return QStringLiteral("Printing was stopped: %1 of %2 recipes were printed.").arg(printed).arg(total);
}

bool fmRecipes::printRecipe(const QString &name, const QString &text)
{
    fmPrint sheet;
    sheet.setPrintText(text);
    const Printer::Result printed = Printer::printWidget(&sheet, QStringLiteral("Recipe ") + name);
    if (printed.ok)
        return true;
    Msg::show(this, QStringLiteral("The recipe ") + name + QStringLiteral(" could not be printed.\n\n") + printed.error,
              QStringLiteral("Print"), Msg::Buttons::Ok, Msg::Icon::Critical);
    return false;
}

void fmRecipes::cmReturn_Click()
{
    Navigator *navigator = Navigator::instance();
    if (navigator && navigator->find(QStringLiteral("fmRecipes")) == this)
        navigator->unload(QStringLiteral("fmRecipes"));
    else
        close();
}
