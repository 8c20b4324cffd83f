#include "windows/WindowBuilding.h"

#include "framework/Delegate.h"
#include "framework/DesignRecord.h"

using namespace fw;

ClassRecord* RegisterClassFromTable(const std::string& name, const ClassRecord* super,
                                    std::function<Object*()> factory, const std::vector<MemberEntry>& members,
                                    std::vector<std::pair<std::string, std::string>> events) {
    ClassRecord* record = RuntimeNewClass(name, super);
    record->factory = std::move(factory);
    std::vector<MemberRecord> own;
    for (const MemberEntry& e : members)
        own.push_back(RuntimeDescribeMember(e.name, e.signature, e.invoke, e.scope,
                                            e.hidden ? AttributeTable{kHiddenAttribute} : AttributeTable{}));
    RuntimeNewVtable(record, std::move(own));
    record->events = std::move(events);
    record->attributes = RuntimeScopeAttributes("Public");
    return record;
}

const std::vector<BuildStep> kUnitSizeRecordBindSteps = {BuildStep::TextUnit, BuildStep::TextSize, BuildStep::Record,
                                                         BuildStep::Bind};

void CreateControlsThroughMember(Window& window) { RuntimeInvoke(window, "_CreateControls0"); }

namespace {

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

}  // namespace

void BuildControls(Window& window, const std::vector<ControlBuild>& controls, const std::vector<BuildStep>& steps) {
    for (const ControlBuild& control : controls) BuildControl(window, control, steps);
}
