#include "framework/FinderInfo.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/xattr.h>

namespace fw {

namespace {

#ifdef __APPLE__
constexpr const char* kFinderInfo = "com.apple.FinderInfo";
ssize_t GetXattr(const char* path, void* buffer, size_t size, bool follow) {
    return ::getxattr(path, kFinderInfo, buffer, size, 0, follow ? 0 : XATTR_NOFOLLOW);
}
int SetXattr(const char* path, const void* buffer, size_t size) {
    return ::setxattr(path, kFinderInfo, buffer, size, 0, XATTR_NOFOLLOW);
}
int RemoveXattr(const char* path) { return ::removexattr(path, kFinderInfo, XATTR_NOFOLLOW); }
ssize_t FGetXattr(int fd, void* buffer, size_t size) { return ::fgetxattr(fd, kFinderInfo, buffer, size, 0, 0); }
int FSetXattr(int fd, const void* buffer, size_t size) { return ::fsetxattr(fd, kFinderInfo, buffer, size, 0, 0); }
int FRemoveXattr(int fd) { return ::fremovexattr(fd, kFinderInfo, 0); }
#ifndef ENODATA
#define ENODATA ENOATTR
#endif
#else
constexpr const char* kFinderInfo = "user.com.apple.FinderInfo";
ssize_t GetXattr(const char* path, void* buffer, size_t size, bool follow) {
    return follow ? ::getxattr(path, kFinderInfo, buffer, size) : ::lgetxattr(path, kFinderInfo, buffer, size);
}
int SetXattr(const char* path, const void* buffer, size_t size) {
    return ::lsetxattr(path, kFinderInfo, buffer, size, 0);
}
int RemoveXattr(const char* path) { return ::lremovexattr(path, kFinderInfo); }
ssize_t FGetXattr(int fd, void* buffer, size_t size) { return ::fgetxattr(fd, kFinderInfo, buffer, size); }
int FSetXattr(int fd, const void* buffer, size_t size) { return ::fsetxattr(fd, kFinderInfo, buffer, size, 0); }
int FRemoveXattr(int fd) { return ::fremovexattr(fd, kFinderInfo); }
#endif

// What an attribute read gave: the information, or none when it gave nothing.
std::optional<FinderInfoBytes> Read(ssize_t got, const FinderInfoBytes& info) {
    if (got <= 0) return std::nullopt;
    return info;
}

// What a write or removal gave, with what is no failure taken as success.
int Written(int rc, bool removed) {
    if (rc != 0 && removed && errno == ENODATA) return 0;   // there was none
    if (rc != 0 && !removed && errno == ENOTSUP) return 0;  // this file system keeps no codes
    return rc;
}

}  // namespace

std::optional<FinderInfoBytes> FinderInfoOf(int fd) {
    FinderInfoBytes info{};
    return Read(FGetXattr(fd, info.data(), info.size()), info);
}

std::optional<FinderInfoBytes> FinderInfoOf(const char* path, bool followLink) {
    FinderInfoBytes info{};
    return Read(GetXattr(path, info.data(), info.size(), followLink), info);
}

String FinderCodeAt(const std::optional<FinderInfoBytes>& info, size_t offset) {
    if (!info) return String();
    std::string code(info->data() + offset, 4);
    if (code == std::string(4, '\0')) return String();
    return String(std::move(code), EncodingKind::Latin1);
}

FinderInfoBytes WithFinderCode(FinderInfoBytes info, size_t offset, const String& code) {
    std::string bytes = StringConvertEncoding(code, EncodingsGetter(kEncodingLatin1)).Bytes();
    bytes.resize(4, bytes.empty() ? '\0' : ' ');
    std::copy(bytes.begin(), bytes.end(), info.begin() + static_cast<std::ptrdiff_t>(offset));
    return info;
}

bool HoldsNoFinderCodes(const FinderInfoBytes& info) {
    return std::all_of(info.begin(), info.end(), [](char c) { return c == 0; });
}

int WriteFinderInfo(int fd, const FinderInfoBytes& info) {
    if (HoldsNoFinderCodes(info)) return Written(FRemoveXattr(fd), true);
    return Written(FSetXattr(fd, info.data(), info.size()), false);
}

int WriteFinderInfo(const char* path, const FinderInfoBytes& info) {
    if (HoldsNoFinderCodes(info)) return Written(RemoveXattr(path), true);
    return Written(SetXattr(path, info.data(), info.size()), false);
}

FolderItem::MacCodes CodesOf(int fd) {
    const std::optional<FinderInfoBytes> info = FinderInfoOf(fd);
    if (!info) return {};
    return {FinderCodeAt(info, kFinderTypeOffset), FinderCodeAt(info, kFinderCreatorOffset)};
}

}  // namespace fw
