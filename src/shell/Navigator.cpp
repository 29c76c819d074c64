#include "shell/Navigator.h"

#include "shell/Forms.h"
#include "shell/Screens.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
Navigator *g_instance = nullptr;
}

Navigator::Navigator(QMdiArea *area, QWidget *mainWindow)
    : QObject(mainWindow), m_area(area), m_main(mainWindow)
{
    g_instance = this;
    connect(area, &QMdiArea::subWindowActivated, this, &Navigator::onSubWindowActivated);
}

Navigator::~Navigator()
{
    if (g_instance == this)
        g_instance = nullptr;
}

Navigator *Navigator::instance() { return g_instance; }

QWidget *Navigator::find(const QString &name) const
{
    return m_screens.value(name).data();
}

QWidget *Navigator::load(const QString &name)
{
    if (QWidget *w = find(name))
        return w;
    const Screens::Entry *entry = Screens::find(name);
    if (!entry)
        return nullptr;
    QWidget *w = entry->create();
    w->setObjectName(name);
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (entry->mdiChild) {
        QMdiSubWindow *sub = m_area->addSubWindow(w);
        sub->setObjectName(name + QStringLiteral("_window"));
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowTitle(w->windowTitle());
        sub->hide();
    } else {
        w->setParent(m_main, Qt::Window);
    }
    m_screens.insert(name, w);
    return w;
}

QWidget *Navigator::open(const QString &name)
{
    QWidget *w = load(name);
    if (!w)
        return nullptr;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget())) {
        sub->show();
        w->show();
        m_area->setActiveSubWindow(sub);
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}

void Navigator::unload(const QString &name)
{
    QPointer<QWidget> w = m_screens.take(name);
    if (!w)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget()))
        sub->close();
    else
        w->close();
}

void Navigator::unloadAll()
{
    const QStringList names = m_screens.keys();
    for (const QString &name : names)
        unload(name);
}

void Navigator::onSubWindowActivated(QMdiSubWindow *window)
{
    if (window && window->widget())
        Forms::repaint(window->widget());
}
