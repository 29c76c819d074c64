#pragma once

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

} // namespace Safety
