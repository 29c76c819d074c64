#pragma once

#include "data/RecordSet.h"
#include "shell/RecordForm.h"

class fmRecipes;
class QPushButton;

// The boxes the recipe add and update forms share, their check and the writing
// of a recipe row through the browser's record set.
class RecipeForm : public RecordForm
{
    Q_OBJECT
public:
    RecipeForm(const QString &name, const QString &caption, const QString &nameLabel,
               const QString &directionsLabel, fmRecipes &browser);

    virtual void cmSave_Click() = 0;
    virtual void cmCancel_Click() = 0;


protected:
    // Reports each failed check (only the first when `stopAtFirst`).
    bool ValidateRecipe(bool stopAtFirst);
    // Sets the name and the four directions columns from the boxes, as typed.
    void writeFields(RecordSet &rs) const;

    fmRecipes &m_browser;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};

// "Add New Recipe": appends a recipe to the browser's set.
class fmAddRecipe : public RecipeForm
{
    Q_OBJECT
public:
    explicit fmAddRecipe(fmRecipes &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;
};

// "Update Recipe": changes or deletes the recipe the browser shows.
class fmUpdateRecipe : public RecipeForm
{
    Q_OBJECT
public:
    explicit fmUpdateRecipe(fmRecipes &browser);

    void cmSave_Click() override;
    void cmCancel_Click() override;
    void cmDelete_Click();

private:
    // Makes the recipe the form was opened on current again: a message box over
    // the form repaints the browser, which may have moved its set.
    bool returnToRecipe();
};
