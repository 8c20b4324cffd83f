#include "framework/Date.h"

#include <cctype>
#include <cmath>
#include <gmime/gmime.h>
#include <limits>
#include <mutex>
#include <optional>
#include <string>

#include "framework/MailDate.h"

namespace fw {

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The first time of day the text writes ("h:mm" or "h:mm:ss"), with where it ends.
struct WrittenTime {
    int hour = -1, minute = -1, second = -1;
    size_t end = 0;
};
int TwoDigits(const std::string& text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

bool TwoDigitsAt(const std::string& text, size_t at) { return at + 1 < text.size() && Digit(text[at]) && Digit(text[at + 1]); }

std::optional<WrittenTime> FirstTime(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!Digit(text[i]) || (i > 0 && Digit(text[i - 1]))) continue;
        const size_t colon = i + 1 < text.size() && Digit(text[i + 1]) ? i + 2 : i + 1;
        if (colon >= text.size() || text[colon] != ':' || !TwoDigitsAt(text, colon + 1)) continue;
        WrittenTime time;
        time.hour = colon == i + 2 ? TwoDigits(text, i) : text[i] - '0';
        time.minute = TwoDigits(text, colon + 1);
        time.end = colon + 3;
        if (time.end < text.size() && text[time.end] == ':' && TwoDigitsAt(text, time.end + 1)) {
            time.second = TwoDigits(text, time.end + 1);
            time.end += 3;
        }
        return time;
    }
    return std::nullopt;
}

// Whether GMime's reading of the text can be trusted. It gives midnight for
// a time it cannot read, and UTC for a zone it cannot read, and it ignores
// "AM" and "PM": no date is better than a wrong one. Trusted only when the
// text writes a time of day that is GMime's, with no "AM" or "PM" after it,
// and any numeric zone after it is GMime's as four digits.
bool Trusted(GDateTime* parsed, const std::string& text) {
    const std::optional<WrittenTime> time = FirstTime(text);
    if (!time || time->hour != g_date_time_get_hour(parsed) || time->minute != g_date_time_get_minute(parsed) ||
        (time->second >= 0 && time->second != g_date_time_get_second(parsed)))
        return false;
    const std::string rest = text.substr(time->end);
    for (size_t i = 0; i + 1 < rest.size(); ++i) {
        const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[i])));
        const char m = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[i + 1])));
        if ((a == 'A' || a == 'P') && m == 'M' && (i == 0 || !std::isalpha(static_cast<unsigned char>(rest[i - 1]))) &&
            (i + 2 == rest.size() || !std::isalpha(static_cast<unsigned char>(rest[i + 2]))))
            return false;
        if ((rest[i] == '+' || rest[i] == '-') && Digit(rest[i + 1])) {
            size_t digits = 0;
            while (i + 1 + digits < rest.size() && Digit(rest[i + 1 + digits])) ++digits;
            if (digits != 4) return false;
            const int hhmm = std::stoi(rest.substr(i + 1, 4));
            const int64_t offset = (rest[i] == '-' ? -1 : 1) * int64_t{hhmm / 100 * 3600 + hhmm % 100 * 60};
            if (offset * 1000000 != g_date_time_get_utc_offset(parsed)) return false;
        }
    }
    return true;
}

}  // namespace

// Our own reader first: GMime takes years before 1969 for no date, reads
// 50-69 as 2050-2069, refuses three-digit years, drops a time joined to its
// zone or with a fraction of a second and reads "+hh:mm" as UTC. GMime then
// reads the looser forms that mail programs have written, where its
// reading can be trusted.
bool parseDate(const String& text, Ref<Date>& result) {
    const std::string& bytes = text.Bytes();
    if (bytes.find('\0') != std::string::npos) return false;
    if (const std::optional<double> seconds = ReadMailDate(bytes)) {
        result = Date::FromUnixTime(*seconds);
        return true;
    }
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
    GDateTime* parsed = g_mime_utils_header_decode_date(bytes.c_str());
    if (!parsed) return false;
    const bool trusted = Trusted(parsed, bytes);
    const double unix = static_cast<double>(g_date_time_to_unix(parsed)) +
                        static_cast<double>(g_date_time_get_microsecond(parsed)) / 1e6;
    g_date_time_unref(parsed);
    if (!trusted) return false;
    result = Date::FromUnixTime(unix);
    return true;
}

int32_t RuntimeCvtReal64ToSInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace fw
