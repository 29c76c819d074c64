#pragma once

#include "data/Browse.h"
#include "shell/Forms.h"

#include <QHash>
#include <QWidget>
#include <functional>

class DropDownCombo;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class MaskedEdit;

// One value shown by a browser: a caption label and the current row's column.
struct BrowserField
{
    QString captionName;   // e.g. "lblLn1"
    QString caption;       // e.g. "Last Name:"
    QString valueName;     // e.g. "lblLastname"
    QString column;
    QString moneyFormat;   // set: a read-only masked box showing the amount so formatted
};

// Everything in which one record browser differs from another.
struct BrowserConfig
{
    QString windowTitle;        // "Customer Information"
    QString title;              // "Customers", the large heading
    BrowseSource source;
    QString comboName;          // "cmbCust"
    QList<BrowserField> fields;
    QString notFoundMessage;    // "Customer not found!"
    QString printQuestion;      // "Print entire customer list?"
    // The printed list, read from the set (positioned on its first row).
    std::function<QStringList(RecordSet &)> printLines;
    QString printJobName;
};

// A record browser: steps through a table's rows, finds one by name, opens the
// add and update forms, prints the list. Screens configure it and supply forms.
class BrowserScreen : public QWidget, public Repaintable
{
    Q_OBJECT
public:
    explicit BrowserScreen(BrowserConfig config, QWidget *parent = nullptr);

    Browse &browse() { return m_browse; }
    RecordSet &rs() { return m_browse.rs(); }
    // The text a value label shows now (the update forms start from it).
    QString valueText(const QString &valueName) const;
    DropDownCombo *combo() const { return m_combo; }

    void Form_Paint() override {}

    // Rebuilds the name list from the set and shows the first row.
    void FillList();
    // Shows the current row in the value labels (empty at EOF or with no rows).
    virtual void showCurrent();

    void cmbChange(const QString &text);
    void cmbDropDown();
    void cmSearch_Click();
    void cmPrev_Click();
    void cmNext_Click();
    void cmAdd_Click();
    virtual void cmUpdate_Click();
    void cmPrint_Click();

protected:
    // The screen's own forms; each returns when the form has been unloaded.
    virtual void showAddForm() = 0;
    virtual void showUpdateForm() = 0;
    // Prints the whole list; the recipe browser prints recipe by recipe.
    virtual void printAll();
    // Reports a database failure in a message box.
    void reportFailure(const Status &status);

    // Makes the area of the values tall enough to show every field without
    // scrolling; a screen that adds fields calls it again.
    void fitValueArea();
    QHBoxLayout *buttonRow() const { return m_buttons; }
    QGridLayout *fieldGrid() const { return m_grid; }
    QPushButton *addButton(const QString &name, const QString &caption, std::function<void()> handler);
    const BrowserConfig &config() const { return m_config; }

private:
    void createLayout();
    // The captions and values of the fields, in an area that scrolls them.
    QScrollArea *createValues();
    void setList(const QStringList &names);

    BrowserConfig m_config;
    Browse m_browse;
    DropDownCombo *m_combo = nullptr;
    QPushButton *m_search = nullptr;
    QGridLayout *m_grid = nullptr;
    QScrollArea *m_valueArea = nullptr;
    QHBoxLayout *m_buttons = nullptr;
    QHash<QString, QWidget *> m_values;
};
