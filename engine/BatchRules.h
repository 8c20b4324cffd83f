#pragma once
// Which entries a batch run converts.
#include "framework/FolderItem.h"

// Files whose last extension is "oml" or "OML" are passed over; every other
// visible file is converted, whatever its extension. The message-file
// chooser refuses the same files.
bool IsPassedOverFile(const fw::FolderItem& file);

// What the walk does with an entry of a folder: Nil and hidden entries and
// passed-over files are left alone, folders are walked, files converted.
// An entry that its listing gave as a file is judged without a look at the disk.
enum class WalkEntry { LeftAlone, Folder, File };
WalkEntry WalkEntryKind(const fw::Ref<fw::FolderItem>& entry);
