#include "engine/PlistText.h"

#include <cstdint>

namespace {

// Length of the valid UTF-8 sequence at the start of `s` (0 when it is not
// one: stray, truncated, overlong, surrogate or beyond U+10FFFF).
size_t Utf8SequenceLength(std::string_view s, uint32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(0);
    size_t len;
    uint32_t min;
    if (c < 0x80) { cp = c; return 1; }
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1Fu; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0Fu; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07u; min = 0x10000; }
    else return 0;
    if (s.size() < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool AllowedInXml(uint32_t cp) { return (cp >= 0x20 || cp == '\t') && cp != 0xFFFE && cp != 0xFFFF; }

void AppendLatin1(std::string& out, unsigned char c) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

}  // namespace

void AppendPlistText(std::string& out, std::string_view bytes) {
    out.reserve(out.size() + bytes.size());
    while (!bytes.empty()) {
        uint32_t cp = 0;
        size_t len = Utf8SequenceLength(bytes, cp);
        if (len == 0) {  // a byte of 0x80 or above: U+0080 to U+00FF, all allowed in XML 1.0
            AppendLatin1(out, static_cast<unsigned char>(bytes.front()));
            len = 1;
        } else if (cp == '&') {
            out += "&amp;";
        } else if (cp == '<') {
            out += "&lt;";
        } else if (cp == '>') {
            out += "&gt;";
        } else if (AllowedInXml(cp)) {
            out.append(bytes.data(), len);
        }
        bytes.remove_prefix(len);
    }
}
