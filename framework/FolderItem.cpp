#include "framework/FolderItem.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "framework/Picture.h"
#include "framework/TextStreams.h"

namespace fs = std::filesystem;

namespace fw {

namespace {

#ifdef __APPLE__
constexpr const char* kFinderInfo = "com.apple.FinderInfo";
#define QUELMAR_GETXATTR(p, n, b, s) ::getxattr(p, n, b, s, 0, XATTR_NOFOLLOW)
#define QUELMAR_SETXATTR(p, n, b, s) ::setxattr(p, n, b, s, 0, XATTR_NOFOLLOW)
#define QUELMAR_REMOVEXATTR(p, n) ::removexattr(p, n, XATTR_NOFOLLOW)
#else
constexpr const char* kFinderInfo = "user.com.apple.FinderInfo";
#define QUELMAR_GETXATTR(p, n, b, s) ::lgetxattr(p, n, b, s)
#define QUELMAR_SETXATTR(p, n, b, s) ::lsetxattr(p, n, b, s, 0)
#define QUELMAR_REMOVEXATTR(p, n) ::lremovexattr(p, n)
#endif

using FinderInfo = std::array<char, 32>;

bool ReadFinderInfo(const fs::path& path, FinderInfo& info) {
    info.fill(0);
    ssize_t n = QUELMAR_GETXATTR(path.c_str(), kFinderInfo, info.data(), info.size());
    return n > 0;
}

std::string IOError(const std::string& what, const fs::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

bool Stat(const fs::path& path, struct stat& st, bool followLink) {
    return (followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0;
}

std::function<void(const fs::path&)>& CreationObserver() {
    static std::function<void(const fs::path&)> observer;
    return observer;
}

void Created(const fs::path& path) {
    if (CreationObserver()) CreationObserver()(path);
}

}  // namespace

void SetCreationObserver(std::function<void(const fs::path&)> observer) { CreationObserver() = std::move(observer); }

FolderItem::FolderItem(fs::path path) : path_(std::move(path)) {}

Ref<FolderItem> FolderItemFromPath(const fs::path& path) { return New<FolderItem>(path); }

String FolderItem::Name() const {
    fs::path p = path_;
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return String(p.filename().string());
}

String FolderItem::DisplayName() const { return Name(); }

String FolderItem::AbsolutePath() const { return String(fs::absolute(path_).lexically_normal().string()); }

Ref<FolderItem> FolderItem::Parent() const {
    fs::path abs = fs::absolute(path_).lexically_normal();
    if (!abs.has_filename()) abs = abs.parent_path();
    if (abs == abs.root_path()) return Nil;
    return New<FolderItem>(abs.parent_path());
}

Ref<FolderItem> FolderItem::Child(const String& name) const {
    // A child is an entry of this folder: a name that would lead elsewhere names none.
    const std::string n = name.ToUTF8();
    if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos) return Nil;
    return New<FolderItem>(path_ / fs::path(n));
}

int32_t FolderItem::Count() {
    // Listed afresh at every count, so a folder kept between runs shows what
    // it holds now; Item indexes the listing of the last count.
    listing_.reset();
    return Listing();
}

int32_t FolderItem::Listing() {
    if (!listing_) {
        std::vector<ListedEntry> entries;
        std::error_code ec;
        for (fs::directory_iterator it(path_, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            const fs::file_type type = it->symlink_status(typeError).type();
            entries.push_back({it->path().filename(), typeError ? fs::file_type::none : type});
        }
        if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
            throw IOException("cannot list " + path_.string() + ": " + ec.message());
        std::sort(entries.begin(), entries.end(),
                  [](const ListedEntry& a, const ListedEntry& b) { return a.name.native() < b.name.native(); });
        listing_ = std::move(entries);
    }
    return static_cast<int32_t>(std::min<size_t>(listing_->size(), INT32_MAX));
}

Ref<FolderItem> FolderItem::Item(int32_t index) {
    int32_t n = Listing();
    if (index < 1 || index > n) return Nil;
    const ListedEntry& entry = (*listing_)[static_cast<size_t>(index - 1)];
    Ref<FolderItem> item = New<FolderItem>(path_ / entry.name);
    item->listedType_ = entry.type;
    return item;
}

bool FolderItem::Exists() const {
    struct stat st;
    return Stat(path_, st, false);
}

bool FolderItem::Directory() const {
    if (listedType_ == fs::file_type::regular) return false;
    if (listedType_ == fs::file_type::directory) return true;
    struct stat st;
    return Stat(path_, st, true) && S_ISDIR(st.st_mode);
}

bool FolderItem::Alias() const {
    if (listedType_ == fs::file_type::regular || listedType_ == fs::file_type::directory) return false;
    if (listedType_ == fs::file_type::symlink) return true;
    struct stat st;
    return Stat(path_, st, false) && S_ISLNK(st.st_mode);
}

bool FolderItem::Visible() const {
    std::string name = Name().ToUTF8();
    return name.empty() || name[0] != '.';
}

bool FolderItem::IsWriteable() const { return ::access(path_.c_str(), W_OK) == 0; }

String FolderItem::FinderCode(size_t offset) const {
    FinderInfo info;
    if (!ReadFinderInfo(path_, info)) return String();
    std::string code(info.data() + offset, 4);
    if (code == std::string(4, '\0')) return String();
    return String(std::move(code), EncodingKind::Latin1);
}

void FolderItem::SetFinderCode(size_t offset, const String& code) {
    FinderInfo info;
    bool had = ReadFinderInfo(path_, info);
    std::string bytes = StringConvertEncoding(code, EncodingsGetter(kEncodingLatin1)).Bytes();
    bytes.resize(4, bytes.empty() ? '\0' : ' ');
    std::copy(bytes.begin(), bytes.end(), info.begin() + static_cast<std::ptrdiff_t>(offset));
    const bool empty = std::all_of(info.begin(), info.end(), [](char c) { return c == 0; });
    if (empty) {
        // No codes at all: leave no Finder information behind.
        if (had && QUELMAR_REMOVEXATTR(path_.c_str(), kFinderInfo) != 0 && errno != ENODATA)
            throw IOException(IOError("cannot clear the file codes of", path_));
        return;
    }
    if (QUELMAR_SETXATTR(path_.c_str(), kFinderInfo, info.data(), info.size()) != 0) {
        if (errno == ENOTSUP) return;  // this file system keeps no codes
        throw IOException(IOError("cannot set the file codes of", path_));
    }
}

String FolderItem::MacType() const { return FinderCode(0); }
String FolderItem::MacCreator() const { return FinderCode(4); }
void FolderItem::SetMacType(const String& code) { SetFinderCode(0, code); }
void FolderItem::SetMacCreator(const String& code) { SetFinderCode(4, code); }

void FolderItem::CreateAsFolder() {
    listedType_ = fs::file_type::none;  // what the listing said no longer holds
    if (::mkdir(path_.c_str(), 0777) == 0) {
        Created(path_);
        return;
    }
    if (errno == EEXIST) return;
    throw IOException(IOError("cannot create the folder", path_));
}

Ref<TextInputStream> FolderItem::OpenAsTextFile() const {
    // Opened without waiting, so that a named pipe cannot hang the program,
    // and only a regular file is read: a device would never end.
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Nil;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return Nil;
    }
    return New<TextInputStream>(fd);
}

Ref<TextOutputStream> FolderItem::CreateTextFile() {
    listedType_ = fs::file_type::none;
    struct stat st;
    if (Stat(path_, st, false)) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            throw IOException(IOError("cannot replace", path_));
        }
        if (::unlink(path_.c_str()) != 0) throw IOException(IOError("cannot replace", path_));
    }
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) throw IOException(IOError("cannot create", path_));
    Ref<TextOutputStream> stream = New<TextOutputStream>(fd);
    Created(path_);
    return stream;
}

Ref<Picture> FolderItem::OpenAsPicture() const {
    QImage image;
    if (!image.load(QString::fromStdString(path_.string()))) return Nil;
    return New<Picture>(std::move(image));
}

std::optional<FolderItem::Identity> FolderItem::EntryIdentity() const {
    struct stat st;
    if (!Stat(path_, st, false)) return std::nullopt;
    return Identity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

}  // namespace fw
