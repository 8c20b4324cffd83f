#pragma once
// Bytes in one allocation that is never zero-filled, with room kept in front
// of them: a writer can put a line before the text without moving the text.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/mman.h>
#include <new>

namespace fw {

namespace detail {
// A large buffer is mapped for itself and returned to the system when it
// goes: the memory of a message of many megabytes is not kept by the
// allocator afterwards, so a run's memory stays flat.
inline constexpr size_t kMappedBuffer = 1u << 20;
char* MapBuffer(size_t size);
size_t MappedSize(size_t size);
// Of a mapping of `asked` bytes at `begin` (a huge page more than `mapped`),
// keeps `mapped` bytes from the first huge page boundary and gives back the
// rest, before and after: where they start.
char* KeepAlignedPart(char* begin, size_t asked, size_t mapped);
struct ReleaseBuffer {
    size_t size = 0;
    void operator()(char* p) const {
        if (size < kMappedBuffer) delete[] p;
        else ::munmap(p, MappedSize(size));
    }
};
}  // namespace detail

class ByteBuffer {
public:
    ByteBuffer() = default;
    // Room for `front` bytes before the text and `capacity` bytes of text.
    ByteBuffer(size_t front, size_t capacity)
        : storage_(Allocate(front + capacity)), begin_(front), end_(front), limit_(front + capacity) {}

    char* Data() { return storage_.get() + begin_; }
    const char* Data() const { return storage_.get() + begin_; }
    size_t Size() const { return end_ - begin_; }
    bool Empty() const { return end_ == begin_; }
    char Back() const { return storage_[end_ - 1]; }
    // Bytes that can still be added at the end.
    size_t Spare() const { return limit_ - end_; }
    std::string_view View() const { return {Data(), Size()}; }

    // The text now ends `size` bytes from its start (at most its size plus Spare()).
    void SetSize(size_t size) { end_ = begin_ + size; }
    void PushBack(char c) { storage_[end_++] = c; }
    // Puts the bytes in front of the text; false when the room there is too small.
    bool Prepend(std::string_view bytes) {
        if (bytes.size() > begin_) return false;
        begin_ -= bytes.size();
        std::memcpy(storage_.get() + begin_, bytes.data(), bytes.size());
        return true;
    }
    // Makes room for at least `extra` more bytes at the end, keeping the text
    // and what is in front of it.
    void Grow(size_t extra) {
        if (Spare() >= extra) return;
        const size_t total = std::max(2 * limit_, end_ + extra);
        Storage bigger = Allocate(total);
        if (storage_) std::memcpy(bigger.get(), storage_.get(), end_);
        storage_ = std::move(bigger);
        limit_ = total;
    }

private:
    using Storage = std::unique_ptr<char[], detail::ReleaseBuffer>;
    static Storage Allocate(size_t size);

    Storage storage_;
    size_t begin_ = 0, end_ = 0, limit_ = 0;
};

inline ByteBuffer::Storage ByteBuffer::Allocate(size_t size) {
    if (size < detail::kMappedBuffer) return Storage(new char[size], detail::ReleaseBuffer{size});
    return Storage(detail::MapBuffer(size), detail::ReleaseBuffer{size});
}

}  // namespace fw
