#pragma once
// Bytes in one allocation that is never zero-filled, with room kept in front
// of them: a writer can put a line before the text without moving the text.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace fw {

class ByteBuffer {
public:
    ByteBuffer() = default;
    // Room for `front` bytes before the text and `capacity` bytes of text.
    ByteBuffer(size_t front, size_t capacity)
        : storage_(new char[front + capacity]), begin_(front), end_(front), limit_(front + capacity) {}

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
        std::unique_ptr<char[]> bigger(new char[total]);
        if (storage_) std::memcpy(bigger.get(), storage_.get(), end_);
        storage_ = std::move(bigger);
        limit_ = total;
    }

private:
    std::unique_ptr<char[]> storage_;
    size_t begin_ = 0, end_ = 0, limit_ = 0;
};

}  // namespace fw
