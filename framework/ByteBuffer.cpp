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
bool OnHugePages(size_t size) { return size >= kHugePage; }
#endif
}  // namespace

// What is mapped for a buffer of `size` bytes: on huge pages, whole ones.
size_t MappedSize(size_t size) {
#ifdef MADV_HUGEPAGE
    if (OnHugePages(size)) return (size + kHugePage - 1) & ~(kHugePage - 1);
#endif
    return size;
}

char* MapBuffer(size_t size) {
    const size_t mapped = MappedSize(size);
    size_t asked = mapped;
#ifdef MADV_HUGEPAGE
    if (OnHugePages(size)) asked += kHugePage;  // room to start on a huge page's boundary
#endif
    void* p = ::mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    char* start = static_cast<char*>(p);
#ifdef MADV_HUGEPAGE
    if (OnHugePages(size)) {
        // Only the aligned part is kept; the advice is only advice.
        const uintptr_t at = reinterpret_cast<uintptr_t>(p);
        start = reinterpret_cast<char*>((at + kHugePage - 1) & ~(kHugePage - 1));
        if (start > static_cast<char*>(p)) ::munmap(p, static_cast<size_t>(start - static_cast<char*>(p)));
        char* end = start + mapped;
        char* mappedEnd = static_cast<char*>(p) + asked;
        if (mappedEnd > end) ::munmap(end, static_cast<size_t>(mappedEnd - end));
        ::madvise(start, mapped, MADV_HUGEPAGE);
    }
#endif
    return start;
}

}  // namespace fw::detail
