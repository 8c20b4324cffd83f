// The property-list trailer: its lines, the header values it takes, the
// sending date, and well-formedness whatever the header holds.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "EmlxReader.h"
#include "engine/DateStamp.h"
#include "engine/PropertyListTrailer.h"

using namespace fw;

namespace {

PropertyList TrailerOf(const std::string& message) {
    return ParsePropertyList(BuildPropertyListTrailer(String(message, EncodingKind::Latin1), UnixTimeStamp).Bytes());
}

std::string Value(const PropertyList& plist, const std::string& key) {
    const PlistEntry* e = plist.Find(key);
    return e ? e->value : "<absent>";
}

}  // namespace

TEST(EmlxTrailer, IsTheSixteenLinesOfAppleMailsPropertyList) {
    const String trailer = BuildPropertyListTrailer(String(
        "From: Ann <ann@example.com>\nTo: bob@example.com\nSubject: Hi\nDate: Thu, 1 Jan 1970 00:01:40 +0000\n\nBody\n",
        EncodingKind::Latin1), UnixTimeStamp);
    EXPECT_EQ(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
<key>date-sent</key>
<real>100</real>
<key>flags</key>
<integer>33815681</integer>
<key>sender</key>
<string>Ann &lt;ann@example.com&gt;</string>
<key>subject</key>
<string>Hi</string>
<key>to</key>
<string>bob@example.com</string>
</dict>
</plist>
)",
              trailer.Bytes());
    EXPECT_EQ(EncodingKind::Latin1, trailer.Kind());  // written byte for byte with the message
}

TEST(EmlxTrailer, WithoutAParseableDateLeavesOutTheDateKeyAndItsValue) {
    for (const char* message : {"", "Subject: x\n", "Date: \n", "Date: not a date\n", "\nDate: Thu, 1 Jan 1970 00:00:00 +0000\n"}) {
        SCOPED_TRACE(message);
        const PropertyList plist = TrailerOf(message);
        ASSERT_EQ("", plist.error);
        EXPECT_EQ((std::vector<std::string>{"flags", "sender", "subject", "to"}), plist.Keys());
        EXPECT_EQ("33815681", Value(plist, "flags"));
    }
}

struct HeaderCase {
    const char* what;
    const char* message;  // as the trailer gets it: CRs removed
    const char* sender;
    const char* subject;
    const char* to;
};

const HeaderCase kHeaderCases[] = {
    {"plain header", "From: a@x\nTo: b@x\nSubject: s\n\nbody\n", "a@x", "s", "b@x"},
    {"reply-to and delivered-to above To", "Delivered-To: d@x\nReply-To: r@x\nTo: t@x\n\n", "", "", "t@x"},
    {"resent-from above From", "Resent-From: r@x\nFrom: f@x\n\n", "f@x", "", ""},
    {"From: only in the body", "Subject: s\n\nFrom: quoted@x\nTo: quoted@x\n", "", "s", ""},
    {"no header section", "\nFrom: a@x\nSubject: s\n", "", "", ""},
    {"key twice on a line", "Subject: one Subject: two\n", "", "one Subject: two", ""},
    {"first of two lines", "Subject: first\nSubject: second\n", "", "first", ""},
    {"any letter case", "FROM: a@x\nsubject: s\ntO: t@x\n", "a@x", "s", "t@x"},
    {"no space after the colon", "From:a@x\nSubject:\ts\nTo:t@x\n", "", "", ""},
    {"spaces kept at both ends", "Subject:   padded  \n", "", "  padded  ", ""},
    {"empty value", "Subject: \nFrom: f\n", "f", "", ""},
    {"folded field: its first line only", "Subject: first part\n second part\n", "", "first part", ""},
    {"encoded words not decoded", "Subject: =?utf-8?q?caf=C3=A9?=\n", "", "=?utf-8?q?caf=C3=A9?=", ""},
    {"mbox From line", "From a@x Thu Jan  1 00:00:00 1970\nFrom: b@x\n", "b@x", "", ""},
    {"no line end at all", "Subject: all", "", "all", ""},
    {"CR-only lines, run together", "From: aSubject: sTo: t", "aSubject: sTo: t", "", ""},
    {"markup characters", "From: \"A & B\" <a@x>\nSubject: 1 < 2 > 0 &amp;\n", "\"A & B\" <a@x>", "1 < 2 > 0 &amp;", ""},
};

