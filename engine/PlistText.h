#pragma once
// The text of a property-list string element, made from raw header bytes.
#include <string>
#include <string_view>

// Appends the bytes as XML character data in UTF-8, so that the result is
// always well-formed: "&", "<" and ">" become entities; bytes that are not
// valid UTF-8 are taken as ISO-8859-1; characters that XML 1.0 forbids
// (control characters other than tab, U+FFFE, U+FFFF) are dropped.
void AppendPlistText(std::string& out, std::string_view bytes);
