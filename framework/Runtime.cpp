#include "framework/Runtime.h"

#include <cmath>
#include "framework/CallTrace.h"

namespace fw {

namespace {
std::map<std::string, std::unique_ptr<ClassRecord>>& Registry() {
    static std::map<std::string, std::unique_ptr<ClassRecord>> registry;
    return registry;
}
}  // namespace

AttributeTable RuntimeAllocateAttributeTable(std::initializer_list<Attribute> attributes) {
    return AttributeTable(attributes);
}

std::string AttributeValue(const AttributeTable& table, const std::string& name) {
    for (const Attribute& a : table)
        if (a.name == name) return a.value;
    return std::string();
}

bool HasAttribute(const AttributeTable& table, const std::string& name) {
    for (const Attribute& a : table)
        if (a.name == name) return true;
    return false;
}

AttributeTable RuntimeScopeAttributes(const std::string& scope) { return RuntimeAllocateAttributeTable({{"__Scope", scope}}); }

MemberRecord RuntimeDescribeMember(std::string name, std::string signature, Invoker invoke, const std::string& scope,
                                   const AttributeTable& further) {
    AttributeTable attributes = RuntimeScopeAttributes(scope);
    attributes.insert(attributes.end(), further.begin(), further.end());
    return MemberRecord{std::move(name), std::move(signature), std::move(invoke), scope == "Public",
                        std::move(attributes)};
}

bool ClassRecord::IsA(const ClassRecord* other) const {
    for (const ClassRecord* c = this; c; c = c->super)
        if (c == other) return true;
    return false;
}

const MemberRecord* ClassRecord::FindMember(const std::string& member) const {
    // Own members override the super class's of the same name, so search from the end.
    for (auto it = vtable.rbegin(); it != vtable.rend(); ++it)
        if (it->name == member) return &*it;
    return nullptr;
}

const MemberRecord* ClassRecord::EventHandler(const std::string& event) const {
    for (const ClassRecord* c = this; c; c = c->super)
        for (const auto& [name, member] : c->events)
            if (name == event) return c->FindMember(member);
    return nullptr;
}

std::vector<const MemberRecord*> ClassRecord::OwnMembers() const {
    std::vector<const MemberRecord*> own;
    for (size_t i = ownMembersStart; i < vtable.size(); ++i) own.push_back(&vtable[i]);
    return own;
}

std::vector<const MemberRecord*> ClassRecord::DescribedMembers() const {
    if (described.empty()) return OwnMembers();
    std::vector<const MemberRecord*> members;
    for (const std::string& name : described) members.push_back(FindMember(name));
    return members;
}

ClassRecord* RuntimeNewClass(const std::string& name, const ClassRecord* super) {
    TraceCall("RuntimeNewClass", name);
    auto& registry = Registry();
    if (registry.count(name)) throw RuntimeException("class registered twice: " + name);
    auto record = std::make_unique<ClassRecord>();
    record->name = name;
    record->super = super;
    if (super) record->properties = super->properties;
    ClassRecord* raw = record.get();
    registry[name] = std::move(record);
    return raw;
}

void RuntimeNewVtable(ClassRecord* record, std::vector<MemberRecord> own) {
    record->vtable.clear();
    if (record->super) record->vtable = record->super->vtable;
    record->ownMembersStart = record->vtable.size();
    for (MemberRecord& m : own) record->vtable.push_back(std::move(m));
}

void RuntimeOverrideSlot(ClassRecord* record, MemberRecord member) {
    for (size_t i = 0; i < record->ownMembersStart; ++i) {
        if (record->vtable[i].name == member.name) {
            record->vtable[i] = std::move(member);
            return;
        }
    }
    throw RuntimeException(record->name + " inherits no slot " + member.name);
}

const ClassRecord* RuntimeFindClass(const std::string& name) {
    auto& registry = Registry();
    auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second.get();
}

Ref<Object> RuntimeNewObject(const ClassRecord* record) {
    if (!record) throw NilObjectException("no class record");
    TraceCall("RuntimeNewObject", record->name);
    const ClassRecord* withFactory = record;
    while (withFactory && !withFactory->factory) withFactory = withFactory->super;
    if (!withFactory) throw RuntimeException("class cannot be instantiated: " + record->name);
    Object* raw = withFactory->factory();
    raw->SetClass(record);
    // The clean-ups run most derived first, while the whole object still stands.
    std::shared_ptr<Object> object(raw, [](Object* o) {
        try {
            TraceCall("RuntimeDestroyObject", o->Class()->name);
        } catch (...) {
            // a destruction cannot fail
        }
        for (const ClassRecord* c = o->Class(); c; c = c->super)
            if (c->cleanup) c->cleanup(*o);
        delete o;
    });
    return Ref<Object>(object);
}

Ref<Object> RuntimeCheckCast(const Ref<Object>& object, const ClassRecord* record) {
    if (object.IsNil()) return object;
    const ClassRecord* cls = object->Class();
    if (!record || !cls || !cls->IsA(record))
        throw IllegalCastException("object is not a " + (record ? record->name : std::string("?")));
    return object;
}

Value RuntimeInvoke(Object& self, const std::string& member, const std::vector<Value>& args) {
    const ClassRecord* cls = self.Class();
    const MemberRecord* m = cls ? cls->FindMember(member) : nullptr;
    if (!m || !m->invoke) throw RuntimeException("no member " + member);
    TraceCall("RuntimeInvoke", cls->name + "." + member);
    return m->invoke(self, args);
}

double RuntimeCeil(double value) { return std::ceil(value); }
bool RuntimeRaiseEvent(Object& self, const std::string& event, const std::vector<Value>& args, Value* result) {
    const ClassRecord* cls = self.Class();
    const MemberRecord* handler = cls ? cls->EventHandler(event) : nullptr;
    if (!handler || !handler->invoke) return false;
    Ref<Object> keepAlive = RefTo(&self);  // the handler may let go of the object's last other reference
    Value v = handler->invoke(self, args);
    if (result) *result = v;
    return true;
}

}  // namespace fw
