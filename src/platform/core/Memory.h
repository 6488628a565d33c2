#pragma once
// The process' heap as the system sees it.
namespace Memory {

// Hands memory the program has freed back to the system. The C library
// keeps freed blocks for reuse, in one pool per thread that allocated
// them; after a large list is gone that can be tens of MiB kept resident
// for nothing. Cheap enough for a rare event (a list cleared), not for a loop.
void ReleaseFreed();

}  // namespace Memory
