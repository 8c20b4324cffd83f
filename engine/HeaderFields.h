#pragma once
// Header values of a message, as the trailer takes them.
#include <string_view>

// The header section: the text up to its first empty line, with the line end
// of its last line; the whole text when it has no empty line.
std::string_view HeaderSection(std::string_view text);

// The value of the first line of the header section that begins with the
// field name (in any letter case), a colon and a space: the rest of that
// line, unchanged (no unfolding, no decoding). Empty when no line matches.
std::string_view HeaderFieldValue(std::string_view text, std::string_view fieldName);
