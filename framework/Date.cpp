#include "framework/Date.h"

#include <cmath>
#include <gmime/gmime.h>
#include <limits>
#include <mutex>

#include "framework/MailDate.h"

namespace fw {

// Our own reader first: GMime takes years before 1969 for no date, reads
// 50-69 as 2050-2069, refuses three-digit years and drops a time joined to
// its zone. GMime then reads the looser forms that mail programs have written.
bool parseDate(const String& text, Ref<Date>& result) {
    const std::string& bytes = text.Bytes();
    if (bytes.find('\0') != std::string::npos) return false;
    if (const std::optional<int64_t> seconds = ReadMailDate(bytes)) {
        result = Date::FromUnixTime(static_cast<double>(*seconds));
        return true;
    }
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
    GDateTime* parsed = g_mime_utils_header_decode_date(bytes.c_str());
    if (!parsed) return false;
    const double unix = static_cast<double>(g_date_time_to_unix(parsed)) +
                        static_cast<double>(g_date_time_get_microsecond(parsed)) / 1e6;
    g_date_time_unref(parsed);
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
