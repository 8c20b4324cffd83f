#pragma once
// Helpers that write the property descriptions of a class record as a table:
// one line per property with its name, type code and accessors. The
// properties are the windows' and controls', so every read and every set
// checks the thread first.
#include <initializer_list>
#include <map>
#include <string>

#include "framework/Color.h"
#include "framework/DesignRecord.h"
#include "framework/MainThread.h"
#include "framework/Runtime.h"

namespace fw {

namespace detail {
template <class C>
C& Self(Object& o) {
    C* c = dynamic_cast<C*>(&o);
    if (!c) throw IllegalCastException("property of another class");
    return *c;
}
inline Value DefaultOf(const std::string& type) {
    if (type == kTypeInt32 || type == kTypeColor) return int32_t(0);
    if (type == kTypeBoolean) return false;
    if (type == kTypeString) return String();
    return std::monostate{};
}
}  // namespace detail

// A property read and set through a getter and a setter of C.
template <class C, class R, class A>
PropertyRecord Property(const char* name, const char* type, R (C::*get)() const, void (C::*set)(A)) {
    using T = detail::Bare<A>;
    return PropertyRecord{
        name, type, false, true, RuntimeAllocateAttributeTable({{"__Scope", "Public"}}),
        [get](Object& o) -> Value {
            RequireMainThread();
            return ValueTraits<T>::To((detail::Self<C>(o).*get)());
        },
        [set](Object& o, const Value& v) {
            RequireMainThread();
            (detail::Self<C>(o).*set)(ValueTraits<T>::From(v));
        }};
}

// A code that changes nothing on this platform: kept as given and read back.
// C has `std::map<std::string, Value>& Codes()`.
template <class C>
PropertyRecord KeptCode(const char* name, const char* type) {
    std::string key = name, typeCode = type;
    return PropertyRecord{
        name, type, false, true, RuntimeAllocateAttributeTable({{"__Scope", "Public"}}),
        [key, typeCode](Object& o) -> Value {
            RequireMainThread();
            auto& codes = detail::Self<C>(o).Codes();
            auto it = codes.find(key);
            return it == codes.end() ? detail::DefaultOf(typeCode) : it->second;
        },
        [key](Object& o, const Value& v) {
            RequireMainThread();
            detail::Self<C>(o).Codes()[key] = v;
        }};
}

inline void AddProperties(ClassRecord* record, std::initializer_list<PropertyRecord> properties) {
    for (const PropertyRecord& p : properties) record->properties.push_back(p);
}

}  // namespace fw
