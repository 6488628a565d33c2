#pragma once
// The process' heap as the system sees it.
namespace Memory {

// Makes every thread allocate from the one pool the process starts with.
// The C library otherwise gives each thread that allocates its own pool,
// and memory freed at the top of such a pool stays resident, where no
// ReleaseFreed() reaches it: after a search of a large share through the
// SMB library's thread, tens of MiB stay held for nothing. Call first thing
// in main(), before any thread starts; a pool made earlier stays in use.
void UseOnePool();

// Hands memory the program has freed back to the system. The C library
// keeps freed blocks for reuse; after a large list is gone that can be tens
// of MiB kept resident for nothing. Cheap enough for a rare event (a list
// cleared), not for a loop.
void ReleaseFreed();

}  // namespace Memory
