// The buffers a message is read into: every byte they offer can be written,
// and growing one keeps its text and the room in front, whatever its size
// (small ones come from the allocator, large ones are mapped, the largest
// on huge pages where the system has them); a mapped one holds only what it
// uses, and gives it all back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

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

namespace {

// What the process has mapped now, in bytes.
size_t MappedNow() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) * 1024;
    return 0;
}

}  // namespace

// A large buffer maps what it uses and no more (what was mapped beyond, to
// start on a huge page's boundary, is given back at once), and gives all of
// it back when it goes: a run's memory stays flat however many it reads.
TEST(ByteBuffer, ALargeBufferMapsOnlyWhatItUsesAndGivesAllOfItBack) {
    constexpr size_t kMB = 1u << 20;
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    for (const size_t capacity : {2 * kMB, 5 * kMB + 3, 9 * kMB - 1}) {
        SCOPED_TRACE(capacity);
        const size_t each = (fw::detail::MappedSize(capacity) + page - 1) / page * page;
        std::vector<ByteBuffer> buffers;
        buffers.reserve(8);
        const size_t before = MappedNow();
        for (int i = 0; i < 8; ++i) buffers.emplace_back(0, capacity);
        const size_t held = MappedNow();
        buffers.clear();
        const size_t after = MappedNow();
        constexpr size_t kSlack = 512u << 10;  // whatever else the process maps meanwhile
        EXPECT_NEAR(double(held - before), double(8 * each), double(kSlack));
        EXPECT_NEAR(double(after), double(before), double(kSlack));
    }
}

namespace {

size_t PageSize() { return static_cast<size_t>(::sysconf(_SC_PAGESIZE)); }

// Whether every page of [from, to) is mapped, or any is.
bool AllPagesMapped(char* from, char* to) {
    std::vector<unsigned char> resident(static_cast<size_t>(to - from) / PageSize() + 1);
    return ::mincore(from, static_cast<size_t>(to - from), resident.data()) == 0;
}
bool AnyPageMapped(char* from, char* to) {
    unsigned char resident;
    for (char* page = from; page < to; page += PageSize())
        if (::mincore(page, PageSize(), &resident) == 0) return true;
    return false;
}

}  // namespace

// Of the huge page more that a large buffer maps so that it can start on a
// huge page's boundary, nothing stays mapped, before it or after it.
TEST(ByteBuffer, ALargeBuffersMappingKeepsOnlyItsAlignedPart) {
    constexpr size_t kHuge = 2u << 20;
    const size_t mapped = fw::detail::MappedSize(3 * kHuge - 5);
    if (mapped != 3 * kHuge) GTEST_SKIP() << "no huge pages on this system";
    const size_t asked = mapped + kHuge;
    // How far past a huge page's boundary the system's mapping begins.
    for (const size_t offset : {size_t(0), PageSize(), kHuge / 2, kHuge - PageSize()}) {
        SCOPED_TRACE(offset);
        void* room = ::mmap(nullptr, asked + 2 * kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(room, MAP_FAILED);
        char* const boundary =
            reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(room) + kHuge - 1) & ~uintptr_t(kHuge - 1));
        char* const begin = boundary + offset;
        char* const roomEnd = static_cast<char*>(room) + asked + 2 * kHuge;
        if (begin > room) ::munmap(room, static_cast<size_t>(begin - static_cast<char*>(room)));
        ::munmap(begin + asked, static_cast<size_t>(roomEnd - (begin + asked)));

        char* const start = fw::detail::KeepAlignedPart(begin, asked, mapped);
        EXPECT_EQ(start, offset == 0 ? boundary : boundary + kHuge);
        EXPECT_TRUE(AllPagesMapped(start, start + mapped));
        EXPECT_FALSE(AnyPageMapped(begin, start));
        EXPECT_FALSE(AnyPageMapped(start + mapped, begin + asked));
        ::munmap(start, mapped);
    }
}
