#pragma once
// The date-time of an Internet message (RFC 5322 section 3.3), with the
// obsolete forms of section 4.3.
#include <cstdint>
#include <optional>
#include <string_view>

namespace fw {

// Seconds from 1970-01-01 00:00 UTC to the instant the text names, its zone
// honoured; none when the text is not such a date. Comments and folding white
// space may stand between the parts, the weekday and the seconds may be
// missing, the seconds may have a fraction, and the zone may follow the time
// directly. A two-digit year 00-49 is 2000-2049 and 50-99 is 1950-1999; a
// three-digit year is 1900 plus it. A zone is "+hhmm" or "+hh:mm"; the named
// zones of North America count as such; military and other alphabetic zones,
// whose meaning is unreliable, and a missing zone count as UTC.
std::optional<double> ReadMailDate(std::string_view text);

}  // namespace fw
