#include "framework/Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace fw {

namespace {

std::string Latin1ToUTF8(const std::string& in) {
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    for (unsigned char c : in) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string UTF8ToLatin1(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        uint32_t cp = 0;
        size_t len = DecodeUTF8(in, i, cp);
        if (len == 0) {  // a stray byte stands for itself
            out.push_back(in[i]);
            ++i;
            continue;
        }
        out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        i += len;
    }
    return out;
}

bool IsSingleByte(EncodingKind kind) { return kind != EncodingKind::UTF8; }

// Byte offset of character `count` of the text.
size_t CharOffset(const String& text, size_t count) {
    const std::string& s = text.Bytes();
    if (IsSingleByte(text.Kind())) return std::min(count, s.size());
    size_t i = 0;
    for (size_t n = 0; n < count && i < s.size(); ++n) {
        uint32_t cp;
        size_t len = DecodeUTF8(s, i, cp);
        i += len ? len : 1;
    }
    return i;
}

// Both texts in one encoding, so that their bytes can be compared or joined.
EncodingKind CommonKind(const String& a, const String& b) {
    if (a.Kind() == b.Kind()) return a.Kind();
    return EncodingKind::UTF8;
}

std::string BytesIn(const String& s, EncodingKind kind) {
    if (s.Kind() == kind || kind == EncodingKind::Undefined || s.Kind() == EncodingKind::Undefined)
        return s.Bytes();
    if (kind == EncodingKind::UTF8) return Latin1ToUTF8(s.Bytes());
    return UTF8ToLatin1(s.Bytes());
}

// Removes every `c` in place, moving the runs between them with memmove
// (several times faster than a byte loop on a large message).
void RemoveAllOf(std::string& s, char c) {
    char* const begin = &s[0];
    char* const end = begin + s.size();
    char* to = static_cast<char*>(std::memchr(begin, c, s.size()));
    if (!to) return;
    for (char* from = to + 1; from < end;) {
        char* next = static_cast<char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
        if (!next) next = end;
        std::memmove(to, from, static_cast<size_t>(next - from));
        to += next - from;
        from = next + 1;
    }
    s.resize(static_cast<size_t>(to - begin));
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

size_t DecodeUTF8(std::string_view s, size_t i, uint32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    if (c < 0x80) { cp = c; return 1; }
    size_t len;
    uint32_t min;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

Ref<TextEncoding> EncodingsGetter(int32_t number) {
    static const Ref<TextEncoding> latin1 = New<TextEncoding>(EncodingKind::Latin1, kEncodingLatin1);
    static const Ref<TextEncoding> utf8 = New<TextEncoding>(EncodingKind::UTF8, kEncodingUTF8);
    if (number == kEncodingLatin1) return latin1;
    if (number == kEncodingUTF8) return utf8;
    return Nil;
}

std::string String::ToUTF8() const { return BytesIn(*this, EncodingKind::UTF8); }

String& String::operator+=(const String& other) {
    if (other.bytes_.empty()) return *this;
    if (bytes_.empty()) {
        *this = other;
        return *this;
    }
    if (kind_ == other.kind_ || IsAscii(other.bytes_)) {
        bytes_ += other.bytes_;
    } else if (IsAscii(bytes_)) {
        bytes_ += other.bytes_;
        kind_ = other.kind_;
    } else {
        EncodingKind kind = CommonKind(*this, other);
        bytes_ = BytesIn(*this, kind) + BytesIn(other, kind);
        kind_ = kind;
    }
    return *this;
}

String operator+(String a, const String& b) {
    a += b;
    return a;
}

int32_t StringCountFields(const String& text, const String& delimiter) {
    const std::string& s = text.Bytes();
    if (s.empty()) return 0;
    const std::string d = BytesIn(delimiter, text.Kind());
    if (d.empty()) return 1;
    int32_t n = 1;
    for (size_t at = s.find(d); at != std::string::npos; at = s.find(d, at + d.size())) ++n;
    return n;
}

String StringNthField(const String& text, const String& delimiter, int32_t index) {
    const std::string& s = text.Bytes();
    if (index < 1) return String(std::string(), text.Kind());
    const std::string d = BytesIn(delimiter, text.Kind());
    if (d.empty()) return index == 1 ? text : String(std::string(), text.Kind());
    size_t start = 0;
    for (int32_t i = 1; i < index; ++i) {
        size_t at = s.find(d, start);
        if (at == std::string::npos) return String(std::string(), text.Kind());
        start = at + d.size();
    }
    size_t end = s.find(d, start);
    if (end == std::string::npos) end = s.size();
    return String(s.substr(start, end - start), text.Kind());
}

String StringDBCSLeft(const String& text, int32_t count) {
    if (count <= 0) return String(std::string(), text.Kind());
    return String(text.Bytes().substr(0, CharOffset(text, static_cast<size_t>(count))), text.Kind());
}

int32_t StringDBCSLen(const String& text) {
    const std::string& s = text.Bytes();
    if (IsSingleByte(text.Kind())) return static_cast<int32_t>(std::min<size_t>(s.size(), INT32_MAX));
    int32_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        uint32_t cp;
        size_t len = DecodeUTF8(s, i, cp);
        i += len ? len : 1;
    }
    return n;
}

String StringReplaceAll(String text, const String& find, const String& replacement) {
    const std::string f = BytesIn(find, text.Kind());
    if (f.empty() || text.IsEmpty()) return text;
    const std::string r = BytesIn(replacement, text.Kind());
    EncodingKind kind = text.Kind();
    std::string s = std::move(text).TakeBytes();
    if (f.size() == 1 && r.empty()) {  // the common case, removing one character, in place
        RemoveAllOf(s, f[0]);
        return String(std::move(s), kind);
    }
    std::string out;
    out.reserve(s.size());
    size_t start = 0;
    for (size_t at = s.find(f); at != std::string::npos; at = s.find(f, start)) {
        out.append(s, start, at - start);
        out += r;
        start = at + f.size();
    }
    out.append(s, start, std::string::npos);
    return String(std::move(out), kind);
}

String StringDBCSChr(uint32_t code) {
    std::string out;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return String(std::move(out), EncodingKind::UTF8);
}

String StringStrInt32(int32_t value) { return String(std::to_string(value)); }

double StringVal(const String& text) {
    const std::string s = text.Bytes();
    return std::strtod(s.c_str(), nullptr);
}

String StringConvertEncoding(String text, const Ref<TextEncoding>& encoding) {
    if (encoding.IsNil()) return text;
    EncodingKind to = encoding->Kind();
    if (text.Kind() == to) return text;
    if (text.Kind() == EncodingKind::Undefined) return String(std::move(text).TakeBytes(), to);
    return String(BytesIn(text, to), to);
}

int32_t RuntimeStringCompare(const String& a, const String& b) {
    EncodingKind kind = CommonKind(a, b);
    const std::string x = BytesIn(a, kind), y = BytesIn(b, kind);
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(x[i]), d = static_cast<unsigned char>(y[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
        if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d - 'A' + 'a');
        if (c != d) return c < d ? -1 : 1;
    }
    if (x.size() == y.size()) return 0;
    return x.size() < y.size() ? -1 : 1;
}

}  // namespace fw
