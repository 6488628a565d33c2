#pragma once
// Pictures of the tool bar, the about box's logo and the task-state icons.

void LoadToolbarImages();
