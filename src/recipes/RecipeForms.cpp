#include "recipes/RecipeForms.h"

#include "recipes/RecipeText.h"
#include "recipes/fmRecipes.h"
#include "shell/Messages.h"

#include <QPlainTextEdit>
#include <QPushButton>

RecipeForm::RecipeForm(const QString &name, const QString &caption, const QString &nameLabel,
                       const QString &directionsLabel, fmRecipes &browser)
    : RecordForm(name, caption,
                 {{"txtRecipe", nameLabel, "Recipe Name:", RecipeText::MaxName},
                  {"txtDirections1", directionsLabel, "Directions:", RecipeText::MaxDirections,
                   FormField::MultiLine}},
                 &browser),
      m_browser(browser)
{
    auto *directions = static_cast<QPlainTextEdit *>(box("txtDirections1"));
    directions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    directions->setMinimumSize(420, 200);
    m_save = addButton("cmSave", "Save", [this] { cmSave_Click(); });
    m_cancel = addButton("cmCancel", "Cancel", [this] { cmCancel_Click(); });
}

bool RecipeForm::ValidateRecipe(bool stopAtFirst)
{
    return runChecks(RecipeText::checks(boxText("txtRecipe"), boxText("txtDirections1")), stopAtFirst, false);
}

void RecipeForm::writeFields(RecordSet &rs) const
{
    rs.setValue("Recipe_Name", boxText("txtRecipe"));
    const QStringList columns = RecipeText::directionColumns();
    const QStringList parts = RecipeText::split(boxText("txtDirections1"));
    for (int i = 0; i < columns.size(); ++i)
        rs.setValue(columns[i], parts[i]);
}

fmAddRecipe::fmAddRecipe(fmRecipes &browser)
    : RecipeForm("fmAddRecipe", "Add New Recipe", "lblName", "lblDirections", browser)
{
    setTabOrder(box("txtRecipe"), box("txtDirections1"));
    setTabOrder(box("txtDirections1"), m_save);
    setTabOrder(m_save, m_cancel);
    rememberPosition(m_browser.rs());
}

void fmAddRecipe::cmSave_Click()
{
    if (!ValidateRecipe(true))
        return;
    RecordSet &rs = m_browser.rs();
    rs.addNew();
    writeFields(rs);
    if (!storeRow(rs))
        return;
    accept();
}

void fmAddRecipe::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}

fmUpdateRecipe::fmUpdateRecipe(fmRecipes &browser)
    : RecipeForm("fmUpdateRecipe", "Update Recipe", "lblLastname", "lblFirstname", browser)
{
    QPushButton *del = addButton("cmDelete", "Delete", [this] { cmDelete_Click(); });
    setTabOrder(box("txtDirections1"), box("txtRecipe"));
    setTabOrder(box("txtRecipe"), m_cancel);
    setTabOrder(m_cancel, m_save);
    setTabOrder(m_save, del);

    setBoxText("txtRecipe", m_browser.valueText("lblRecipe"));
    setBoxText("txtDirections1", m_browser.directionsText());
    rememberPosition(m_browser.rs());
}

bool fmUpdateRecipe::returnToRecipe()
{
    if (m_browser.rs().setBookmark(SavedBookmark))
        return true;
    reportSaveFailure(Status::failure("The recipe is no longer in the list."));
    return false;
}

void fmUpdateRecipe::cmSave_Click()
{
    if (!ValidateRecipe(false) || !returnToRecipe())
        return;
    RecordSet &rs = m_browser.rs();
    writeFields(rs);
    if (!storeRow(rs))
        return;
    accept();
}

void fmUpdateRecipe::cmCancel_Click()
{
    returnToSavedPosition(m_browser.rs());
    reject();
}

void fmUpdateRecipe::cmDelete_Click()
{
    if (Msg::show(this, "Are you sure you want to delete this recipe?", "Delete Recipe?",
                  Msg::Buttons::OkCancel) != Msg::Answer::Ok)
        return;
    if (!returnToRecipe())
        return;
    RecordSet &rs = m_browser.rs();
    if (Status s = rs.deleteCurrent(); !s) {
        reportSaveFailure(s);
        return;
    }
    // The recipe is deleted; a failure to read the set again is reported by the
    // browser, which reads it once more when the form has closed.
    (void)rs.refresh();
    rs.moveFirst();
    if (rs.recordCount() == 0)
        m_browser.clearRecipes();
    accept();
}
