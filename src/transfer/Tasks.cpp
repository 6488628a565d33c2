#include "transfer/Tasks.h"

void LoadTasks() {}

void SaveTasks() {}
