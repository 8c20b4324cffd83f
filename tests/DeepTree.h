#pragma once
// Trees deeper than the system's path limit, made, read and removed through
// open folder handles, as std::filesystem cannot.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace deep_tree {

// An open folder handle that closes itself.
class Folder {
public:
    explicit Folder(int fd) : fd_(fd) {}
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    Folder(Folder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Folder& operator=(Folder&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Folder() {
        if (fd_ >= 0) ::close(fd_);
    }
    int fd() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

inline Folder Open(int at, const std::string& name) {
    return Folder(::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The folder reached from `root` through the names, or a closed one.
inline Folder OpenPath(const std::filesystem::path& root, const std::vector<std::string>& names) {
    Folder folder(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const std::string& name : names) {
        if (!folder) break;
        folder = Open(folder.fd(), name);
    }
    return folder;
}

inline bool WriteFile(int at, const std::string& name, const std::string& bytes) {
    const int fd = ::openat(at, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

// The file's bytes, or "<absent>".
inline std::string ReadFile(int at, const std::string& name) {
    const int fd = ::openat(at, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return "<absent>";
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

// Removes everything inside the folder handle, at any depth.
inline void EmptyFolder(int fd) {
    const int listFd = ::dup(fd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(dir);
    for (const std::string& name : names) {
        if (::unlinkat(fd, name.c_str(), 0) == 0) continue;
        ::fchmodat(fd, name.c_str(), 0700, 0);
        if (Folder sub = Open(fd, name)) EmptyFolder(sub.fd());
        ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
}

// Removes a tree of any depth.
inline void RemoveTree(const std::filesystem::path& root) {
    ::chmod(root.c_str(), 0700);
    if (Folder folder{::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)}) EmptyFolder(folder.fd());
    ::rmdir(root.c_str());
    ::unlink(root.c_str());
}

}  // namespace deep_tree
