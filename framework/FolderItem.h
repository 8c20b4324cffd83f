#pragma once
// A reference to an entry of a folder, which need not exist.
//
// An item found in a folder (Item, Child) is held as its name in that
// folder's open handle, and every operation on it works relative to that
// handle (openat, fstatat, mkdirat): no full path is ever resolved, so a tree
// of any depth works, and no link on the way to an entry is followed. Only an
// item made from a path (the user's choice) resolves that path, links in it
// included.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class TextInputStream;
class TextOutputStream;
class Picture;
struct FolderHandle;
struct PendingFile;

class FolderItem : public Object {
public:
    // What a folder's listing says an entry is, without a stat of its own.
    enum class Listed : uint8_t { Unknown, File, Folder, Link, Other };

    // Which entry on disk this is (device and inode).
    struct Identity {
        uint64_t device, inode;
        bool operator==(const Identity& o) const { return device == o.device && inode == o.inode; }
        bool operator<(const Identity& o) const { return device != o.device ? device < o.device : inode < o.inode; }
    };
    // An entry as it was at one moment: which entry, its kind, size and
    // times. Writing to a file, replacing it or changing its attributes
    // changes its snapshot.
    struct Snapshot {
        Identity identity{};
        uint32_t kind = 0;  // the type bits of its mode
        uint64_t size = 0;
        int64_t modified = 0, modifiedNs = 0, changed = 0, changedNs = 0;
        bool operator==(const Snapshot& o) const;
    };
    // How a new file may be made: any way its folder allows, or only without
    // a name until it is placed.
    enum class NewFile : uint8_t { AnyName, WithoutName };
    // The type and creator codes of a file, each empty when it has none.
    struct MacCodes {
        String type, creator;
    };

    // The entry a path names.
    explicit FolderItem(std::filesystem::path path);
    // The entry `name` of an open folder.
    FolderItem(std::shared_ptr<FolderHandle> folder, std::string name, Listed listed = Listed::Unknown);
    ~FolderItem() override;

    // The path the item stands for, for messages and tests; it may be longer
    // than the system's limit and is never used to reach the entry.
    std::filesystem::path Path() const;
    // The path with the links of the chosen path the item was reached from
    // resolved (an entry of the walk that is a link stays itself): items
    // reached from two choices are one place when their paths are one. A
    // text, not a std::filesystem::path, which takes a deep path apart.
    std::string CanonicalPath() const;

    String Name() const;         // the entry's name, with its extension
    String DisplayName() const;  // the name as the user sees it
    String AbsolutePath() const;
    Ref<FolderItem> Parent() const;                   // Nil for the root
    // The entry of that name, existing or not. Once the folder has been
    // listed or made, another thread may ask for children as well.
    Ref<FolderItem> Child(const String& name) const;
    // Entries numbered from 1 in byte order of their names. Count lists the
    // folder afresh and raises IOException when it cannot (gone, not a
    // folder, a link, unreadable); Item indexes the last listing.
    int32_t Count();
    Ref<FolderItem> Item(int32_t index);
    // Lets go of the folder's open handle and listing (its items keep the
    // handle while they last); the next use opens and lists it again. An open
    // folder keeps its volume busy: a USB stick could not be ejected.
    void LetGo();

    bool Exists() const;     // an entry of that name exists now, whatever its kind
    // A folder, also one reached through a link. An entry whose kind cannot
    // be learned (a link whose target cannot be examined) is no folder.
    bool Directory() const;
    bool Alias() const;      // the entry is a symbolic link
    bool Visible() const;    // false for names beginning with "."
    bool IsWriteable() const;

    // Four-character Finder type and creator codes; empty when the file has
    // none. Each call reads them afresh (a stream reads both of the file it
    // reads in one go).
    String MacType() const;
    String MacCreator() const;
    void SetMacType(const String& code);
    void SetMacCreator(const String& code);

