#pragma once

#include <QMainWindow>

class Navigator;
class QMdiArea;
class QPushButton;

// The main window: a button bar over the area that holds the top-level screens.
class fmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit fmMain(QWidget *parent = nullptr);

    Navigator *navigator() const { return m_navigator; }

    // Each button opens its screen, then unloads the screens listed for it.
    void cmCustomers_Click();
    void cmInventory_Click();
    void cmOrders_Click();
    void cmBookKeeping_Click();
    void cmadministrative_Click();
    void cmExit_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *createButtonBar();
    void createMenus();
    void openThenUnload(const QString &screen, const QStringList &unload);

    QMdiArea *m_area = nullptr;
    Navigator *m_navigator = nullptr;
};
