#pragma once

#include <functional>

class QWidget;

// The main window's File menu work: backups, restore, CSV export and import.
// Every message goes through Msg, every dialog through Forms::showModal.
namespace Safety {

// Takes the daily backup when the last one is more than a day old; a failure is
// told once and the program goes on.
void backUpIfDue(QWidget *opener);

// "Back up now": takes a backup and tells where it went, or why it could not.
void backUpNow(QWidget *opener);

// "Export to CSV...": asks for a folder and writes every table there, with
// progress for large files.
void exportCsv(QWidget *opener);

// "Restore from a backup...": lists the backups (when taken, size, what each
// holds) in the "fmRestore" dialog; the chosen one is checked, the current data
// backed up, then the program goes on with the restored data. `closeScreens`
// runs first, so that no screen holds data of the file being replaced.
void restore(QWidget *opener, const std::function<void()> &closeScreens);

// "Import customers or products from CSV...": asks for a file, shows in the
// "fmImport" dialog what would be added and every row that cannot be, and adds
// all of them in one transaction only when none is wrong.
void importCsv(QWidget *opener);

} // namespace Safety