TEST(EmlxTrailer, TakesEachValueFromItsHeaderLineOnly) {
    for (const HeaderCase& c : kHeaderCases) {
        SCOPED_TRACE(c.what);
        const PropertyList plist = TrailerOf(c.message);
        ASSERT_EQ("", plist.error);
        EXPECT_EQ(c.sender, Value(plist, "sender"));
        EXPECT_EQ(c.subject, Value(plist, "subject"));
        EXPECT_EQ(c.to, Value(plist, "to"));
    }
}

TEST(EmlxTrailer, BinaryHeaderBytesGiveWellFormedUtf8) {
    struct Case {
        std::string subject;   // raw bytes of the field value
        std::string expected;  // the string Mail reads, UTF-8
    } cases[] = {
        {"caf\xE9", "caf\xC3\xA9"},                        // ISO-8859-1 byte taken as such
        {"caf\xC3\xA9", "caf\xC3\xA9"},                    // valid UTF-8 kept
        {"\xC3", "\xC3\x83"},                              // truncated sequence
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},      // encoded surrogate: three Latin-1 bytes
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                  // overlong
        {std::string("a\0b\x01\x1F\x7F\tc", 8), "ab\x7F\tc"},  // controls dropped, DEL and tab kept
        {"x\xEF\xBF\xBEy\xEF\xBF\xBFz", "xyz"},            // U+FFFE and U+FFFF dropped
        {"\xF0\x9F\x93\xA7 mail", "\xF0\x9F\x93\xA7 mail"},  // beyond the BMP
        {"\x85\x9F", "\xC2\x85\xC2\x9F"},                  // C1 controls are XML 1.0 characters
    };
    for (const Case& c : cases) {
        const PropertyList plist = TrailerOf("Subject: " + c.subject + "\n");
        ASSERT_EQ("", plist.error) << testing::PrintToString(c.subject);
        EXPECT_EQ(c.expected, Value(plist, "subject")) << testing::PrintToString(c.subject);
    }
}

