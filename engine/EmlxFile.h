#pragma once
// The ".emlx" file of one message, as both writers make it: a count line,
// the message part and the property-list trailer, with nothing between them.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/ByteBuffer.h"
#include "framework/FolderItem.h"
#include "framework/Text.h"
#include "framework/TextStreams.h"

// What is read from a source before anything is created: its codes, its
// message part and its trailer.
struct EmlxDraft {
    fw::String type;     // the source's type code, empty when it has none
    fw::String creator;  // the source's creator code, empty when it has none
    // The message part, with room in front of it for the count line.
    fw::ByteBuffer message;
    fw::String trailer;                // UTF-8, written as it stands
    fw::FolderItem::Snapshot source{};  // the file that was read, as it was when opened
};

// Builds the trailer from the message's header section (all of the message
// that the trailer reads).
using TrailerBuilder = std::function<fw::String(const fw::String& header)>;

// Room in front of a message for its count line: the digits of any size and the LF.
inline constexpr size_t kCountLineRoom = 24;

// A copy of the bytes with room in front for the count line and behind for an LF.
fw::ByteBuffer MessageBuffer(std::string_view bytes);
// Ends a text that is not empty with an LF, when it does not already end in
// one: the message part, which the count counts whole.
void EndWithLineEnd(fw::ByteBuffer& text);
// The count line of a message part: its exact length in bytes, then LF.
std::string CountLine(size_t messagePartSize);

// Told the size of the source once it is open, before it is read; it may
// raise to leave the source unread.
using BeforeReading = std::function<void(uint64_t size)>;

// The draft of a source: its codes, then its message with every line end LF
// and its trailer. The trailer builder is handed the header section.
EmlxDraft ReadEmlxDraft(const fw::FolderItem& source, const TrailerBuilder& buildTrailer,
                        const BeforeReading& beforeReading = nullptr);
// The trailer of a message part, as the builder makes it from its header section.
fw::String TrailerOf(const fw::ByteBuffer& messagePart, const TrailerBuilder& buildTrailer);

// The base name of a file name: the name without its last extension and its
// dot; the whole name when it holds no dot.
fw::String EmlxBaseName(const fw::String& sourceName);
// The base name followed by ".emlx"; from number 2 on, the base name, a
// space, the number and ".emlx" ("<base> 2.emlx").
fw::String EmlxFileName(const fw::String& sourceName, int32_t number = 1);

// An output written whole, waiting to take its name.
struct PendingEmlx {
    fw::Ref<fw::FolderItem> output;
    fw::Ref<fw::TextOutputStream> stream;  // Nil when the file did not come to exist
    fw::FolderItem::Snapshot source{};     // the file that was read
};

// Creates the output, gives it the codes, creator first, and writes the count
// line, the message part and the trailer in one gathered write, all before
// the file has its name. The message part is written away: the draft keeps only its
// codes and trailer.
PendingEmlx WriteEmlxPending(const fw::Ref<fw::FolderItem>& output, EmlxDraft& draft);
// The same into a file without a name only: none, and the draft left whole,
// where the output's folder cannot hold one.
std::optional<PendingEmlx> WriteEmlxWithoutName(const fw::Ref<fw::FolderItem>& output, EmlxDraft& draft);
// Closes the output and puts it under its name, or under `name` in its
// folder when one is given, replacing the entry there itself (never writing
// through a link): the output is whole or absent. Refuses with an
// IOException, and leaves nothing, when that entry is the source (`source`,
// or the file it was read from).
void PlaceEmlx(PendingEmlx& pending, const fw::FolderItem& source, const fw::String& name = fw::String());

// Both in one.
void WriteEmlxFile(const fw::Ref<fw::FolderItem>& output, const fw::FolderItem& source, EmlxDraft& draft);
