// Feeds arbitrary bytes to the trailer builder: every trailer must be a
// well-formed property list with its keys intact, and every file joined from
// it must read back as Apple Mail reads it, the message byte for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EmlxReader.h"
#include "engine/EmlxFile.h"
#include "engine/LineEnds.h"
#include "engine/PropertyListTrailer.h"

using namespace fw;

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "trailer_fuzz: %s\n", what.c_str());
    std::abort();
}

void CheckKeys(const PropertyList& plist) {
    if (!plist.error.empty()) Fail("trailer: " + plist.error);
    const std::vector<std::string> withDate{"date-sent", "flags", "sender", "subject", "to"};
    const std::vector<std::string> withoutDate(withDate.begin() + 1, withDate.end());
    const std::vector<std::string> keys = plist.Keys();
    if (keys != withDate && keys != withoutDate) Fail("unexpected keys");
    const std::vector<std::string> types{"real", "integer", "string", "string", "string"};
    const size_t skip = keys.size() == withDate.size() ? 0 : 1;
    for (size_t i = 0; i < keys.size(); ++i)
        if (plist.entries[i].type != types[i + skip]) Fail(keys[i] + " is a " + plist.entries[i].type);
    if (plist.Find("flags")->value != "33815681") Fail("flags changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The builder on raw bytes, CRs and all.
    CheckKeys(ParsePropertyList(BuildPropertyListTrailer(String(bytes, EncodingKind::Latin1), UnixTimeStamp).Bytes()));

    // The whole file as the writers make it: every line end LF.
    ByteBuffer part = MessageBuffer(bytes);
    part.SetSize(NormalizeLineEnds(part.Data(), part.Size()));
    EndWithLineEnd(part);
    const std::string expected(part.View());
    if (expected.find('\r') != std::string::npos) Fail("a CR left in the message");
    const String trailer = TrailerOf(part, [](const String& header) { return BuildPropertyListTrailer(header, UnixTimeStamp); });
    const EmlxFile file = ParseEmlx(CountLine(part.Size()) + expected + trailer.Bytes());
    if (!file.error.empty()) Fail("file: " + file.error);
    if (file.message != expected) Fail("message changed");
    CheckKeys(file.plist);
    return 0;
}
