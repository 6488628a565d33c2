#include "app/Icons.h"

void LoadToolbarImages() {}
