#include "framework/TextStreams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {
// A message of many megabytes is read into memory that is touched once, page
// by page: huge pages save most of the page faults that would cost.
void AdviseHugePages(char* data, size_t size) {
    constexpr uintptr_t kHuge = 2u << 20;
    if (size < 4 * kHuge) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

EncodingKind KindOf(const Ref<TextEncoding>& e) { return e.IsNil() ? EncodingKind::Undefined : e->Kind(); }
std::string ErrorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }
}  // namespace

TextInputStream::~TextInputStream() {
    if (fd_ >= 0) ::close(fd_);
}

void TextInputStream::Fill() {
    if (fd_ < 0) throw IOException("stream closed");
    char buffer[1 << 16];
    ssize_t n;
    do n = ::read(fd_, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (n < 0) throw IOException(ErrorText("read"));
    if (n == 0) atEnd_ = true;
    pending_.append(buffer, static_cast<size_t>(n));
    offset_ += n;
}

String TextInputStream::ReadAll(const Ref<TextEncoding>& encoding) {
    if (fd_ < 0) throw IOException("stream closed");
    std::string all = std::move(pending_);
    pending_.clear();
    struct stat st;
    const bool regular = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    const size_t expected = regular && st.st_size > offset_ ? static_cast<size_t>(st.st_size - offset_) : 0;
    // One allocation of the file's size, with room for the read that finds the end.
    all.reserve(all.size() + expected + (1 << 16));
    AdviseHugePages(all.data(), all.capacity());
    size_t got = 0;
    for (;;) {
        size_t old = all.size();
        size_t chunk = all.capacity() > old ? all.capacity() - old : (1 << 16);
        if (chunk < (1 << 16)) chunk = 1 << 16;
        all.resize(old + chunk);
        ssize_t n;
        do n = ::read(fd_, &all[old], chunk);
        while (n < 0 && errno == EINTR);
        if (n < 0) throw IOException(ErrorText("read"));
        all.resize(old + static_cast<size_t>(n));
        offset_ += n;
        got += static_cast<size_t>(n);
        if (n == 0) break;
        // A regular file that gave all it had and less than was asked for is at its end.
        if (regular && got == expected && static_cast<size_t>(n) < chunk) break;
    }
    atEnd_ = true;
    return String(std::move(all), KindOf(encoding));
}

String TextInputStream::ReadLine(const Ref<TextEncoding>& encoding) {
    for (;;) {
        size_t at = pending_.find_first_of("\r\n");
        if (at != std::string::npos && (pending_[at] == '\n' || at + 1 < pending_.size() || atEnd_)) {
            std::string line = pending_.substr(0, at);
            size_t skip = (pending_[at] == '\r' && at + 1 < pending_.size() && pending_[at + 1] == '\n') ? 2 : 1;
            pending_.erase(0, at + skip);
            return String(std::move(line), KindOf(encoding));
        }
        if (atEnd_) {
            std::string line = std::move(pending_);
            pending_.clear();
            return String(std::move(line), KindOf(encoding));
        }
        Fill();
    }
}

void TextInputStream::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

TextOutputStream::~TextOutputStream() {
    if (fd_ >= 0) ::close(fd_);
}

void TextOutputStream::Write(const String& text) {
    if (fd_ < 0) throw IOException("stream closed");
    const std::string& s = text.Bytes();
    // In pieces of 1 MB: one huge write() into the page cache is many times slower.
    constexpr size_t kPiece = 1 << 20;
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = ::write(fd_, s.data() + done, std::min(kPiece, s.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw IOException(ErrorText("write"));
        done += static_cast<size_t>(n);
    }
}


void TextOutputStream::Close() {
    if (fd_ < 0) return;
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0 && errno != EINTR) throw IOException(ErrorText("close"));
}

}  // namespace fw
