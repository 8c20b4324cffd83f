// The mapping of a large buffer. Each new page of a mapping costs the system
// a fault when it is first written, and a message of megabytes has
// thousands of them (on a virtual machine each costs more than copying the
// page): where the system has huge pages, a buffer of a few megabytes takes
// them, a fault per 2 MB instead of one per page.
#include "framework/ByteBuffer.h"

#include <cstdint>

namespace fw::detail {

namespace {
#ifdef MADV_HUGEPAGE
constexpr size_t kHugePage = 2u << 20;
#else
constexpr size_t kHugePage = 0;  // none to be had
#endif
bool OnHugePages(size_t size) { return kHugePage != 0 && size >= kHugePage; }
}  // namespace

// What is mapped for a buffer of `size` bytes: on huge pages, whole ones.
size_t MappedSize(size_t size) {
    return OnHugePages(size) ? (size + kHugePage - 1) & ~(kHugePage - 1) : size;
}

char* KeepAlignedPart(char* begin, size_t asked, size_t mapped) {
    char* const start =
        reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(begin) + kHugePage - 1) & ~(kHugePage - 1));
    if (start > begin) ::munmap(begin, static_cast<size_t>(start - begin));
    if (begin + asked > start + mapped) ::munmap(start + mapped, static_cast<size_t>(begin + asked - (start + mapped)));
    return start;
}

char* MapBuffer(size_t size) {
    const size_t mapped = MappedSize(size);
    if (!OnHugePages(size)) {
        void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        return static_cast<char*>(p);
    }
    // A huge page more than needed, so that the buffer can start on a huge
    // page's boundary; only the aligned part is kept.
    const size_t asked = mapped + kHugePage;
    void* p = ::mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    char* const start = KeepAlignedPart(static_cast<char*>(p), asked, mapped);
#ifdef MADV_HUGEPAGE
    ::madvise(start, mapped, MADV_HUGEPAGE);  // only advice: without it the pages are small
#endif
    return start;
}

}  // namespace fw::detail
