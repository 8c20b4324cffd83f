// libFuzzer target for the design-time property record decoder. The first
// byte picks the class the record is read against; the rest is the record.
// A record either decodes, and then writes back to exactly the same bytes, or
// is rejected with MalformedRecordException; nothing else may happen, and
// nothing is read past its end (the sanitizers see to that).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/DesignRecord.h"
#include "framework/Timer.h"
#include "framework/Window.h"

using namespace fw;

namespace {

const ClassRecord* ClassFor(uint8_t pick) {
    static const ClassRecord* const classes[] = {
        GetWindowClass(),   GetLabelClass(),       GetTextFieldClass(), GetPushButtonClass(), GetBevelButtonClass(),
        GetCheckBoxClass(), GetProgressBarClass(), GetTabPanelClass(),  GetTimerClass(),
    };
    return classes[pick % (sizeof classes / sizeof classes[0])];
}

RecordValue BackToRecord(const PropertyRecord& p, const Value& v) {
    if (p.typeCode == kTypeInt32) return std::get<int32_t>(v);
    if (p.typeCode == kTypeBoolean) return std::get<bool>(v);
    if (p.typeCode == kTypeColor) return Color::FromPacked(std::get<int32_t>(v));
    if (p.typeCode == kTypeString) return std::get<String>(v).Bytes();
    std::abort();  // the decoder accepted a type no record has
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const ClassRecord* cls = ClassFor(data[0]);
    // An exact-size copy, so that any read past the end is a heap overflow.
    std::vector<char> bytes(data + 1, data + size);
    const std::string_view record(bytes.data(), bytes.size());
    std::vector<RecordEntry> entries;
    try {
        DecodeRecord(*cls, record, [&](const PropertyRecord& p, const Value& v) {
            entries.push_back({p.name, BackToRecord(p, v)});
        });
    } catch (const MalformedRecordException&) {
        return 0;
    }
    if (EncodeRecord(entries) != std::string(record)) std::abort();
    return 0;
}
