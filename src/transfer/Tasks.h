#pragma once
// The tasks file tasks.ini and the task list of the main window.

// Reads the tasks file into the task list.
void LoadTasks();
// Writes every task row back to the tasks file.
void SaveTasks();
