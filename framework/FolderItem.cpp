#include "framework/FolderItem.h"

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/FileCalls.h"
#include "framework/FinderInfo.h"
#include "framework/FolderHandle.h"
#include "framework/HandleLimit.h"
#include "framework/Picture.h"
#include "framework/TextStreams.h"

namespace fs = std::filesystem;

namespace fw {

namespace {

FolderItem::Listed ListedType(unsigned char type) {
    switch (type) {
    case DT_REG: return FolderItem::Listed::File;
    case DT_DIR: return FolderItem::Listed::Folder;
    case DT_LNK: return FolderItem::Listed::Link;
    case DT_UNKNOWN: return FolderItem::Listed::Unknown;
    default: return FolderItem::Listed::Other;
    }
}

// The path by which an attribute call reaches an entry of an open folder: the
// folder's handle through /proc and the one name, so no path is resolved.
std::string HandlePath(int dirfd, const char* name) {
    if (dirfd == AT_FDCWD) return name;
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "/proc/self/fd/%d/", dirfd);
    return prefix + std::string(name);
}

bool HandlePathsWork() {
#ifdef QUELMAR_PROC_FD_PATHS
    static const bool works = ::access("/proc/self/fd", X_OK) == 0;
    return works;
#else
    return false;
#endif
}

}  // namespace

FolderItem::FolderItem(fs::path path) : name_(path.string()) {}

FolderItem::FolderItem(std::shared_ptr<FolderHandle> folder, std::string name, Listed listed)
    : folder_(std::move(folder)), name_(std::move(name)), listed_(listed) {}

FolderItem::~FolderItem() = default;

Ref<FolderItem> FolderItemFromPath(const fs::path& path) { return New<FolderItem>(path); }

// After CreateTextFile, the item names the file as it was finally placed.
void FolderItem::Adopt() const {
    if (!pending_ || !pending_->placed) return;
    if (folder_) {
        name_ = pending_->name;
    } else if (fs::path(name_).filename() != pending_->name) {
        name_ = (fs::path(name_).parent_path() / pending_->name).string();
    }
}

bool FolderItem::Writing() const { return pending_ && !pending_->placed && pending_->Open(); }

FolderItem::Place FolderItem::At() const {
    Adopt();
    if (!folder_) return {AT_FDCWD, name_.c_str()};
    return {folder_->Fd(), name_.c_str()};
}

bool FolderItem::StatEntry(struct stat& st, bool follow) const {
    try {
        const Place at = At();
        return ::fstatat(at.dirfd, at.name, &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
    } catch (const IOException&) {
        return false;  // the folder that holds it cannot be opened: errno says why
    }
}

void FolderItem::Raise(const std::string& what, int error) const { RaiseIOError(what, Path(), error); }

fs::path FolderItem::Path() const {
    Adopt();
    return folder_ ? folder_->Path() / name_ : fs::path(name_);
}

std::string FolderItem::CanonicalPath() const {
    Adopt();
    return folder_ ? JoinedPath(folder_->CanonicalPath(), name_) : ResolvedPath(name_);
}

String FolderItem::Name() const {
    Adopt();
    if (folder_) return String(name_);
    fs::path p = name_;
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return String(p.filename().string());
}

String FolderItem::DisplayName() const { return Name(); }

String FolderItem::AbsolutePath() const { return String(fs::absolute(Path()).lexically_normal().string()); }

Ref<FolderItem> FolderItem::Parent() const {
    if (folder_) {
        Ref<FolderItem> parent = folder_->parent ? New<FolderItem>(folder_->parent, folder_->name, Listed::Folder)
                                                 : New<FolderItem>(fs::path(folder_->name));
        parent->self_ = folder_;
        return parent;
    }
    fs::path abs = fs::absolute(fs::path(name_)).lexically_normal();
    if (!abs.has_filename()) abs = abs.parent_path();
    if (abs == abs.root_path()) return Nil;
    return New<FolderItem>(abs.parent_path());
}

std::shared_ptr<FolderHandle> FolderItem::SelfHandle() const {
    // An item made from a path names what is at that path now: a folder the
    // user chose, then removed and made again, is the new one. Its children
    // keep the handle they were made with.
    if (!folder_) return std::make_shared<FolderHandle>(nullptr, Path().string());
    // A reader ahead asks for children of the folder it writes into while the
    // main thread may do the same: the handle is made once, by whichever comes first.
    std::shared_ptr<FolderHandle> handle = std::atomic_load(&self_);
    if (handle) return handle;
    auto made = std::make_shared<FolderHandle>(folder_, name_);
    return std::atomic_compare_exchange_strong(&self_, &handle, made) ? made : handle;
}

Ref<FolderItem> FolderItem::Child(const String& name) const {
    // A child is an entry of this folder: a name that would lead elsewhere names none.
    const std::string n = name.ToUTF8();
    if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos) return Nil;
    return New<FolderItem>(SelfHandle(), n);
}

