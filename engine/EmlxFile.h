#pragma once
// The ".emlx" file of one message, as both writers make it: a count line,
// the message part and the property-list trailer, with nothing between them.
#include <cstdint>
#include <functional>

#include "framework/FolderItem.h"
#include "framework/Text.h"

// What is read from a source before anything is created: its codes and the
// whole content of its ".emlx" file.
struct EmlxDraft {
    fw::String type;     // the source's type code, empty when it has none
    fw::String creator;  // the source's creator code, empty when it has none
    fw::String content;  // count line, message part and trailer, in encoding 43
};

using TrailerBuilder = std::function<fw::String(const fw::String& message)>;

// The message read whole in encoding 43, with every CR removed.
fw::String ReadMessageText(const fw::FolderItem& source);

// The draft of a source: its codes, then its message and trailer joined.
EmlxDraft ReadEmlxDraft(const fw::FolderItem& source, const TrailerBuilder& buildTrailer);

// The message and its trailer joined (JoinEmlxContent). The trailer builder
// is handed the message itself, not a copy.
fw::String JoinWithTrailer(fw::String message, const TrailerBuilder& buildTrailer);

// The count line, the message part and the trailer in one text of encoding
// 43. The message part is the message, plus one LF when it is not empty and
// does not end in LF; the count is its exact length in bytes.
fw::String JoinEmlxContent(fw::String message, const fw::String& trailer);

// The base name of a file name: the name without its last extension and its
// dot; the whole name when it holds no dot.
fw::String EmlxBaseName(const fw::String& sourceName);
// The base name followed by ".emlx"; from number 2 on, the base name, a
// space, the number and ".emlx" ("<base> 2.emlx").
fw::String EmlxFileName(const fw::String& sourceName, int32_t number = 1);

// Creates the output file (an existing entry of its name replaced, never
// written through), gives it the codes, creator first, and writes the content
// in one piece. Refuses with an IOException, before anything is created, when
// the output entry is the source itself.
void WriteEmlxFile(fw::FolderItem& output, const fw::FolderItem& source, EmlxDraft draft);
