#pragma once
// The property-list trailer of an ".emlx" file.
#include "engine/DateStamp.h"
#include "framework/Text.h"

// The 16-line trailer of a message (its text with the CRs removed), with the
// sending date, sender, subject and recipient from its header section. When
// no date parses, the date-sent key and its value are left out. The bytes
// are UTF-8; they are held in an encoding-43 text so that they are written
// as they stand. The date number comes from `stamp`.
fw::String BuildPropertyListTrailer(const fw::String& message, DateStamp stamp);
