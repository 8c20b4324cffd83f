#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "framework/FileCalls.h"
#include "framework/FolderHandle.h"
#include "framework/HandleLimit.h"

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

#ifdef QUELMAR_EXCLUSIVE_RENAME
int RenameNoReplace(int dirfd, const char* from, const char* to) {
    return ::renameat2(dirfd, from, dirfd, to, RENAME_NOREPLACE);
}
#else
int RenameNoReplace(int, const char*, const char*) {
    errno = EINVAL;
    return -1;
}
#endif

// Whether new files go without a name: not once naming one has failed in a
// way that says it cannot be done here.
std::atomic<bool> unnamedFiles{true};

UnnamedFileNaming& Naming() {
    static UnnamedFileNaming naming;
    return naming;
}

bool SystemNaming([[maybe_unused]] int fd, [[maybe_unused]] int dirfd, [[maybe_unused]] const char* as) {
#ifdef QUELMAR_EMPTY_PATH_LINKS
    static std::atomic<bool> emptyPathRefused{false};
    if (!emptyPathRefused.load()) {
        if (::linkat(fd, "", dirfd, as, AT_EMPTY_PATH) == 0) return true;
        if (errno != ENOENT && errno != EPERM) return false;
        emptyPathRefused.store(true);  // only for the privileged: through /proc instead
    }
#endif
#ifdef QUELMAR_PROC_FD_PATHS
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, dirfd, as, AT_SYMLINK_FOLLOW) == 0;
#else
    errno = ENOSYS;
    return false;
#endif
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The bytes and the extended attributes (the codes among them) of one file
// into another; false with errno set when that fails.
bool CopyFile(int from, int to) {
    char buffer[1 << 16];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        if (!WriteAll(to, buffer, static_cast<size_t>(n))) return false;
        offset += n;
    }
#ifdef __linux__
    const ssize_t listed = ::flistxattr(from, nullptr, 0);
    if (listed < 0) return errno == ENOTSUP;
    std::vector<char> names(static_cast<size_t>(listed));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got < 0) return false;
    for (const char* attribute = names.data(); attribute < names.data() + got; attribute += std::strlen(attribute) + 1) {
        const ssize_t size = ::fgetxattr(from, attribute, nullptr, 0);
        if (size < 0) return false;
        std::vector<char> value(static_cast<size_t>(size));
        const ssize_t read = ::fgetxattr(from, attribute, value.data(), value.size());
        if (read < 0 || ::fsetxattr(to, attribute, value.data(), static_cast<size_t>(read), 0) != 0) return false;
    }
#endif
    return true;
}

}  // namespace

void SetUnnamedFileNaming(UnnamedFileNaming naming) {
    Naming() = std::move(naming);
    unnamedFiles.store(true);
}

PendingFile::PendingFile(std::shared_ptr<FolderHandle> folderHandle, std::string wanted, NewFile how)
    : folder(std::move(folderHandle)), name(std::move(wanted)) {
    const int dirfd = folder->Fd();
#ifdef QUELMAR_UNNAMED_FILES
    // A file without a name until it is whole: nothing of it can be left
    // behind, and making it does not lock the folder. It is open for reading
    // too, so that it can be copied should it never get its name.
    if (unnamedFiles.load()) {
        fd = OpenCounted([dirfd] { return ::openat(dirfd, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0666); });
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOSYS)
            RaiseIOError("cannot create", folder->Path() / name, errno);
        unnamed_ = fd >= 0;
    }
#else
    (void)dirfd;
#endif
    if (fd < 0 && how == NewFile::WithoutName) return;
    if (fd < 0) GiveHiddenName();
    struct stat st;
    if (::fstat(fd, &st) != 0) Fail("cannot create", errno);
    identity = IdentityOf(st);
}

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::UnderHiddenName(const std::function<bool(const std::string&)>& make) {
    for (int attempt = 0; attempt <= 100; ++attempt) {
        temporaryName = TemporaryNameFor(name);
        if (make(temporaryName)) return true;
        if (errno != EEXIST) break;
    }
    const int error = errno;
    temporaryName.clear();
    errno = error;
    return false;
}

// Makes the file under a hidden name of its own.
void PendingFile::GiveHiddenName() {
    const int dirfd = folder->Fd();
    const bool made = UnderHiddenName([&](const std::string& as) {
        fd = OpenCounted([&] {
            return ::openat(dirfd, as.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        });
        return fd >= 0;
    });
    if (!made) Fail("cannot create", errno);
}

// Gives the file without a name a hidden name.
void PendingFile::GiveTemporaryName() {
    if (UnderHiddenName([this](const std::string& as) { return Link(as); })) {
        unnamed_ = false;
        return;
    }
    if (errno == EEXIST) Fail("cannot create", errno);
    CopyToHiddenName(errno);
}

bool PendingFile::Link(const std::string& as) {
    const UnnamedFileNaming& naming = Naming();
    return naming ? naming(fd, folder->Fd(), as.c_str()) : SystemNaming(fd, folder->Fd(), as.c_str());
}

// The file without a name could not be given one (`error` says why; no
// /proc, say): a copy under a hidden name, codes included, takes its place,
// and later files are made under hidden names from the start, unless it was
// only the space that ran out.
void PendingFile::CopyToHiddenName(int error) {
    if (error != ENOSPC && error != EDQUOT) unnamedFiles.store(false);
    struct Unnamed {
        int fd;
        ~Unnamed() { CloseCounted(fd); }
    } unnamed{fd};
    fd = -1;
    unnamed_ = false;
    GiveHiddenName();
    if (!CopyFile(unnamed.fd, fd)) Fail("cannot write", errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) Fail("cannot write", errno);
    identity = IdentityOf(st);
}

void PendingFile::Discard() noexcept {
    if (placed) return;
    if (fd >= 0) CloseCounted(fd);
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
    const int closed = CloseCounted(fd);
    fd = -1;
    if (closed != 0 && errno != EINTR) Fail("cannot write", errno);
}

void PendingFile::Place(const FolderItem::NameTakenCheck& whenTaken) {
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
            if (whenTaken) whenTaken(IdentityOf(st));
            replace = true;
        }
    } catch (...) {
        Discard();
        throw;
    }
    placed = true;
    temporaryName.clear();
    NoteCreated([this] { return folder->Path() / name; });
}

// True when the file now bears its name; false when the name is taken and
// the entry there was not to be replaced.
bool PendingFile::TryPlace(bool replace) {
    const int dirfd = folder->Fd();
    if (unnamed_ && replace) {
        GiveTemporaryName();  // the entry there is replaced by a rename, which needs a name
    } else if (unnamed_) {
        if (Link(name)) {
            // Closed once it has its name; if the close fails, the name goes again.
            const int closed = CloseCounted(fd);
            fd = -1;
            if (closed != 0 && errno != EINTR) {
                const int error = errno;
                ::unlinkat(dirfd, name.c_str(), 0);
                Fail("cannot write", error);
            }
            return true;
        }
        if (errno == EEXIST) return false;
        CopyToHiddenName(errno);  // and on under that name, as a file made with one
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
