#include "engine/PlistText.h"

#include <cstdint>

#include "framework/Text.h"

namespace {

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
        size_t len = fw::DecodeUTF8(bytes, 0, cp);
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
