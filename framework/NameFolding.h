#pragma once
// Names as a volume that folds them compares them: macOS's disks, exFAT and
// FAT take "Note.emlx", "note.emlx" and "NOTE.emlx" for one entry, and so are
// "café" written with one code point or with two. Such a volume may say
// nothing of it (an exFAT volume mounted through FUSE gives each spelling an
// inode number of its own), so names that must not meet are compared folded.
#include <string>
#include <string_view>

namespace fw {

// The name (or path) with letter case and Unicode normalisation folded: two
// names that fold to the same text are one entry on such a volume. A name
// that is not UTF-8 is kept as it is, but for its ASCII letters.
std::string FoldedName(std::string_view name);

class FolderItem;
// Where the item is, as such a volume tells places apart: its canonical path
// (the links of the chosen folder resolved), folded. Two items of one place
// are one entry, whatever the volume says of their identities.
std::string FoldedPlace(const FolderItem& item);

}  // namespace fw
