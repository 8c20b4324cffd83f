#include "engine/EmlxFile.h"

#include <string>
#include <sys/stat.h>

#include "framework/TextStreams.h"

using namespace fw;

namespace {

const String kExtension = ".emlx";

// The output names the source: its own directory entry, or the file that the
// source reaches through a link. Replacing either would take the message
// being converted away from the user. Any other link of the output name is
// another entry, which CreateTextFile replaces without touching its target.
bool IsSourceItself(const FolderItem& output, const FolderItem& source) {
    struct stat out, src;
    if (::lstat(output.Path().c_str(), &out) != 0) return false;  // no output yet: nothing to replace
    const auto same = [&](const struct stat& s) { return out.st_dev == s.st_dev && out.st_ino == s.st_ino; };
    return (::lstat(source.Path().c_str(), &src) == 0 && same(src)) ||
           (::stat(source.Path().c_str(), &src) == 0 && same(src));
}

}  // namespace

String ReadMessageText(const FolderItem& source) {
    Ref<TextInputStream> in = source.OpenAsTextFile();
    String text = StringReplaceAll(in->ReadAll(EncodingsGetter(kEncodingLatin1)), StringDBCSChr(13), String());
    in->Close();
    return text;
}

EmlxDraft ReadEmlxDraft(const FolderItem& source, const TrailerBuilder& buildTrailer) {
    EmlxDraft draft;
    draft.type = source.MacType();
    draft.creator = source.MacCreator();
    draft.content = JoinWithTrailer(ReadMessageText(source), buildTrailer);
    return draft;
}

String JoinWithTrailer(String message, const TrailerBuilder& buildTrailer) {
    const String trailer = buildTrailer(message);
    return JoinEmlxContent(std::move(message), trailer);
}

String JoinEmlxContent(String message, const String& trailer) {
    // Joined in the message's own buffer: the CRs removed and the reading
    // left room for the count line and the trailer, so a large message is
    // neither copied nor held twice.
    std::string content = std::move(message).TakeBytes();
    const bool addLineEnd = !content.empty() && content.back() != '\n';
    const std::string countLine = std::to_string(content.size() + (addLineEnd ? 1 : 0)) + "\n";
    content.reserve(countLine.size() + content.size() + 1 + trailer.Bytes().size());
    content.insert(0, countLine);
    if (addLineEnd) content += '\n';
    content += trailer.Bytes();  // UTF-8 already, written as it stands
    return String(std::move(content), EncodingKind::Latin1);
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

void WriteEmlxFile(FolderItem& output, const FolderItem& source, EmlxDraft draft) {
    if (IsSourceItself(output, source))
        throw IOException("the output " + output.Path().string() + " is its own source");
    Ref<TextOutputStream> out = output.CreateTextFile();
    if (!output.Exists()) return;
    // The file was just made, so it has no codes yet: empty ones need not be set.
    if (!draft.creator.IsEmpty() || !draft.type.IsEmpty()) {
        output.SetMacCreator(draft.creator);
        output.SetMacType(draft.type);
    }
    out->Write(StringConvertEncoding(std::move(draft.content), EncodingsGetter(kEncodingLatin1)));
    out->Close();
}
