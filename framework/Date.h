#pragma once
// A Date holds an instant in UTC.
#include <cstdint>

#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

// Seconds from 1904-01-01 00:00 UTC to 1970-01-01 00:00 UTC.
inline constexpr double kSecondsFrom1904To1970 = 2082844800.0;

class Date : public Object {
public:
    explicit Date(double totalSeconds = 0) : totalSeconds_(totalSeconds) {}
    static Ref<Date> FromUnixTime(double seconds) { return New<Date>(seconds + kSecondsFrom1904To1970); }
    // UTC seconds counted from 1904-01-01 00:00.
    double TotalSeconds() const { return totalSeconds_; }

private:
    double totalSeconds_;
};

// Parses an RFC 5322 date, obsolete forms included (two-digit years, named and
// military zones, comments, missing seconds or weekday). True with `result`
// set when the text is a date.
bool parseDate(const String& text, Ref<Date>& result);

// The double as a signed 32-bit integer: truncated toward zero, saturated at
// the ends of the range; NaN gives 0.
int32_t RuntimeCvtReal64ToSInt32(double value);

}  // namespace fw