    // Makes the folder; an existing entry of the name counts as made, but a
    // symbolic link does not. Raises IOException when the system refuses.
    void CreateAsFolder();
    // Nil when the file cannot be opened for reading (LastError says why).
    // Only a regular file is read. An entry that the listing gave as a
    // regular file is opened without following a link.
    Ref<TextInputStream> OpenAsTextFile() const;

    // Asked when a new file is whole and its name is taken by an entry that
    // is not a folder, before that entry is replaced: it may raise to keep
    // the entry, and the new file is dropped.
    using NameTakenCheck = std::function<void(const Identity& taken)>;
    // A new file in this item's folder, without a name yet (or, where the
    // file system cannot do that, under a temporary hidden name). The
    // item stands for it at once (Exists, the codes); the stream's Close puts
    // it under the item's name, replacing the entry there itself (a link is
    // replaced, never written through; a folder is never replaced), and
    // otherwise nothing of it is left. Raises IOException when the system
    // refuses.
    Ref<TextOutputStream> CreateTextFile();
    // As CreateTextFile, but only a file without a name: Nil where the file
    // system cannot make one, and nothing is made (a reader ahead leaves
    // files under hidden names to the thread that puts them in place).
    Ref<TextOutputStream> CreateTextFileWithoutName();
    // Nil when the file cannot be read as a picture.
    Ref<Picture> OpenAsPicture() const;

    // The entry itself, not what a link points to; none when it does not exist.
    std::optional<Identity> EntryIdentity() const;
    // What the entry leads to: the entry a link points to, or the entry itself.
    std::optional<Identity> LeadsTo() const;
    // Whether the entry, not following a link, is still what was seen: false
    // when it has gone, or has been replaced, written or changed since.
    bool Unchanged(const Snapshot& seen) const;
    // Why the last OpenAsTextFile gave Nil: the path and the system's reason,
    // and the system's error number (0 when the system did not refuse).
    std::string LastError() const { return lastError_; }
    int LastErrorNumber() const { return lastErrorNumber_; }

    // What the listing of its folder said the entry is.
    Listed ListedAs() const { return listed_; }
    // Entry `index` of the last listing, as Item gives it, without listing:
    // a reader on another thread may ask for it while the folder is not
    // listed again.
    Ref<FolderItem> ListedItem(int32_t index) const;

private:
    struct ListedEntry {
        std::string name;
        Listed listed;
    };
    struct Place {  // how a system call reaches the entry
        int dirfd;
        const char* name;
    };
    Place At() const;
    bool StatEntry(struct stat& st, bool follow) const;
    void Adopt() const;
    bool Writing() const;
    std::shared_ptr<FolderHandle> SelfHandle() const;
    std::optional<std::array<char, 32>> ReadFinderInfo() const;  // the Finder information's bytes
    bool FollowsLink() const;
    int OpenForReading(const Place& at) const;
    void SetFinderCode(size_t offset, const String& code);
    Ref<TextOutputStream> NewTextFile(NewFile how);
    [[noreturn]] void Raise(const std::string& what, int error) const;

    std::shared_ptr<FolderHandle> folder_;  // null for an item made from a path
    mutable std::string name_;              // the name in folder_, or the path
    Listed listed_ = Listed::Unknown;
    mutable std::shared_ptr<FolderHandle> self_;  // the entry opened as a folder, once needed
    std::vector<ListedEntry> listing_;
    bool listedOnce_ = false;
    std::shared_ptr<PendingFile> pending_;  // the file CreateTextFile made
    mutable std::string lastError_;
    mutable int lastErrorNumber_ = 0;
};

// Tests watch what a run makes through this: it is told every file and
// folder that CreateTextFile and CreateAsFolder bring into being. Returns the
// observer it replaces.
std::function<void(const std::filesystem::path&)> SetCreationObserver(
    std::function<void(const std::filesystem::path&)> observer);

// The FolderItem of a path given as UTF-8 text.
Ref<FolderItem> FolderItemFromPath(const std::filesystem::path& path);

}  // namespace fw
