#pragma once
// Windows file attribute bits, as find records and attribute calls carry
// them, and the attribute masks of the find calls.

// Attribute bits of an entry.
constexpr int FILE_ATTRIBUTE_READONLY = 0x01;
constexpr int FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr int FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr int FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr int FILE_ATTRIBUTE_ARCHIVE = 0x20;
// Set alone, on a file that has none of the other bits.
constexpr int FILE_ATTRIBUTE_NORMAL = 0x80;

// Find masks. A find call with mask m leaves out every entry that has one of
// the bits hidden, system, volume label or directory that m lacks: with
// faAnyFile (63) every entry comes back; with faDirectory (16) folders and
// plain files do, but nothing hidden or system; with 0 only plain files.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;
