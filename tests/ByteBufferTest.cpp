// The buffers a message is read into: every byte they offer can be written,
// and growing one keeps its text and the room in front, whatever its size
// (small ones come from the allocator, large ones are mapped, the largest
// on huge pages where the system has them).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/ByteBuffer.h"

using fw::ByteBuffer;

TEST(ByteBuffer, EveryByteOfferedIsTheBuffersOwnAndGrowingKeepsTheText) {
    constexpr size_t kMB = 1u << 20;
    for (const size_t capacity : {size_t(100), kMB - 65, kMB, 2 * kMB - 1, 2 * kMB, 2 * kMB + 1, 5 * kMB + 3}) {
        SCOPED_TRACE(capacity);
        ByteBuffer buffer(64, capacity);
        ASSERT_EQ(buffer.Spare(), capacity);
        for (size_t i = 0; i < capacity; ++i) buffer.PushBack(static_cast<char>('a' + i % 26));
        EXPECT_EQ(buffer.Spare(), 0u);
        buffer.Grow(3 * kMB);
        ASSERT_GE(buffer.Spare(), 3 * kMB);
        std::memset(buffer.Data() + buffer.Size(), 'z', buffer.Spare());  // the new room, to its last byte
        ASSERT_TRUE(buffer.Prepend(std::string(64, '#')));
        const std::string_view text = buffer.View();
        ASSERT_EQ(text.size(), capacity + 64);
        EXPECT_EQ(text.substr(0, 64), std::string(64, '#'));
        size_t wrong = 0;
        for (size_t i = 0; i < capacity; ++i) wrong += text[64 + i] != static_cast<char>('a' + i % 26);
        EXPECT_EQ(wrong, 0u);
    }
}
