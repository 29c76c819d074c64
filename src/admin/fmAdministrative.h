#pragma once

#include "data/Settings.h"

#include <QWidget>

class MaskedEdit;
class QLabel;
class QPushButton;

// "Administrative": shows and edits the business defaults (the three rates and
// the reorder reminder), and leads to help, suppliers, recipes and the e-mail to
// all customers. Loading it reads the defaults into memory.
class fmAdministrative : public QWidget
{
    Q_OBJECT
public:
    explicit fmAdministrative(QWidget *parent = nullptr);

private:
    void cmUpdate_Click();
    void cmSave_Click();
    void cmHelp_Click();
    void cmSuppliers_Click();
    void cmRecipes_Click();
    void cmEmail_Click();

    void Form_Load();
    void createLayout();
    QWidget *createValueGrid();
    QWidget *createSideColumn();
    QPushButton *addButton(const QString &name, const QString &caption, void (fmAdministrative::*handler)());
    void setEditing(bool editing);
    void showValues(const AdminValues &values);
    void reportFailure(const QString &what, const QString &cause);

    MaskedEdit *medtax = nullptr;
    MaskedEdit *medshipping = nullptr;
    MaskedEdit *medShippingOOT = nullptr;
    MaskedEdit *medInvQty = nullptr;
    QPushButton *cmUpdate = nullptr;
    QPushButton *cmSave = nullptr;
    QLabel *lblEmail = nullptr;
    AdminValues m_stored; // the row as last read or saved
    bool m_editing = false;
};
