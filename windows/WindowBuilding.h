#pragma once
// What the program's windows are built from: the member table of a class, the
// shared instance of a window class, and the steps that build one control.
// Each window's own files hold only its tables and its handlers.
#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Picture.h"
#include "framework/Runtime.h"
#include "framework/Window.h"

// One own member of a class, as the class tables write it: its name,
// signature, scope ("Public" or "Protected") and invoker, and whether it
// carries the attribute "Hidden".
struct MemberEntry {
    const char* name;
    const char* signature;
    const char* scope;
    fw::Invoker invoke;
    bool hidden = false;
};

// Registers a class of the program: the super class's operations, then the
// members in table order (each described by RuntimeDescribeMember), the bound
// window events and the class scope "Public". Returns the record for what
// else is the class's own.
fw::ClassRecord* RegisterClassFromTable(const std::string& name, const fw::ClassRecord* super,
                                        std::function<fw::Object*()> factory, const std::vector<MemberEntry>& members,
                                        std::vector<std::pair<std::string, std::string>> events = {});

// The open window of the class, or a new one, created and constructed; cast to W.
template <class W>
fw::Ref<W> SharedWindowInstance(const fw::ClassRecord* windowClass) {
    fw::Ref<fw::Object> window = fw::RuntimeGetImplicitWindow(windowClass->name);
    if (window.IsNil()) {
        window = fw::RuntimeNewObject(windowClass);
        fw::DynamicCast<fw::Window>(window)->Constructor();
    }
    return fw::RuntimeCheckCastTo<W>(window, windowClass);
}

// A window's control by its name, checked to be of its kind: Nil when the
// window has no control of that name, IllegalCastException when it is of
// another kind.
template <class T>
fw::Ref<T> ControlNamed(fw::Window& window, const char* name, const fw::ClassRecord* kind) {
    return fw::RuntimeCheckCastTo<T>(window._ControlByName(fw::String(name)), kind);
}

using PictureAccessor = fw::Ref<fw::Picture> (*)();

// The event of a control and the window's member that handles it.
struct EventBinding {
    const char* event;
    const char* member;
};
inline constexpr EventBinding kNoHandler{nullptr, nullptr};

// One control as a window builds it.
struct ControlBuild {
    const char* name;
    const fw::ClassRecord* kind;
    std::string record;         // its design-time property record
    float textSize = 0;         // 0: none set, the framework's default applies
    PictureAccessor icon = nullptr;  // a BevelButton's icon (its result, Nil included)
    EventBinding handler = kNoHandler;
    const char* handlerTakes = nullptr;  // the handler's parameter kind, when not the control's own kind
};

// The steps after a control is created and added under its name, in the
// order a window takes them. Each reaches the control through the window by
// its name, and is passed over where the control has nothing for it.
enum class BuildStep { Icon, TextSize, TextUnit, Record, Bind };

// The steps of the About window's and the warning dialog's controls: text
// unit, text size, record, and the binding.
extern const std::vector<BuildStep> kUnitSizeRecordBindSteps;

// Builds the controls in order: each is created and added under its name,
// then takes the steps.
void BuildControls(fw::Window& window, const std::vector<ControlBuild>& controls,
                   const std::vector<BuildStep>& steps = kUnitSizeRecordBindSteps);

// The "CreateControls" hook of every window: it calls the window's _CreateControls0.
void CreateControlsThroughMember(fw::Window& window);
