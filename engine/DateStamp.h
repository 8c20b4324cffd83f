#pragma once
// The sending date as the trailer records it.
#include <cstdint>

#include "framework/Date.h"

// The Unix time of the date: seconds from 1970-01-01 00:00 UTC, saturated at
// the ends of the signed 32-bit range; 0 for Nil.
int32_t DT_DateToUnixTimeStamp(fw::Ref<fw::Date> date);
