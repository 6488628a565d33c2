// Handlers of the main window whose commands are not built yet. Each module
// that builds a command moves its definition from here into its own file.
#include "app/Main.h"

