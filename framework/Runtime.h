#pragma once
// The runtime's class registry. Every class of the program and of the layer
// has one record: its name, super class, virtual operations with their
// signatures and scopes, stored properties, bound events and attributes.
// Objects are made from a record, casts are tested against it, and windows
// raise their events through its event table.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

// An address handed through the framework as it is (a routine, its argument).
using Ptr = void*;
// A value passed to or returned from a member through the generic invokers.
using Value = std::variant<std::monostate, bool, int32_t, double, String, Ref<Object>, Ptr>;
using Invoker = std::function<Value(Object& self, const std::vector<Value>& args)>;

struct Attribute {
    std::string name;
    std::string value;
    bool hasValue = true;
};
using AttributeTable = std::vector<Attribute>;
AttributeTable RuntimeAllocateAttributeTable(std::initializer_list<Attribute> attributes);
// The value of an attribute, or "" when the table does not hold it.
std::string AttributeValue(const AttributeTable& table, const std::string& name);
bool HasAttribute(const AttributeTable& table, const std::string& name);

struct MemberRecord {
    std::string name;
    std::string signature;  // "%" result "%" parameters, e.g. "%o<FolderItem>%o<FolderItem>"
    Invoker invoke;
    bool isPublic = true;
    AttributeTable attributes;
};

// The attribute table of a scope: "__Scope" with "Public" or "Protected".
AttributeTable RuntimeScopeAttributes(const std::string& scope);
// The attribute "Hidden", with no value.
inline const Attribute kHiddenAttribute{"Hidden", "", false};

// A member with its scope attribute, "__Scope" ("Public" or "Protected"), and
// any further attributes after it.
MemberRecord RuntimeDescribeMember(std::string name, std::string signature, Invoker invoke,
                                   const std::string& scope = "Public", const AttributeTable& further = {});

struct PropertyRecord {
    std::string name;
    std::string typeCode;  // "o<FolderItem>", "i4", ...
    bool stored = true;
    bool isPublic = false;
    AttributeTable attributes;
    std::function<Value(Object&)> get;
    std::function<void(Object&, const Value&)> set;
};

struct ClassRecord {
    std::string name;
    const ClassRecord* super = nullptr;
    std::vector<MemberRecord> vtable;  // the super class's operations first, then the own members
    size_t ownMembersStart = 0;
    std::vector<PropertyRecord> properties;  // the super class's first, then the own
    std::vector<std::pair<std::string, std::string>> events;  // event name -> member name
    AttributeTable attributes;
    std::function<Object*()> factory;        // makes a bare object of the class
    std::function<void(Object&)> cleanup;    // run when an object's last reference goes
    // The own members in the order the class describes them, by name, when
    // that is not the order of their slots (an override keeps its inherited slot).
    std::vector<std::string> described;

    bool IsA(const ClassRecord* other) const;
    const MemberRecord* FindMember(const std::string& member) const;
    // The member bound to a window or application event, searched up the super classes.
    const MemberRecord* EventHandler(const std::string& event) const;
    // The own members, in their order.
    std::vector<const MemberRecord*> OwnMembers() const;
    // The members the class describes: `described`, or else the own members.
    std::vector<const MemberRecord*> DescribedMembers() const;
};

// Creates the record of a new class; raises when a class of that name exists.
ClassRecord* RuntimeNewClass(const std::string& name, const ClassRecord* super);
// The class's virtual table: the super class's operations, then `own` in order.
void RuntimeNewVtable(ClassRecord* record, std::vector<MemberRecord> own);
// Puts `member` into the inherited slot of its name; raises when there is none.
void RuntimeOverrideSlot(ClassRecord* record, MemberRecord member);
// The record of a registered class, or nullptr.
const ClassRecord* RuntimeFindClass(const std::string& name);
// A new object of the class; its record's clean-up runs when its last reference goes.
Ref<Object> RuntimeNewObject(const ClassRecord* record);
// The object itself when it is of the class (Nil stays Nil), else IllegalCastException.
Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassRecord* record);
// Calls a member by name through the class's virtual table.
Value RuntimeInvoke(Object& self, const std::string& member, const std::vector<Value>& args = {});
// Raises an event of the object through its class's event table: the bound
// member's result goes to `result`. False when the class binds nothing to it.
bool RuntimeRaiseEvent(Object& self, const std::string& event, const std::vector<Value>& args = {},
                       Value* result = nullptr);

