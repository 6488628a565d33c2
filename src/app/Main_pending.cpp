// Handlers of the main window whose commands are not built yet. Each module
// that builds a command moves its definition from here into its own file.
#include "app/Main.h"

// result list commands
void TFormMain::NewTaskClick(QObject*) {}

// computers tree commands
void TFormMain::NewTaskCompResClick(QObject*) {}

// task list commands
void TFormMain::PTaskStartClick(QObject*) {}
void TFormMain::PTaskEditClick(QObject*) {}
void TFormMain::PTaskDeleteClick(QObject*) {}
void TFormMain::PopupMenuTasksPopup(QObject*) {}
void TFormMain::ListViewLoadsDblClick(QObject*) {}
