#include "framework/FolderHandle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "framework/FileCalls.h"
#include "framework/HandleLimit.h"

namespace fw {

namespace {

std::function<void(const std::filesystem::path&)>& CreationObserver() {
    static std::function<void(const std::filesystem::path&)> observer;
    return observer;
}

}  // namespace

std::function<void(const std::filesystem::path&)> SetCreationObserver(
    std::function<void(const std::filesystem::path&)> observer) {
    std::swap(CreationObserver(), observer);
    return observer;
}

void NoteCreated(const std::function<std::filesystem::path()>& path) {
    if (CreationObserver()) CreationObserver()(path());
}

FolderItem::Identity IdentityOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

FolderItem::Snapshot SnapshotOf(const struct stat& st) {
#ifdef __APPLE__
    const struct timespec modified = st.st_mtimespec, changed = st.st_ctimespec;
#else
    const struct timespec modified = st.st_mtim, changed = st.st_ctim;
#endif
    return {IdentityOf(st), static_cast<uint32_t>(st.st_mode & S_IFMT), static_cast<uint64_t>(st.st_size),
            modified.tv_sec, modified.tv_nsec, changed.tv_sec, changed.tv_nsec};
}

bool FolderItem::Snapshot::operator==(const Snapshot& o) const {
    return identity == o.identity && kind == o.kind && size == o.size && modified == o.modified &&
           modifiedNs == o.modifiedNs && changed == o.changed && changedNs == o.changedNs;
}

std::string ErrorText(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

void RaiseIOError(const std::string& what, const std::filesystem::path& path, int error) {
    throw IOException(ErrorText(what, path, error), error);
}

FolderHandle::FolderHandle(std::shared_ptr<FolderHandle> parentFolder, std::string entryName, int fd)
    : parent(std::move(parentFolder)), name(std::move(entryName)), fd_(fd) {}

FolderHandle::~FolderHandle() {
    const int fd = fd_.load();
    if (fd >= 0) CloseCounted(fd);
}

int FolderHandle::Fd() {
    const int open = fd_.load();
    if (open >= 0) return open;
    constexpr int kMode = QUELMAR_FOLDER_HANDLE_MODE | O_DIRECTORY | O_CLOEXEC;
    const int at = parent ? parent->Fd() : AT_FDCWD;
    const int fd = OpenCounted([&] { return ::openat(at, name.c_str(), kMode | (parent ? O_NOFOLLOW : 0)); });
    if (fd < 0) RaiseIOError("cannot open the folder", Path(), errno);
    int expected = -1;
    if (fd_.compare_exchange_strong(expected, fd)) return fd;
    CloseCounted(fd);  // opened by another thread meanwhile
    return expected;
}

std::filesystem::path FolderHandle::Path() const {
    // Joined once from the top: a deep tree's paths are long.
    std::vector<const FolderHandle*> chain;
    for (const FolderHandle* h = this; h; h = h->parent.get()) chain.push_back(h);
    std::string path = chain.back()->name;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        if (path.empty() || path.back() != '/') path += '/';
        path += (*it)->name;
    }
    return path;
}

// Kept once worked out: the folders of a deep tree share their parents' paths.
const std::string& FolderHandle::CanonicalPath() const {
    std::call_once(resolvedOnce_, [this] { resolved_ = parent ? JoinedPath(parent->CanonicalPath(), name) : ResolvedPath(name); });
    return resolved_;
}

std::string JoinedPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string ResolvedPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error) resolved = std::filesystem::absolute(path, error).lexically_normal();
    return resolved.string();
}

}  // namespace fw