// The runtime's rounding up.
double RuntimeCeil(double value);

template <class T>
Ref<T> RuntimeCheckCastTo(const Ref<Object>& object, const ClassRecord* record) {
    Ref<Object> checked = RuntimeCheckCast(object, record);
    if (checked.IsNil()) return Ref<T>();
    Ref<T> typed = DynamicCast<T>(checked);
    if (typed.IsNil()) throw IllegalCastException("object is not a " + record->name);
    return typed;
}

// Conversions between Value and C++ argument types for the generic invokers.
// A value of another type is an IllegalCastException, as with any cast.
template <class T>
const T& ValueAs(const Value& v) {
    if (const T* held = std::get_if<T>(&v)) return *held;
    throw IllegalCastException("value of another type");
}

template <class T>
struct ValueTraits;
template <> struct ValueTraits<bool> {
    static bool From(const Value& v) { return ValueAs<bool>(v); }
    static Value To(bool b) { return b; }
};
template <> struct ValueTraits<int32_t> {
    static int32_t From(const Value& v) { return ValueAs<int32_t>(v); }
    static Value To(int32_t i) { return i; }
};
template <> struct ValueTraits<double> {
    static double From(const Value& v) { return ValueAs<double>(v); }
    static Value To(double d) { return d; }
};
template <> struct ValueTraits<Ptr> {
    static Ptr From(const Value& v) { return ValueAs<Ptr>(v); }
    static Value To(Ptr p) { return p; }
};
template <> struct ValueTraits<String> {
    static String From(const Value& v) { return ValueAs<String>(v); }
    static Value To(const String& s) { return s; }
};
template <class T> struct ValueTraits<Ref<T>> {
    static Ref<T> From(const Value& v) {
        if (std::holds_alternative<std::monostate>(v)) return Ref<T>();
        return DynamicCast<T>(ValueAs<Ref<Object>>(v));
    }
    static Value To(const Ref<T>& r) { return Ref<Object>(r); }
};

namespace detail {
template <class T>
using Bare = std::remove_cv_t<std::remove_reference_t<T>>;

// Calls `call` with the arguments converted to A..., and its result as a Value.
template <class R, class... A, class Call, size_t... I>
Value CallAs(const Call& call, const std::vector<Value>& args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
        call(ValueTraits<Bare<A>>::From(args[I])...);
        return std::monostate{};
    } else {
        return ValueTraits<Bare<R>>::To(call(ValueTraits<Bare<A>>::From(args[I])...));
    }
}

template <class C, class R, class... A, class Fn>
Invoker MemberInvoker(Fn fn) {
    return [fn](Object& self, const std::vector<Value>& args) -> Value {
        if (args.size() != sizeof...(A)) throw RuntimeException("wrong number of arguments");
        C* obj = dynamic_cast<C*>(&self);
        if (!obj) throw IllegalCastException();
        auto call = [&](auto&&... a) -> decltype(auto) { return (obj->*fn)(std::forward<decltype(a)>(a)...); };
        return CallAs<R, A...>(call, args, std::index_sequence_for<A...>{});
    };
}
}  // namespace detail

// The generic invoker of a member function.
template <class C, class R, class... A>
Invoker MakeInvoker(R (C::*fn)(A...)) {
    return detail::MemberInvoker<C, R, A...>(fn);
}
template <class C, class R, class... A>
Invoker MakeInvoker(R (C::*fn)(A...) const) {
    return detail::MemberInvoker<C, R, A...>(fn);
}

// The generic invoker of a module routine: it has no receiver, so it ignores `self`.
template <class R, class... A>
Invoker MakeRoutineInvoker(R (*fn)(A...)) {
    return [fn](Object&, const std::vector<Value>& args) -> Value {
        if (args.size() != sizeof...(A)) throw RuntimeException("wrong number of arguments");
        return detail::CallAs<R, A...>(fn, args, std::index_sequence_for<A...>{});
    };
}

}  // namespace fw
