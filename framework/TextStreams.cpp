#include "framework/TextStreams.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

#include "framework/FinderInfo.h"
#include "framework/FolderHandle.h"
#include "framework/HandleLimit.h"

namespace fw {

namespace {
EncodingKind KindOf(const Ref<TextEncoding>& e) { return e.IsNil() ? EncodingKind::Undefined : e->Kind(); }

// Room for the read that finds the end of a file which grew since it was opened.
constexpr size_t kReadSlack = 4096;
}  // namespace

TextInputStream::~TextInputStream() {
    if (fd_ >= 0) CloseCounted(fd_);
}

void TextInputStream::Fail(const char* what, int error) const {
    RaiseIOError(what, folder_ ? folder_->Path() / name_ : std::filesystem::path(name_), error);
}

FolderItem::MacCodes TextInputStream::Codes() const {
    if (fd_ < 0) Fail("cannot read", EBADF);
    return CodesOf(fd_);
}

void TextInputStream::Fill() {
    if (fd_ < 0) Fail("cannot read", EBADF);
    char buffer[1 << 16];
    ssize_t n;
    do n = ::read(fd_, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (n < 0) Fail("cannot read", errno);
    if (n == 0) atEnd_ = true;
    pending_.append(buffer, static_cast<size_t>(n));
    offset_ += static_cast<uint64_t>(n);
}

ByteBuffer TextInputStream::ReadAllBytes(size_t front, size_t back) {
    if (fd_ < 0) Fail("cannot read", EBADF);
    try {
        return ReadRest(front, back);
    } catch (const std::bad_alloc&) {
        // Said with the file and its size: the system's own text names neither.
        Fail(("cannot hold the " + std::to_string(seen_.size) + " bytes of").c_str(), ENOMEM);
    }
}

ByteBuffer TextInputStream::ReadRest(size_t front, size_t back) {
    const size_t expected = seen_.size > offset_ ? static_cast<size_t>(seen_.size - offset_) : 0;
    // One allocation of the file's size: the read that gets all of it and
    // less than was asked for has found the end, so a file costs one read.
    ByteBuffer buffer(front, pending_.size() + expected + back + kReadSlack);
    std::memcpy(buffer.Data(), pending_.data(), pending_.size());
    buffer.SetSize(pending_.size());
    pending_.clear();
    size_t got = 0;
    for (;;) {
        if (buffer.Spare() < back + kReadSlack) buffer.Grow(back + 2 * kReadSlack + buffer.Size());
        const size_t asked = buffer.Spare() - back;
        ssize_t n;
        do n = ::read(fd_, buffer.Data() + buffer.Size(), asked);
        while (n < 0 && errno == EINTR);
        if (n < 0) Fail("cannot read", errno);
        buffer.SetSize(buffer.Size() + static_cast<size_t>(n));
        offset_ += static_cast<uint64_t>(n);
        got += static_cast<size_t>(n);
        if (n == 0 || (got >= expected && static_cast<size_t>(n) < asked)) break;
    }
    atEnd_ = true;
    return buffer;
}

String TextInputStream::ReadAll(const Ref<TextEncoding>& encoding) {
    const ByteBuffer bytes = ReadAllBytes(0, 0);
    return String(std::string(bytes.View()), KindOf(encoding));
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
    if (fd_ >= 0) CloseCounted(fd_);
    fd_ = -1;
}

TextOutputStream::~TextOutputStream() { file_->Discard(); }

void TextOutputStream::Write(const String& text) { WriteGathered({text.Bytes()}); }

void TextOutputStream::WriteGathered(std::initializer_list<std::string_view> pieces) {
    if (!file_->Open()) file_->Fail("cannot write", EBADF);
    std::vector<struct iovec> parts;
    for (std::string_view piece : pieces)
        if (!piece.empty()) parts.push_back({const_cast<char*>(piece.data()), piece.size()});
    size_t first = 0;
    while (first < parts.size()) {
        const ssize_t n = ::writev(file_->fd, &parts[first], static_cast<int>(std::min<size_t>(parts.size() - first, IOV_MAX)));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) file_->Fail("cannot write", errno);
        // A short write (a full disk, a signal) goes on where it stopped.
        size_t done = static_cast<size_t>(n);
        while (first < parts.size() && done >= parts[first].iov_len) done -= parts[first++].iov_len;
        if (first < parts.size()) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
}

void TextOutputStream::Close(const FolderItem::NameTakenCheck& whenTaken) {
    file_->Place(whenTaken);
}

void TextOutputStream::CloseAs(const String& name, const FolderItem::NameTakenCheck& whenTaken) {
    if (!file_->placed) file_->name = name.ToUTF8();
    file_->Place(whenTaken);
}

}  // namespace fw
