#pragma once
// A reference to an entry of a folder, which need not exist.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class TextInputStream;
class TextOutputStream;
class Picture;

class FolderItem : public Object {
public:
    explicit FolderItem(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }

    String Name() const;         // the entry's name, with its extension
    String DisplayName() const;  // the name as the user sees it
    String AbsolutePath() const;
    Ref<FolderItem> Parent() const;                 // Nil for the root
    Ref<FolderItem> Child(const String& name) const;  // the entry of that name, existing or not
    // Entries numbered from 1 in byte order of their names. The folder is listed
    // once, on first use, and Item indexes that listing.
    int32_t Count();
    Ref<FolderItem> Item(int32_t index);

    bool Exists() const;     // an entry of that name exists now, whatever its kind
    bool Directory() const;  // a folder, also one reached through a link
    bool Alias() const;      // the entry is a symbolic link
    bool Visible() const;    // false for names beginning with "."
    bool IsWriteable() const;

    // Four-character Finder type and creator codes; empty when the file has none.
    String MacType() const;
    String MacCreator() const;
    void SetMacType(const String& code);
    void SetMacCreator(const String& code);

    // Makes the folder; an existing entry of the name counts as made. Raises
    // IOException when the system refuses.
    void CreateAsFolder();
    // Nil when the file cannot be opened for reading.
    Ref<TextInputStream> OpenAsTextFile() const;
    // Removes an existing entry of the name (never writing through a link) and
    // creates the file exclusively; raises IOException when the system refuses.
    Ref<TextOutputStream> CreateTextFile();
    // Nil when the file cannot be read as a picture.
    Ref<Picture> OpenAsPicture() const;

    // Which entry on disk this is (device and inode, the entry itself, not
    // what a link points to); none when it does not exist.
    struct Identity {
        uint64_t device, inode;
        bool operator<(const Identity& o) const { return device != o.device ? device < o.device : inode < o.inode; }
    };
    std::optional<Identity> EntryIdentity() const;

private:
    int32_t Listing();
    String FinderCode(size_t offset) const;
    void SetFinderCode(size_t offset, const String& code);

    struct ListedEntry {
        std::filesystem::path name;
        std::filesystem::file_type type;  // as the listing gave it, without a stat of its own
    };

    std::filesystem::path path_;
    std::optional<std::vector<ListedEntry>> listing_;
    // The kind of entry the folder's listing reported: a walk of many files
    // then needs no stat per entry to tell files from folders.
    std::filesystem::file_type listedType_ = std::filesystem::file_type::none;
};

// Tests watch what a run makes through this: it is told every file and
// folder that CreateTextFile and CreateAsFolder bring into being.
void SetCreationObserver(std::function<void(const std::filesystem::path&)> observer);

// The FolderItem of a path given as UTF-8 text.
Ref<FolderItem> FolderItemFromPath(const std::filesystem::path& path);

}  // namespace fw
