#pragma once
// Helpers of the search commands shared with the restart and end question boxes.

// A search runs (mask or group).
bool SearchRunning();
// Asks the running search to stop (releasing it when paused) and forgets it
// at once; the worker ends at its next check without touching anything.
void StopRunningSearch();
// Unchecks the six sort items of the result pop-up menu and of the SortBy menu.
void UncheckSortItems();
