#pragma once
// The layer's own pieces under FolderItem: an open folder that the items
// inside it share, and a new file that is written before it has its name and
// put in place only when it is whole.
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "framework/FolderItem.h"

namespace fw {

// A folder, opened on first use and kept open for every item inside it.
struct FolderHandle {
    // The folder `name` inside `parent`, opened relative to it without
    // following a link; or, with no parent, the folder a path names.
    FolderHandle(std::shared_ptr<FolderHandle> parent, std::string name, int fd = -1);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // The open folder; raises IOException when it cannot be opened. Once
    // open, it may be asked from any thread.
    int Fd();
    std::filesystem::path Path() const;
    // The path with the links of the chosen folder at the top resolved, so
    // that two items reached from two choices can be told to be one place.
    const std::string& CanonicalPath() const;

    const std::shared_ptr<FolderHandle> parent;
    const std::string name;

private:
    std::atomic<int> fd_;
    mutable std::once_flag resolvedOnce_;
    mutable std::string resolved_;
};

// A file being written: without a name in its folder (or, where the file
// system cannot do that, under a temporary hidden name) until Place puts it
// under its name. Whatever is not placed is removed.
struct PendingFile {
    // Only without a name, the file is left closed (fd -1) where that cannot be done.
    using NewFile = FolderItem::NewFile;
    PendingFile(std::shared_ptr<FolderHandle> folder, std::string name, NewFile how = NewFile::AnyName);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Closes the file (checked) and puts it under `name`, checking with
    // `whenTaken` an entry it replaces; on any failure removes it and raises.
    void Place(const FolderItem::NameTakenCheck& whenTaken);
    // Drops the file: closed and removed, nothing left.
    void Discard() noexcept;
    // Drops the file and raises IOException: what failed, the file's path and the reason.
    [[noreturn]] void Fail(const std::string& what, int error);
    bool Open() const { return fd >= 0 && !placed; }

    const std::shared_ptr<FolderHandle> folder;
    std::string name;  // the name it is to have, or was given
    std::string temporaryName;
    int fd = -1;
    FolderItem::Identity identity{};
    bool placed = false;

private:
    bool unnamed_ = false;
    bool TryPlace(bool replace);
    bool UnderHiddenName(const std::function<bool(const std::string&)>& make);
    void GiveTemporaryName();
    void GiveHiddenName();
    bool Link(const std::string& as);
    void CopyToHiddenName(int error);
    void CloseChecked();
};

// Gives a file without a name the name `as` in the folder; false with errno
// set when it cannot. Tests put one of their own in place of the system's
// (none restores it), which also lets new files go without a name again.
using UnnamedFileNaming = std::function<bool(int fd, int dirfd, const char* as)>;
void SetUnnamedFileNaming(UnnamedFileNaming naming);

// The path absolute, with its links and "." and ".." resolved as far as it exists.
std::string ResolvedPath(const std::filesystem::path& path);
// A folder's path and a name in it.
std::string JoinedPath(const std::string& folder, const std::string& name);

// What a stat tells of an entry.
FolderItem::Identity IdentityOf(const struct stat& st);
FolderItem::Snapshot SnapshotOf(const struct stat& st);

// The text of every failure of the layer's file operations: what failed,
// the path and the system's reason.
std::string ErrorText(const std::string& what, const std::filesystem::path& path, int error);
// Raises IOException with that text and the error number.
[[noreturn]] void RaiseIOError(const std::string& what, const std::filesystem::path& path, int error);

// Tells the creation observer, when there is one, that the entry at the
// path came into being.
void NoteCreated(const std::function<std::filesystem::path()>& path);

}  // namespace fw
