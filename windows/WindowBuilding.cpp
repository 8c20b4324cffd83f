#include "windows/WindowBuilding.h"

#include "framework/Delegate.h"
#include "framework/DesignRecord.h"

using namespace fw;

AttributeTable ScopeAttributes(Scope scope) {
    return RuntimeAllocateAttributeTable({{"__Scope", scope == Scope::Public ? "Public" : "Protected"}});
}

ClassRecord* RegisterClassFromTable(const std::string& name, const ClassRecord* super,
                                    std::function<Object*()> factory, const std::vector<MemberEntry>& members,
                                    std::vector<std::pair<std::string, std::string>> events) {
    ClassRecord* record = RuntimeNewClass(name, super);
    record->factory = std::move(factory);
    std::vector<MemberRecord> own;
    for (const MemberEntry& e : members) {
        AttributeTable attributes = ScopeAttributes(e.scope);
        if (e.hidden) attributes.push_back({"Hidden", "", false});
        own.push_back(MemberRecord{e.name, e.signature, e.invoke, e.scope == Scope::Public, attributes});
    }
    RuntimeNewVtable(record, std::move(own));
    record->events = std::move(events);
    record->attributes = ScopeAttributes(Scope::Public);
    return record;
}

void BuildControl(Window& window, const ControlBuild& c, const std::vector<BuildStep>& steps) {
    {
        Ref<Control> control = DynamicCast<Control>(window.__New(c.kind));
        control->Constructor();
        window._AddControl(String(c.name), control);
    }
    for (BuildStep step : steps) {
        switch (step) {
        case BuildStep::Icon:
            if (c.icon) ControlNamed<BevelButton>(window, c.name, c.kind)->SetIcon(c.icon());
            break;
        case BuildStep::TextSize:
            if (c.textSize != 0) ControlNamed<RectControl>(window, c.name, c.kind)->SetTextSize(c.textSize);
            break;
        case BuildStep::TextUnit:
            if (FindProperty(*c.kind, "TextUnit")) ControlNamed<RectControl>(window, c.name, c.kind)->SetTextUnit(0);
            break;
        case BuildStep::Record:
            RuntimeMassPropertySetter(ControlNamed<Control>(window, c.name, c.kind), c.record);
            break;
        case BuildStep::Bind:
            if (c.handler.member) {
                const std::string takes = c.handlerTakes ? c.handlerTakes : c.kind->name;
                Ref<Delegate> delegate = RuntimeCreateDelegate(window.Class()->FindMember(c.handler.member),
                                                               RefTo(&window), "( " + takes + " )", CallHandlerMember);
                RuntimeAddEventHandler(ControlNamed<Control>(window, c.name, c.kind), c.handler.event,
                                       DispatchWithControl, delegate);
            }
            break;
        }
    }
}
