// A FUSE file system for the tests: it shows a folder of the machine as it
// is, but gives an entry another inode number at every look-up, as some FUSE
// and network volumes do once their caches let an entry go. Nothing on such a
// volume can be told apart by its identity.
//
//   shifting_inodes_fs <backing folder> <mount point> [FUSE options...]
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

static char backing[PATH_MAX];
static atomic_ulong nextInode = 1000;

// The entry in the backing folder; the path given is absolute on the volume.
static const char* Backed(const char* path, char* buffer) {
    snprintf(buffer, PATH_MAX, "%s%s", backing, path);
    return buffer;
}

#define BACKED(path) char backed_[PATH_MAX]; const char* at = Backed(path, backed_)
#define RESULT(call) return (call) < 0 ? -errno : 0

static void* Init(struct fuse_conn_info* conn, struct fuse_config* cfg) {
    (void)conn;
    cfg->use_ino = 1;  // the inode numbers below are the ones the system shows
    cfg->attr_timeout = 0;
    cfg->entry_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->hard_remove = 1;  // no hidden copies of removed files that are still open
    return NULL;
}

static int GetAttr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    char buffer[PATH_MAX];
    if ((fi ? fstat((int)fi->fh, st) : lstat(Backed(path, buffer), st)) < 0) return -errno;
    st->st_ino = atomic_fetch_add(&nextInode, 1);
    return 0;
}

static int ReadLink(const char* path, char* buffer, size_t size) {
    BACKED(path);
    const ssize_t n = readlink(at, buffer, size - 1);
    if (n < 0) return -errno;
    buffer[n] = '\0';
    return 0;
}

static int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info* fi,
                   enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    BACKED(path);
    DIR* dir = opendir(at);
    if (!dir) return -errno;
    for (struct dirent* entry; (entry = readdir(dir));) {
        struct stat st = {0};
        st.st_ino = atomic_fetch_add(&nextInode, 1);
        st.st_mode = (mode_t)(entry->d_type << 12);
        if (fill(buffer, entry->d_name, &st, 0, 0)) break;
    }
    closedir(dir);
    return 0;
}

static int MakeDir(const char* path, mode_t mode) { BACKED(path); RESULT(mkdir(at, mode)); }
static int Unlink(const char* path) { BACKED(path); RESULT(unlink(at)); }
static int RemoveDir(const char* path) { BACKED(path); RESULT(rmdir(at)); }
static int Symlink(const char* to, const char* path) { BACKED(path); RESULT(symlink(to, at)); }
static int Chmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
    (void)fi;
    BACKED(path);
    RESULT(chmod(at, mode));
}
static int Chown(const char* path, uid_t uid, gid_t gid, struct fuse_file_info* fi) {
    (void)fi;
    BACKED(path);
    RESULT(lchown(at, uid, gid));
}
static int Truncate(const char* path, off_t size, struct fuse_file_info* fi) {
    if (fi) RESULT(ftruncate((int)fi->fh, size));
    BACKED(path);
    RESULT(truncate(at, size));
}
static int Utimens(const char* path, const struct timespec times[2], struct fuse_file_info* fi) {
    if (fi) RESULT(futimens((int)fi->fh, times));
    BACKED(path);
    RESULT(utimensat(AT_FDCWD, at, times, AT_SYMLINK_NOFOLLOW));
}

static int Rename(const char* from, const char* to, unsigned int flags) {
    char fromBuffer[PATH_MAX], toBuffer[PATH_MAX];
    RESULT(renameat2(AT_FDCWD, Backed(from, fromBuffer), AT_FDCWD, Backed(to, toBuffer), flags));
}

static int Link(const char* from, const char* to) {
    char fromBuffer[PATH_MAX], toBuffer[PATH_MAX];
    RESULT(link(Backed(from, fromBuffer), Backed(to, toBuffer)));
}

static int Open(const char* path, struct fuse_file_info* fi) {
    BACKED(path);
    const int fd = open(at, fi->flags & ~O_NOFOLLOW);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int Create(const char* path, mode_t mode, struct fuse_file_info* fi) {
    BACKED(path);
    const int fd = open(at, fi->flags, mode);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int Read(const char* path, char* buffer, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    const ssize_t n = pread((int)fi->fh, buffer, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int Write(const char* path, const char* buffer, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    const ssize_t n = pwrite((int)fi->fh, buffer, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int Release(const char* path, struct fuse_file_info* fi) {
    (void)path;
    close((int)fi->fh);
    return 0;
}

static int Fsync(const char* path, int dataOnly, struct fuse_file_info* fi) {
    (void)path;
    RESULT(dataOnly ? fdatasync((int)fi->fh) : fsync((int)fi->fh));
}

static int StatFs(const char* path, struct statvfs* st) { BACKED(path); RESULT(statvfs(at, st)); }

static int SetXattr(const char* path, const char* name, const char* value, size_t size, int flags) {
    BACKED(path);
    RESULT(lsetxattr(at, name, value, size, flags));
}
static int GetXattr(const char* path, const char* name, char* value, size_t size) {
    BACKED(path);
    const ssize_t n = lgetxattr(at, name, value, size);
    return n < 0 ? -errno : (int)n;
}
static int ListXattr(const char* path, char* list, size_t size) {
    BACKED(path);
    const ssize_t n = llistxattr(at, list, size);
    return n < 0 ? -errno : (int)n;
}
static int RemoveXattr(const char* path, const char* name) { BACKED(path); RESULT(lremovexattr(at, name)); }

static const struct fuse_operations operations = {
    .init = Init,
    .getattr = GetAttr,
    .readlink = ReadLink,
    .readdir = ReadDir,
    .mkdir = MakeDir,
    .unlink = Unlink,
    .rmdir = RemoveDir,
    .symlink = Symlink,
    .rename = Rename,
    .link = Link,
    .chmod = Chmod,
    .chown = Chown,
    .truncate = Truncate,
    .utimens = Utimens,
    .open = Open,
    .create = Create,
    .read = Read,
    .write = Write,
    .release = Release,
    .fsync = Fsync,
    .statfs = StatFs,
    .setxattr = SetXattr,
    .getxattr = GetXattr,
    .listxattr = ListXattr,
    .removexattr = RemoveXattr,
};

int main(int argc, char* argv[]) {
    if (argc < 3 || !realpath(argv[1], backing)) {
        fprintf(stderr, "usage: %s <backing folder> <mount point> [FUSE options...]\n", argv[0]);
        return 2;
    }
    argv[1] = argv[0];  // FUSE's own arguments: the program's name, the mount point, the options
    return fuse_main(argc - 1, argv + 1, &operations, NULL);
}