int32_t FolderItem::Count() {
    // Opened and listed afresh at every count, so a folder kept between runs
    // shows what it holds now and one that has gone is noticed; Item indexes
    // the listing of the last count, in the folder that was listed.
    listing_.clear();
    listedOnce_ = true;
    const Place at = At();
    const int fd = OpenCounted(
        [&] { return ::openat(at.dirfd, at.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder_ ? O_NOFOLLOW : 0)); });
    if (fd < 0) Raise("cannot list", errno);
    auto handle = std::make_shared<FolderHandle>(folder_, folder_ ? name_ : Path().string(), fd);
    const int listFd = OpenCounted([fd] { return ::dup(fd); });
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        const int error = errno;
        if (listFd >= 0) CloseCounted(listFd);
        Raise("cannot list", error);
    }
    std::vector<ListedEntry> entries;
    errno = 0;
    while (const struct dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        entries.push_back({n, ListedType(entry->d_type)});
    }
    const int error = errno;
    CloseCountedListing(dir);
    if (error != 0) Raise("cannot list", error);
    std::sort(entries.begin(), entries.end(), [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
    listing_ = std::move(entries);
    self_ = std::move(handle);
    return static_cast<int32_t>(std::min<size_t>(listing_.size(), INT32_MAX));
}

Ref<FolderItem> FolderItem::Item(int32_t index) {
    if (!listedOnce_) Count();
    return ListedItem(index);
}

void FolderItem::LetGo() {
    std::atomic_store(&self_, std::shared_ptr<FolderHandle>());
    listing_.clear();
    listedOnce_ = false;
}

Ref<FolderItem> FolderItem::ListedItem(int32_t index) const {
    if (index < 1 || static_cast<size_t>(index) > listing_.size()) return Nil;
    const ListedEntry& entry = listing_[static_cast<size_t>(index - 1)];
    return New<FolderItem>(self_, entry.name, entry.listed);
}

bool FolderItem::Exists() const {
    if (Writing()) return true;  // the file CreateTextFile is writing, not yet under its name
    struct stat st;
    return StatEntry(st, false);
}

bool FolderItem::Directory() const {
    if (listed_ == Listed::Folder) return true;
    if (listed_ == Listed::File || listed_ == Listed::Other) return false;
    // Gone, a link that leads nowhere, or an entry whose kind cannot be
    // learned (a link whose target is out of reach): no folder. Taken as a
    // file, it is one that cannot be read, and its reader says why.
    struct stat st;
    return StatEntry(st, true) && S_ISDIR(st.st_mode);
}

bool FolderItem::Alias() const {
    if (listed_ == Listed::Link) return true;
    if (listed_ != Listed::Unknown) return false;
    struct stat st;
    return StatEntry(st, false) && S_ISLNK(st.st_mode);
}

bool FolderItem::Visible() const {
    std::string name = Name().ToUTF8();
    return name.empty() || name[0] != '.';
}

bool FolderItem::IsWriteable() const {
    try {
        const Place at = At();
        return ::faccessat(at.dirfd, at.name, W_OK, 0) == 0;
    } catch (const IOException&) {
        return false;
    }
}

// The codes are those of the file that would be read: through a link only
// when the listing gave a link. Read afresh at every call.
std::optional<FinderInfoBytes> FolderItem::ReadFinderInfo() const {
    std::optional<FinderInfoBytes> info;
    if (Writing()) {
        info = FinderInfoOf(pending_->fd);
    } else {
        try {
            const Place at = At();
            if (at.dirfd == AT_FDCWD || HandlePathsWork()) {
                info = FinderInfoOf(HandlePath(at.dirfd, at.name).c_str(), FollowsLink());
            } else if (const int fd = OpenForReading(at); fd >= 0) {
                info = FinderInfoOf(fd);
                CloseCounted(fd);
            }
        } catch (const IOException&) {
        }
    }
    return info;
}

// An entry of a folder is reached through a link only when the listing gave
// a link; an item made from a path follows the links in it.
bool FolderItem::FollowsLink() const { return !folder_ || listed_ == Listed::Link; }

// Opened without waiting, so that a named pipe cannot hang the program.
int FolderItem::OpenForReading(const Place& at) const {
    return OpenCounted(
        [&] { return ::openat(at.dirfd, at.name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | (FollowsLink() ? 0 : O_NOFOLLOW)); });
}

String FolderItem::MacType() const { return FinderCodeAt(ReadFinderInfo(), kFinderTypeOffset); }
String FolderItem::MacCreator() const { return FinderCodeAt(ReadFinderInfo(), kFinderCreatorOffset); }

void FolderItem::SetMacType(const String& code) { SetFinderCode(kFinderTypeOffset, code); }
void FolderItem::SetMacCreator(const String& code) { SetFinderCode(kFinderCreatorOffset, code); }

void FolderItem::SetFinderCode(size_t offset, const String& code) {
    const std::optional<FinderInfoBytes> current = ReadFinderInfo();
    const FinderInfoBytes info = WithFinderCode(current.value_or(FinderInfoBytes{}), offset, code);
    const bool empty = HoldsNoFinderCodes(info);
    if (empty && !current) return;  // no codes, and none to clear

    // The file being written through its own descriptor; any other entry
    // through its folder's handle, never through a link.
    int fd = Writing() ? pending_->fd : -1;
    bool ownFd = false;
    std::string path;
    if (fd < 0) {
        const Place at = At();
        if (at.dirfd == AT_FDCWD || HandlePathsWork()) {
            path = HandlePath(at.dirfd, at.name);
        } else {
            fd = OpenCounted(
                [&] { return ::openat(at.dirfd, at.name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC); });
            if (fd < 0) Raise("cannot set the file codes of", errno);
            ownFd = true;
        }
    }
    const int rc = fd >= 0 ? WriteFinderInfo(fd, info) : WriteFinderInfo(path.c_str(), info);
    const int error = errno;
    if (ownFd) CloseCounted(fd);
    if (rc != 0) Raise(empty ? "cannot clear the file codes of" : "cannot set the file codes of", error);
}

void FolderItem::CreateAsFolder() {
    const Place at = At();
    if (::mkdirat(at.dirfd, at.name, 0777) == 0) {
        self_.reset();  // a handle opened before named something else
        NoteCreated([this] { return Path(); });
        return;
    }
    if (errno != EEXIST) Raise("cannot create the folder", errno);
    // Any entry of the name counts as made, but no output goes through a link.
    struct stat st;
    if (::fstatat(at.dirfd, at.name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        Raise("will not make a folder through the link", ELOOP);
}

Ref<TextInputStream> FolderItem::OpenAsTextFile() const {
    lastError_.clear();
    lastErrorNumber_ = 0;
    try {
        const int fd = OpenForReading(At());
        if (fd < 0) {
            lastErrorNumber_ = errno;
            lastError_ = ErrorText("cannot open", Path(), lastErrorNumber_);
            return Nil;
        }
        // Only a regular file is read: a device would never end.
        struct stat st;
        const bool examined = ::fstat(fd, &st) == 0;
        if (!examined || !S_ISREG(st.st_mode)) {
            lastErrorNumber_ = examined ? 0 : errno;
            lastError_ = examined ? "cannot read " + Path().string() + ": not a regular file" : ErrorText("cannot read", Path(), lastErrorNumber_);
            CloseCounted(fd);
            return Nil;
        }
        return New<TextInputStream>(fd, SnapshotOf(st), folder_, name_);
    } catch (const IOException& e) {
        lastError_ = e.what();
        lastErrorNumber_ = e.ErrorNumber();
        return Nil;
    }
}

Ref<TextOutputStream> FolderItem::CreateTextFile() { return NewTextFile(NewFile::AnyName); }

Ref<TextOutputStream> FolderItem::CreateTextFileWithoutName() { return NewTextFile(NewFile::WithoutName); }

Ref<TextOutputStream> FolderItem::NewTextFile(NewFile how) {
    std::shared_ptr<PendingFile> file;
    if (folder_) {
        file = std::make_shared<PendingFile>(folder_, name_, how);
    } else {
        // An item made from a path: its folder is opened by the path.
        const fs::path path(name_);
        const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
        if (!path.has_filename()) Raise("cannot create", EISDIR);
        file = std::make_shared<PendingFile>(std::make_shared<FolderHandle>(nullptr, parent.string()),
                                             path.filename().string(), how);
    }
    if (file->fd < 0) return Nil;  // no file without a name can be made here
    pending_ = std::move(file);
    return New<TextOutputStream>(pending_);
}

Ref<Picture> FolderItem::OpenAsPicture() const {
    Ref<TextInputStream> in = OpenAsTextFile();
    if (!in) return Nil;
    const std::string bytes = in->ReadAll(Nil).Bytes();
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()))) return Nil;
    return New<Picture>(std::move(image));
}

std::optional<FolderItem::Identity> FolderItem::EntryIdentity() const {
    if (pending_ && (pending_->placed || Writing())) return pending_->identity;
    struct stat st;
    if (!StatEntry(st, false)) return std::nullopt;
    return IdentityOf(st);
}

std::optional<FolderItem::Identity> FolderItem::LeadsTo() const {
    struct stat st;
    if (!StatEntry(st, true)) return std::nullopt;
    return IdentityOf(st);
}

bool FolderItem::Unchanged(const Snapshot& seen) const {
    struct stat st;
    return StatEntry(st, false) && SnapshotOf(st) == seen;
}

}  // namespace fw
