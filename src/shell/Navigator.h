#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// Loads, shows and unloads the top-level screens by name: MDI children of the
// main window, or windows of their own. One screen of each name at a time.
class Navigator : public QObject
{
    Q_OBJECT
public:
    Navigator(QMdiArea *area, QWidget *mainWindow);
    ~Navigator() override;

    // The main window's navigator (screens use it to open and close each other).
    static Navigator *instance();

    // Loads the screen if needed (its load step runs), without showing it.
    QWidget *load(const QString &name);
    // Loads and shows the screen, or brings an open one to the front.
    QWidget *open(const QString &name);
    // The loaded screen of that name, or nullptr.
    QWidget *find(const QString &name) const;
    // Unloads the screen; a screen that is not loaded is left alone.
    void unload(const QString &name);
    void unloadAll();

private:
    void onSubWindowActivated(QMdiSubWindow *window);

    QMdiArea *m_area;
    QWidget *m_main;
    QHash<QString, QPointer<QWidget>> m_screens;
};
