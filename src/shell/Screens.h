#pragma once

#include <QString>
#include <functional>

class QWidget;

// The program's top-level screens by name, so the navigation can open a screen
// by the name the buttons use. A name with no screen yet opens nothing.
namespace Screens {

struct Entry
{
    std::function<QWidget *()> create; // constructs ("loads") the screen
    bool mdiChild = true;              // inside the main window, else a window of its own
};

void add(const QString &name, Entry entry);
const Entry *find(const QString &name);
void clear();

// Registers every screen the program has.
void registerAll();

} // namespace Screens
