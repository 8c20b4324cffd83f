#pragma once
// The layer's own pieces under FolderItem: an open folder that the items
// inside it share, and a new file that is written before it has its name and
// put in place only when it is whole.
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

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

    const std::shared_ptr<FolderHandle> parent;
    const std::string name;

private:
    std::atomic<int> fd_;
};

// A file being written: without a name in its folder (or, where the file
// system cannot do that, under a temporary hidden name) until Place puts it
// under its name. Whatever is not placed is removed.
struct PendingFile {
    PendingFile(std::shared_ptr<FolderHandle> folder, std::string name, FolderItem::NameTakenRule whenTaken);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Closes the file (checked) and puts it under `name`, following the
    // rule when the name is taken; on any failure removes it and raises.
    void Place();
    // Drops the file: closed and removed, nothing left.
    void Discard() noexcept;
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
    void GiveTemporaryName();
    bool Link(const std::string& as);
    void CloseChecked();
    [[noreturn]] void Fail(const std::string& what, int error);
    FolderItem::NameTakenRule whenTaken_;
};

// Raises IOException with the text, the path and the system's reason.
[[noreturn]] void RaiseIOError(const std::string& what, const std::filesystem::path& path, int error);

// Raises the limit of open handles as far as the system allows (once).
void AllowManyHandles();

// Tells the creation observer, when there is one, that the entry at the
// path came into being.
void NoteCreated(const std::function<std::filesystem::path()>& path);

}  // namespace fw
