#include <cerrno>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/FolderHandle.h"

namespace fw {

namespace {

constexpr size_t kNameMax = 255;

// A hidden name beside the output, so that a file left by a crash is passed
// over by later runs, and the user can still tell what it was to be.
std::string TemporaryNameFor(const std::string& name) {
    static thread_local std::minstd_rand random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08lx", static_cast<unsigned long>(random()));
    const std::string temporary = "." + name + suffix;
    return temporary.size() <= kNameMax ? temporary : std::string(".quelmar") + suffix;
}

#ifdef RENAME_NOREPLACE
int RenameNoReplace(int dirfd, const char* from, const char* to) {
    return ::renameat2(dirfd, from, dirfd, to, RENAME_NOREPLACE);
}
#else
int RenameNoReplace(int, const char*, const char*) {
    errno = EINVAL;
    return -1;
}
#endif

}  // namespace

PendingFile::PendingFile(std::shared_ptr<FolderHandle> folderHandle, std::string wanted,
                         FolderItem::NameTakenRule whenTaken)
    : folder(std::move(folderHandle)), name(std::move(wanted)), whenTaken_(std::move(whenTaken)) {
    const int dirfd = folder->Fd();
#ifdef O_TMPFILE
    // A file without a name until it is whole: nothing of it can be left
    // behind, and making it does not lock the folder.
    fd = ::openat(dirfd, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOSYS)
        RaiseIOError("cannot create", folder->Path() / name, errno);
    unnamed_ = fd >= 0;
#endif
    if (fd < 0) GiveTemporaryName();
    struct stat st;
    if (::fstat(fd, &st) != 0) Fail("cannot create", errno);
    identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

PendingFile::~PendingFile() { Discard(); }

// Makes the file under a hidden name of its own (or gives the file without
// a name one).
void PendingFile::GiveTemporaryName() {
    const int dirfd = folder->Fd();
    for (int attempt = 0;; ++attempt) {
        temporaryName = TemporaryNameFor(name);
        const bool made = unnamed_ ? Link(temporaryName)
                                   : (fd = ::openat(dirfd, temporaryName.c_str(),
                                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666)) >= 0;
        if (made) break;
        if (errno != EEXIST || attempt > 100) {
            const int error = errno;
            temporaryName.clear();
            Fail("cannot create", error);
        }
    }
    unnamed_ = false;
}

// Gives the file without a name the name `as`; false with errno set when it cannot.
bool PendingFile::Link(const std::string& as) {
    static std::atomic<bool> emptyPathRefused{false};
    const int dirfd = folder->Fd();
#ifdef AT_EMPTY_PATH
    if (!emptyPathRefused.load()) {
        if (::linkat(fd, "", dirfd, as.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != ENOENT && errno != EPERM) return false;
        emptyPathRefused.store(true);  // only for the privileged: through /proc instead
    }
#endif
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, dirfd, as.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

void PendingFile::Discard() noexcept {
    if (placed) return;
    if (fd >= 0) ::close(fd);
    fd = -1;
    if (!temporaryName.empty()) {
        try {
            ::unlinkat(folder->Fd(), temporaryName.c_str(), 0);
        } catch (...) {
        }
        temporaryName.clear();
    }
}

void PendingFile::Fail(const std::string& what, int error) {
    Discard();
    RaiseIOError(what, folder->Path() / name, error);
}

// Closes the file; a close that fails may have lost what was written (a full
// disk on some file systems only tells here).
void PendingFile::CloseChecked() {
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR) Fail("cannot write", errno);
}

void PendingFile::Place() {
    if (placed) return;
    if (fd < 0) Fail("cannot write", EBADF);
    try {
        bool replace = false;
        while (!TryPlace(replace)) {
            struct stat st;
            if (::fstatat(folder->Fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;  // gone meanwhile: the name is free again
                Fail("cannot replace", errno);
            }
            if (S_ISDIR(st.st_mode)) Fail("cannot replace", EISDIR);
            const FolderItem::Identity taken{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
            std::optional<String> other = whenTaken_ ? whenTaken_(taken) : std::nullopt;
            if (other) name = other->ToUTF8();
            replace = !other;
        }
    } catch (...) {
        Discard();
        throw;
    }
    placed = true;
    temporaryName.clear();
    whenTaken_ = nullptr;  // it may refer to what its writer has since dropped
    NoteCreated([this] { return folder->Path() / name; });
}

// True when the file now bears its name; false when the name is taken and
// the entry there was not to be replaced.
bool PendingFile::TryPlace(bool replace) {
    const int dirfd = folder->Fd();
    if (unnamed_) {
        if (!replace) {
            if (!Link(name)) {
                if (errno == EEXIST) return false;
                Fail("cannot create", errno);
            }
            // Closed once it has its name; if the close fails, the name goes again.
            const int closed = ::close(fd);
            fd = -1;
            if (closed != 0 && errno != EINTR) {
                const int error = errno;
                ::unlinkat(dirfd, name.c_str(), 0);
                Fail("cannot write", error);
            }
            return true;
        }
        GiveTemporaryName();  // the entry there is replaced by a rename, which needs a name
    }
    if (fd >= 0) CloseChecked();
    if (!replace) {
        if (RenameNoReplace(dirfd, temporaryName.c_str(), name.c_str()) == 0) return true;
        if (errno == EEXIST) return false;
        // A file system without an exclusive rename: test the name first.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) Fail("cannot create", errno);
        struct stat st;
        if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
    }
    // Replaces the entry itself: a link there goes, its target stays untouched.
    if (::renameat(dirfd, temporaryName.c_str(), dirfd, name.c_str()) != 0) Fail("cannot create", errno);
    return true;
}

}  // namespace fw
