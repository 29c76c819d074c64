#pragma once

#include "shell/BrowserScreen.h"

class QPlainTextEdit;

// "Recipes": the recipe browser, a window of its own, in the table's own order.
// Shows one recipe with its directions, finds one by name, opens the add and
// update forms, and prints one recipe or all of them, one page each.
class fmRecipes : public BrowserScreen
{
    Q_OBJECT
public:
    explicit fmRecipes(QWidget *parent = nullptr);

    // Shows the first recipe, in set order, named as the one on display.
    void Form_Paint() override;
    void showCurrent() override;

    // Fills the directions box from the current row.
    void ShowRecipe();
    // The directions on display, line breaks as CR LF.
    QString directionsText() const;
    // Empties the directions box and the name list (no recipe is left).
    void clearRecipes();

    // Update, except that a form closed without a change leaves the
    // screen on the recipe it showed.
    void cmUpdate_Click() override;
    void cmPrintme_Click();
    void cmReturn_Click();

    // What Print All tells when it was cancelled part way.
    static QString stoppedMessage(qsizetype printed, qsizetype total);

protected:
    void showAddForm() override;
    void showUpdateForm() override;
    void printAll() override;
    bool event(QEvent *event) override;

private:
    // One print job of the recipe sheet; false (after telling the user) on failure.
    bool printRecipe(const QString &name, const QString &text);

    QPlainTextEdit *m_directions = nullptr;
    bool m_updateStored = false;
};
