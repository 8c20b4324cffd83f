#pragma once
// The sending date as the trailer records it.
#include <cstdint>

#include "framework/Date.h"

// The Unix time of the date: seconds from 1970-01-01 00:00 UTC, saturated at
// the ends of the signed 32-bit range; 0 for Nil.
int32_t DT_DateToUnixTimeStamp(fw::Ref<fw::Date> date);
// The same without the catch-all: a failure goes to the caller. Threads
// other than the main thread use this one, as they show nothing.
int32_t UnixTimeStamp(fw::Ref<fw::Date> date);
using DateStamp = int32_t (*)(fw::Ref<fw::Date> date);
