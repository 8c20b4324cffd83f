#include "framework/DesignRecord.h"

#include <limits>
#include <utility>

#include "framework/MainThread.h"

namespace fw {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void PutInt32(std::string& out, uint32_t v) {
    out.push_back(char((v >> 24) & 0xFF));
    out.push_back(char((v >> 16) & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
    out.push_back(char(v & 0xFF));
}

// Reads a record front to back; every read checks what is left first.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return pos_ == bytes_.size(); }

    std::string Name() {
        const size_t start = pos_;
        while (pos_ < bytes_.size() && IsAsciiLetter(bytes_[pos_])) ++pos_;
        if (pos_ == start) Fail("a property name is expected");
        std::string name(bytes_.substr(start, pos_ - start));
        if (pos_ == bytes_.size() || bytes_[pos_] != ' ') Fail("no space after the name " + name);
        ++pos_;
        return name;
    }
    std::string_view Take(size_t count, const std::string& what) {
        if (count > bytes_.size() - pos_) Fail("the value of " + what + " runs past the end of the record");
        std::string_view taken = bytes_.substr(pos_, count);
        pos_ += count;
        return taken;
    }
    uint32_t UInt32(const std::string& what) {
        std::string_view b = Take(4, what);
        return (uint32_t(uint8_t(b[0])) << 24) | (uint32_t(uint8_t(b[1])) << 16) | (uint32_t(uint8_t(b[2])) << 8) |
               uint32_t(uint8_t(b[3]));
    }

    [[noreturn]] static void Fail(const std::string& why) { throw MalformedRecordException("malformed record: " + why); }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

Value ReadValue(Reader& in, const PropertyRecord& property) {
    const std::string& type = property.typeCode;
    if (type == kTypeInt32) return static_cast<int32_t>(in.UInt32(property.name));
    if (type == kTypeBoolean) {
        const uint8_t b = uint8_t(in.Take(1, property.name)[0]);
        if (b > 1) Reader::Fail("the Boolean " + property.name + " is neither 0 nor 1");
        return b == 1;
    }
    if (type == kTypeColor) {
        std::string_view rgb = in.Take(3, property.name);
        return Color{uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])}.Packed();
    }
    if (type == kTypeString) {
        const uint32_t length = in.UInt32(property.name);
        return String(std::string(in.Take(length, property.name)));
    }
    Reader::Fail("the property " + property.name + " cannot be set by a record");
}

}  // namespace

std::string EncodeRecord(const std::vector<RecordEntry>& entries) {
    std::string out;
    for (const RecordEntry& e : entries) {
        if (e.name.empty()) throw MalformedRecordException("a record entry needs a name");
        for (char c : e.name)
            if (!IsAsciiLetter(c)) throw MalformedRecordException("not a property name: " + e.name);
        out += e.name;
        out.push_back(' ');
        const RecordValue& v = e.value;
        switch (v.type()) {
        case RecordValue::Type::Int32: PutInt32(out, static_cast<uint32_t>(v.Int())); break;
        case RecordValue::Type::Boolean: out.push_back(v.Bool() ? '\x01' : '\x00'); break;
        case RecordValue::Type::Color:
            out.push_back(char(v.GetColor().red));
            out.push_back(char(v.GetColor().green));
            out.push_back(char(v.GetColor().blue));
            break;
        case RecordValue::Type::String:
            if (v.Text().size() > std::numeric_limits<uint32_t>::max())
                throw MalformedRecordException("string too long for a record: " + e.name);
            PutInt32(out, static_cast<uint32_t>(v.Text().size()));
            out += v.Text();
            break;
        }
    }
    return out;
}

const PropertyRecord* FindProperty(const ClassRecord& cls, const std::string& name) {
    // A class's own properties come after its super class's, so the own win.
    for (auto it = cls.properties.rbegin(); it != cls.properties.rend(); ++it)
        if (it->name == name) return &*it;
    return nullptr;
}

void DecodeRecord(const ClassRecord& cls, std::string_view record,
                  const std::function<void(const PropertyRecord&, const Value&)>& apply) {
    Reader in(record);
    while (!in.AtEnd()) {
        const std::string name = in.Name();
        const PropertyRecord* property = FindProperty(cls, name);
        if (!property) Reader::Fail(cls.name + " has no property " + name);
        if (!property->set) Reader::Fail("the property " + name + " is read-only");
        Value value = ReadValue(in, *property);
        apply(*property, value);
    }
}

void RuntimeMassPropertySetter(const Ref<Object>& object, std::string_view record) {
    RequireMainThread();  // the records are the windows' and controls'
    Object& target = object.get();
    const ClassRecord* cls = target.Class();
    if (!cls) throw NilObjectException("object without a class record");
    // Decode the whole record first: a malformed one changes nothing.
    std::vector<std::pair<const PropertyRecord*, Value>> entries;
    DecodeRecord(*cls, record, [&](const PropertyRecord& p, const Value& v) { entries.emplace_back(&p, v); });
    for (const auto& [property, value] : entries) property->set(target, value);
}

Value RuntimeGetProperty(Object& object, const std::string& name) {
    const PropertyRecord* p = object.Class() ? FindProperty(*object.Class(), name) : nullptr;
    if (!p || !p->get) throw RuntimeException("no readable property " + name);
    return p->get(object);
}

void RuntimeSetProperty(Object& object, const std::string& name, const Value& value) {
    const PropertyRecord* p = object.Class() ? FindProperty(*object.Class(), name) : nullptr;
    if (!p || !p->set) throw RuntimeException("no settable property " + name);
    p->set(object, value);
}

}  // namespace fw
