#pragma once
// The design-time property record: the designed properties of one window or
// one control in a single byte string, handed to the framework in one call.
// It is a run of entries with no header, count or terminator; each entry is
// the property's name (ASCII letters), one space, and the value:
//   Int32    4 bytes, big-endian, two's complement
//   Boolean  1 byte, 0 or 1
//   Color    3 bytes, red, green, blue
//   String   a 4-byte big-endian byte count, then the bytes
// There are no type tags: the type of a name comes from the class of the
// object that the record is applied to (so `Value` is an Int32 for a TabPanel
// and a Boolean for a CheckBox).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Color.h"
#include "framework/Object.h"
#include "framework/Runtime.h"

namespace fw {

// Type codes of properties in the class records.
inline constexpr const char* kTypeInt32 = "i4";
inline constexpr const char* kTypeBoolean = "b";
inline constexpr const char* kTypeColor = "c";
inline constexpr const char* kTypeString = "s";
inline constexpr const char* kTypeSingle = "f4";  // set in code only, never in a record
inline constexpr const char* kTypePicture = "o<Picture>";

// One value of a record as the program's tables write it.
class RecordValue {
public:
    enum class Type { Int32, Boolean, Color, String };
    RecordValue(int32_t i) : type_(Type::Int32), int_(i) {}
    RecordValue(bool b) : type_(Type::Boolean), bool_(b) {}
    RecordValue(Color c) : type_(Type::Color), color_(c) {}
    RecordValue(const char* s) : type_(Type::String), string_(s) {}
    RecordValue(std::string s) : type_(Type::String), string_(std::move(s)) {}

    Type type() const { return type_; }
    int32_t Int() const { return int_; }
    bool Bool() const { return bool_; }
    Color GetColor() const { return color_; }
    const std::string& Text() const { return string_; }

private:
    Type type_;
    int32_t int_ = 0;
    bool bool_ = false;
    Color color_{};
    std::string string_;
};

struct RecordEntry {
    std::string name;
    RecordValue value;
};

// The bytes of a record with these entries, in this order.
std::string EncodeRecord(const std::vector<RecordEntry>& entries);

// Decodes a record against a class: calls `apply` for each entry in the
// record's order with the class's property of that name and its value (an
// Int32 or a Color as int32_t, a Boolean as bool, a String as a UTF-8 String).
// Raises MalformedRecordException for a name the class does not have, a
// missing separator, a truncated value, a string length past the end, a
// Boolean other than 0 or 1, or a property that no record can set. Never
// reads past the end of `record`.
void DecodeRecord(const ClassRecord& cls, std::string_view record,
                  const std::function<void(const PropertyRecord&, const Value&)>& apply);

// Sets every property of the record on the object, by name, in the record's
// order; each entry is in force when the call returns. A malformed record
// raises MalformedRecordException before any of its entries is set.
void RuntimeMassPropertySetter(const Ref<Object>& object, std::string_view record);

// The property of that name in the class (its own before its super class's), or nullptr.
const PropertyRecord* FindProperty(const ClassRecord& cls, const std::string& name);
// Reads and sets a property by name through the object's class record.
Value RuntimeGetProperty(Object& object, const std::string& name);
void RuntimeSetProperty(Object& object, const std::string& name, const Value& value);

}  // namespace fw
