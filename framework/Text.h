#pragma once
// Framework texts. A String is a run of bytes with the encoding they are in.
// Encoding number 43 is ISO-8859-1: one character per byte, so reading,
// changing and writing message text is byte-exact and lossless for any input,
// and character counts equal byte counts. Texts for the screen are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Object.h"

namespace fw {

enum class EncodingKind { Undefined, Latin1, UTF8 };

class TextEncoding : public Object {
public:
    TextEncoding(EncodingKind kind, int32_t number) : kind_(kind), number_(number) {}
    EncodingKind Kind() const { return kind_; }
    int32_t Number() const { return number_; }

private:
    EncodingKind kind_;
    int32_t number_;
};

// The encoding of a framework number: 43 is ISO-8859-1, 0x08000100 is UTF-8;
// any other number gives Nil.
Ref<TextEncoding> EncodingsGetter(int32_t number);
inline constexpr int32_t kEncodingLatin1 = 43;
inline constexpr int32_t kEncodingUTF8 = 0x08000100;

class String {
public:
    String() = default;
    String(const char* utf8) : bytes_(utf8 ? utf8 : ""), kind_(EncodingKind::UTF8) {}
    String(std::string utf8) : bytes_(std::move(utf8)), kind_(EncodingKind::UTF8) {}
    String(std::string bytes, EncodingKind kind) : bytes_(std::move(bytes)), kind_(kind) {}

    const std::string& Bytes() const& { return bytes_; }
    std::string&& TakeBytes() && { return std::move(bytes_); }
    EncodingKind Kind() const { return kind_; }
    bool IsEmpty() const { return bytes_.empty(); }
    // The text as UTF-8 (for the screen and for file names).
    std::string ToUTF8() const;

    // Same characters in the same encoding (byte equality).
    bool operator==(const String& other) const { return kind_ == other.kind_ && bytes_ == other.bytes_; }
    bool operator!=(const String& other) const { return !(*this == other); }

    String& operator+=(const String& other);

private:
    std::string bytes_;
    EncodingKind kind_ = EncodingKind::UTF8;
};

String operator+(String a, const String& b);

// The UTF-8 sequence at byte `i`: its length, with its code point in `cp`, or
// 0 when the bytes there are not valid UTF-8 (stray, truncated, overlong,
// surrogate or beyond U+10FFFF).
size_t DecodeUTF8(std::string_view s, size_t i, uint32_t& cp);

// Number of fields `delimiter` splits the text into (an empty text has none).
int32_t StringCountFields(const String& text, const String& delimiter);
// Field `index`, counted from 1; empty when the text has fewer fields.
String StringNthField(const String& text, const String& delimiter, int32_t index);
// The first `count` characters.
String StringDBCSLeft(const String& text, int32_t count);
// Length in characters.
int32_t StringDBCSLen(const String& text);
// Every occurrence of `find` replaced by `replacement`.
String StringReplaceAll(String text, const String& find, const String& replacement);
// The one-character text of a character code.
String StringDBCSChr(uint32_t code);
// The decimal text of an integer.
String StringStrInt32(int32_t value);
// The number at the start of the text (0 when there is none).
double StringVal(const String& text);
// The text in another encoding. A Nil encoding leaves the text as it is.
String StringConvertEncoding(String text, const Ref<TextEncoding>& encoding);
// 0 when equal; letter case of ASCII letters is not distinguished.
int32_t RuntimeStringCompare(const String& a, const String& b);

}  // namespace fw
