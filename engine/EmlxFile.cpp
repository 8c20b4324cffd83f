#include "engine/EmlxFile.h"

#include <cstring>

#include "engine/HeaderFields.h"
#include "engine/LineEnds.h"
#include "framework/TextStreams.h"

using namespace fw;

namespace {
const String kExtension = ".emlx";
}  // namespace

ByteBuffer MessageBuffer(std::string_view bytes) {
    ByteBuffer buffer(kCountLineRoom, bytes.size() + 1);
    std::memcpy(buffer.Data(), bytes.data(), bytes.size());
    buffer.SetSize(bytes.size());
    return buffer;
}

void EndWithLineEnd(ByteBuffer& text) {
    if (text.Empty() || text.Back() == '\n') return;
    text.Grow(1);
    text.PushBack('\n');
}

std::string CountLine(size_t messagePartSize) { return std::to_string(messagePartSize) + "\n"; }

String TrailerOf(const ByteBuffer& messagePart, const TrailerBuilder& buildTrailer) {
    return buildTrailer(String(std::string(HeaderSection(messagePart.View())), EncodingKind::Latin1));
}

EmlxDraft ReadEmlxDraft(const FolderItem& source, const TrailerBuilder& buildTrailer,
                        const BeforeReading& beforeReading) {
    EmlxDraft draft;
    Ref<TextInputStream> in = source.OpenAsTextFile();
    if (!in) throw IOException(source.LastError(), source.LastErrorNumber());
    // The codes of the very file that is read: one open serves both.
    FolderItem::MacCodes codes = in->Codes();
    draft.type = std::move(codes.type);
    draft.creator = std::move(codes.creator);
    draft.source = in->Seen();
    if (beforeReading) beforeReading(draft.source.size);
    // Read once, into a buffer with room for the count line in front and the
    // final LF behind: the line ends are mended in place and nothing is moved.
    draft.message = in->ReadAllBytes(kCountLineRoom, 1);
    in->Close();
    draft.message.SetSize(NormalizeLineEnds(draft.message.Data(), draft.message.Size()));
    EndWithLineEnd(draft.message);
    draft.trailer = TrailerOf(draft.message, buildTrailer);
    return draft;
}

String EmlxBaseName(const String& sourceName) {
    const int32_t fields = StringCountFields(sourceName, ".");
    if (fields < 2) return sourceName;
    const String extension = StringNthField(sourceName, ".", fields);
    return StringDBCSLeft(sourceName, StringDBCSLen(sourceName) - StringDBCSLen(extension) - 1);
}

String EmlxFileName(const String& sourceName, int32_t number) {
    const String base = EmlxBaseName(sourceName);
    return number < 2 ? base + kExtension : base + " " + StringStrInt32(number) + kExtension;
}

namespace {
// Writes the draft into the new file `out` of the output.
PendingEmlx WriteEmlxInto(const Ref<FolderItem>& output, const Ref<TextOutputStream>& out, EmlxDraft& draft) {
    PendingEmlx pending;
    pending.output = output;
    pending.source = draft.source;
    if (!output->Exists()) return pending;
    // The file was just made, so it has no codes yet: empty ones need not be set.
    if (!draft.creator.IsEmpty() || !draft.type.IsEmpty()) {
        output->SetMacCreator(draft.creator);
        output->SetMacType(draft.type);
    }
    if (!draft.message.Prepend(CountLine(draft.message.Size()))) throw RuntimeException("no room for the count line");
    out->WriteGathered({draft.message.View(), draft.trailer.Bytes()});
    draft.message = ByteBuffer();
    pending.stream = out;
    return pending;
}
}  // namespace

PendingEmlx WriteEmlxPending(const Ref<FolderItem>& output, EmlxDraft& draft) {
    Ref<TextOutputStream> out = output->CreateTextFile();
    return WriteEmlxInto(output, out, draft);
}

std::optional<PendingEmlx> WriteEmlxWithoutName(const Ref<FolderItem>& output, EmlxDraft& draft) {
    Ref<TextOutputStream> out = output->CreateTextFileWithoutName();
    if (!out) return std::nullopt;
    return WriteEmlxInto(output, out, draft);
}

void PlaceEmlx(PendingEmlx& pending, const FolderItem& source, const String& name) {
    if (!pending.stream) return;
    // Replacing the source (its own entry, or the file it reaches through a
    // link) would take the message being converted away from the user.
    const FolderItem::NameTakenCheck notTheSource = [&](const FolderItem::Identity& taken) {
        if (taken == pending.source.identity || taken == source.EntryIdentity()) {
            const std::filesystem::path output = pending.output->Path();
            throw IOException("the output " + (name.IsEmpty() ? output : output.parent_path() / name.ToUTF8()).string() +
                              " is its own source");
        }
    };
    if (name.IsEmpty()) pending.stream->Close(notTheSource);
    else pending.stream->CloseAs(name, notTheSource);
}

void WriteEmlxFile(const Ref<FolderItem>& output, const FolderItem& source, EmlxDraft& draft) {
    PendingEmlx pending = WriteEmlxPending(output, draft);
    PlaceEmlx(pending, source);
}