TEST(EmlxTrailer, DateSentIsTheUnixTimeOfTheDateField) {
    const struct {
        const char* date;
        std::optional<int64_t> expected;
    } cases[] = {
        {"Tue, 1 Jul 2003 10:52:37 +0200", 1057049557},
        {"Tue, 1 Jul 2003 10:52:37 +0200 (CEST)", 1057049557},
        {"1 Jul 2003 10:52 +0200", 1057049520},              // no weekday, no seconds
        {"Tue, 01 Jul 2003 10:52:37 GMT", 1057056757},
        {"Tue, 1 Jul 03 10:52:37 EST", 1057074757},          // two-digit year, named zone
        {"Tue, 1 Jul 2003 10:52:37 PDT", 1057081957},
        {"Tue, 1 Jul 2003 10:52:37 Z", 1057056757},          // military zone
        {"Tue, 1 Jul 97 10:52:37 GMT", 867754357},
        {"Thu, 1 Jan 1970 00:00:00 +0000", 0},
        {"Wed, 31 Dec 1969 12:00:00 +0000", -43200},
        {"Mon, 18 Jan 2038 19:14:07 -0800", 2147483647},     // the last second of the range
        {"Tue, 19 Jan 2038 03:14:08 +0000", 2147483647},     // saturates beyond it
        {"Sat, 1 Jan 2101 00:00:00 +0000", 2147483647},
        // Years before 1969, down to where the range ends.
        {"Sun, 1 Jan 1950 00:00:00 +0000", -631152000},
        {"Wed, 31 Dec 1969 23:59:59 +0000", -1},
        {"Tue, 1 Jan 1901 00:00:00 +0000", -2147483648LL},
        // Two-digit years: 00-49 are 2000-2049, 50-99 are 1950-1999; three digits are 1900 plus them.
        {"Tue, 1 Jul 69 10:52:37 +0200", -15865643},
        {"Sat, 1 Jul 50 10:52:37 +0200", -615481643},
        {"Sat, 1 Jan 00 00:00:00 +0000", 946684800},
        {"Tue, 1 Jul 103 10:52:37 +0200", 1057049557},
        // A time joined to its zone.
        {"01 Jan 2001 00:01+0000", 978307260},
        {"Tue, 1 Jul 2003 10:52:37+0200", 1057049557},
        // Comments and white space between the parts, letter case, a leap second, a day of a leap year.
        {"Tue, 1 (first) Jul 2003 10 : 52 : 37 +0200", 1057049557},
        {"  tue ,  01 jul 2003 10:52:37 gmt  ", 1057056757},
        {"Tue, 1 Jul 2003 10:52:60 +0000", 1057056780},
        {"Tue, 29 Feb 2000 12:00:00 +0000", 951825600},
        // Military and unknown alphabetic zones count as UTC; "-0000" is UTC of an unknown zone.
        {"Tue, 1 Jul 2003 10:52:37 A", 1057056757},
        {"Tue, 1 Jul 2003 10:52:37 CEST", 1057056757},
        {"Tue, 1 Jul 2003 10:52:37 -0000", 1057056757},
        // A fraction of a second, a zone with a colon, and none at all (taken as UTC, as an unknown one).
        {"Tue, 1 Jul 2003 10:52:37.123 +0200", 1057049557},
        {"Tue, 1 Jul 2003 10:52:37.999+02:00", 1057049557},
        {"Tue, 1 Jul 2003 10:52:37 +02:00", 1057049557},
        {"Tue, 1 Jul 2003 10:52:37 -03:30", 1057069357},
        {"Tue, 1 Jul 2003 10:52:37", 1057056757},
        {"Tue, 1 Jul 2003 10:52:37 (no zone)", 1057056757},
        // Forms mail programs wrote outside the standard still read.
        {"Tuesday, 1 Jul 2003 10:52:37 +0200", 1057049557},
        {"Tue Jul  1 10:52:37 2003", 1057056757},
        {"Tue, 1 July 2003 10:52:37 +0200", 1057049557},
        {"01-Jul-2003 10:52:37 +0200", 1057049557},
        // No date rather than a wrong one: a time or a zone that cannot be read, a 12-hour clock.
        {"Tue, 1 Jul 2003 10.52.37 +0200", std::nullopt},
        {"Tue, 1 Jul 2003 1052 +0200", std::nullopt},
        {"Tue, 1 Jul 2003 +0200", std::nullopt},
        {"Tue, 1 Jul 2003 10:52:37 +0260", std::nullopt},
        {"Tue, 1 Jul 2003 10:52:37 +200", std::nullopt},
        {"Tue, 1 Jul 2003 10:52:37 GMT+0200", std::nullopt},
        {"Tue, 1 Jul 2003 10:52:37 GMT-5", std::nullopt},
        {"Tue, 1 Jul 2003 10:52:37 PM +0200", std::nullopt},
        {"yesterday", std::nullopt},
        {"Tue, 31 Feb 2003 10:52:37 +0000", std::nullopt},
        {"Tue, 1 Jul 2003 24:00:00 +0000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const PropertyList plist = TrailerOf(std::string("Subject: s\nDate: ") + c.date + "\n\n");
        ASSERT_EQ("", plist.error);
        const PlistEntry* e = plist.Find("date-sent");
        if (!c.expected) {
            EXPECT_EQ(nullptr, e);
            continue;
        }
        ASSERT_NE(nullptr, e);
        EXPECT_EQ("real", e->type);
        EXPECT_EQ(std::to_string(*c.expected), e->value);
    }
}

TEST(EmlxTrailer, DateNumberOfNilAndOfFractionalAndFarDates) {
    EXPECT_EQ(0, DT_DateToUnixTimeStamp(Nil));
    EXPECT_EQ(1, DT_DateToUnixTimeStamp(Date::FromUnixTime(1.9)));
    EXPECT_EQ(-1, DT_DateToUnixTimeStamp(Date::FromUnixTime(-1.9)));
    EXPECT_EQ(INT32_MAX, DT_DateToUnixTimeStamp(Date::FromUnixTime(1e12)));
    EXPECT_EQ(INT32_MIN, DT_DateToUnixTimeStamp(Date::FromUnixTime(-1e12)));
    EXPECT_EQ(-2082844800, DT_DateToUnixTimeStamp(New<Date>(0.0)));  // 1904-01-01, the start of TotalSeconds
}
