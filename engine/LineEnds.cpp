#include "engine/LineEnds.h"

#include <cstring>

size_t NormalizeLineEnds(char* text, size_t size) {
    char* const end = text + size;
    char* cr = static_cast<char*>(std::memchr(text, '\r', size));
    if (!cr) return size;
    char* to = cr;  // where the next kept byte goes
    char* from = cr;
    while (from < end) {
        // `from` is at a run of CRs.
        char* after = from;
        while (after < end && *after == '\r') ++after;
        if (after < end && *after == '\n') {
            from = after;  // dropped: the LF that follows ends the line
        } else {
            std::memset(to, '\n', static_cast<size_t>(after - from));
            to += after - from;
            from = after;
        }
        // The bytes up to the next CR stay as they are.
        char* next = static_cast<char*>(std::memchr(from, '\r', static_cast<size_t>(end - from)));
        if (!next) next = end;
        if (to != from) std::memmove(to, from, static_cast<size_t>(next - from));
        to += next - from;
        from = next;
    }
    return static_cast<size_t>(to - text);
}
