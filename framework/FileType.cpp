#include "framework/FileType.h"

#include <algorithm>

#include "framework/CallTrace.h"
#include "framework/DesignRecord.h"

namespace fw {

namespace {
std::vector<RegisteredFileType>& Registered() {
    static std::vector<RegisteredFileType> types;
    return types;
}

template <class Get, class Set>
PropertyRecord TextProperty(const char* name, Get get, Set set) {
    return PropertyRecord{name, kTypeString, false, true, RuntimeAllocateAttributeTable({{"__Scope", "Public"}}),
                          [get](Object& o) -> Value { return (static_cast<FileType&>(o).*get)(); },
                          [set](Object& o, const Value& v) { (static_cast<FileType&>(o).*set)(ValueAs<String>(v)); }};
}
}  // namespace

String FileType::Operator_Convert() {
    if (!registered_) {
        RuntimeRegisterFileType(name_, macCreator_, macType_, extensions_);
        registered_ = true;
    }
    return name_;
}

const ClassRecord* GetFileTypeClass() {
    static const ClassRecord* record = [] {
        ClassRecord* r = RuntimeNewClass("FileType", nullptr);
        r->factory = [] { return static_cast<Object*>(new FileType()); };
        RuntimeNewVtable(r, {{"Operator_Convert", "%s%", MakeInvoker(&FileType::Operator_Convert), true, {}}});
        using F = FileType;
        r->properties = {
            TextProperty("Name", &F::Name, &F::SetName),
            TextProperty("Extensions", &F::Extensions, &F::SetExtensions),
            TextProperty("MacType", &F::MacType, &F::SetMacType),
            TextProperty("MacCreator", &F::MacCreator, &F::SetMacCreator),
        };
        r->attributes = RuntimeAllocateAttributeTable({{"__Scope", "Public"}});
        return r;
    }();
    return record;
}

void RuntimeRegisterFileType(const String& name, const String& creator, const String& type, const String& extensions) {
    TraceCall("RuntimeRegisterFileType", name.ToUTF8());
    if (name.IsEmpty()) throw RuntimeException("a document type needs a name");
    auto& types = Registered();
    types.erase(std::remove_if(types.begin(), types.end(), [&](const RegisteredFileType& t) { return t.name == name; }),
                types.end());
    types.push_back({name, creator, type, extensions});
}

std::vector<RegisteredFileType> RegisteredFileTypes() { return Registered(); }

}  // namespace fw
