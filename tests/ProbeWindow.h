#pragma once
// A small window class of the tests' own, registered with the runtime like the
// program's windows, with handler members that run what a test gives them.
#include <functional>
#include <string>

#include "framework/Controls.h"
#include "framework/Delegate.h"
#include "framework/Timer.h"
#include "framework/Window.h"

class ProbeWindow : public fw::Window {
public:
    void Button_Action(fw::Ref<fw::PushButton> sender) { Run("Button_Action", *sender); }
    void Bevel_Action(fw::Ref<fw::BevelButton> sender) { Run("Bevel_Action", *sender); }
    void Box_Action(fw::Ref<fw::CheckBox> sender) { Run("Box_Action", *sender); }
    void Field_TextChange(fw::Ref<fw::TextField> sender) { Run("Field_TextChange", *sender); }
    void Tick_Action(fw::Ref<fw::Timer> sender) { Run("Tick_Action", *sender); }
    void Label_Open(fw::Ref<fw::Label> sender) { Run("Label_Open", *sender); }
    // The window's own mouse and key events: not claimed unless onWindowEvent says so.
    bool Event_MouseDown(int32_t, int32_t) { return onWindowEvent && onWindowEvent("MouseDown"); }
    bool Event_KeyDown(const fw::String&) { return onWindowEvent && onWindowEvent("KeyDown"); }
    // The "CreateControls" hook: runs the builder given to Open.
    void CreateControls() {
        if (Builder()) Builder()(*this);
    }

    // What the handlers do: told the handler's name and the control that raised the event.
    std::function<void(const std::string& handler, fw::Control& sender)> onEvent;
    // What the window's own events do: told the event's name; true claims it.
    std::function<bool(const std::string& event)> onWindowEvent;

    static const fw::ClassRecord* GetClass() {
        static const fw::ClassRecord* record = [] {
            fw::ClassRecord* r = fw::RuntimeNewClass("ProbeWindow.ProbeWindow", fw::GetWindowClass());
            r->factory = [] { return static_cast<fw::Object*>(new ProbeWindow()); };
            using P = ProbeWindow;
            fw::RuntimeNewVtable(r, {
                {"Button_Action", "%%o<PushButton>", fw::MakeInvoker(&P::Button_Action), true, {}},
                {"Bevel_Action", "%%o<BevelButton>", fw::MakeInvoker(&P::Bevel_Action), true, {}},
                {"Box_Action", "%%o<CheckBox>", fw::MakeInvoker(&P::Box_Action), true, {}},
                {"Field_TextChange", "%%o<TextField>", fw::MakeInvoker(&P::Field_TextChange), true, {}},
                {"Tick_Action", "%%o<Timer>", fw::MakeInvoker(&P::Tick_Action), true, {}},
                {"Label_Open", "%%o<Label>", fw::MakeInvoker(&P::Label_Open), true, {}},
                {"CreateControls", "%%", fw::MakeInvoker(&P::CreateControls), true, {}},
                {"Event_MouseDown", "%b%i4i4", fw::MakeInvoker(&P::Event_MouseDown), true, {}},
                {"Event_KeyDown", "%b%s", fw::MakeInvoker(&P::Event_KeyDown), true, {}},
            });
            r->events = {
                {"CreateControls", "CreateControls"}, {"MouseDown", "Event_MouseDown"}, {"KeyDown", "Event_KeyDown"}};
            return r;
        }();
        return record;
    }

    // A new probe window, built and open; `builder` makes its controls while it is constructed.
    static fw::Ref<ProbeWindow> Open(std::function<void(ProbeWindow&)> builder = nullptr) {
        fw::Ref<ProbeWindow> w = fw::DynamicCast<ProbeWindow>(fw::RuntimeNewObject(GetClass()));
        Builder() = std::move(builder);
        w->Constructor();
        Builder() = nullptr;
        return w;
    }

    // Creates, constructs and adds a control of that kind, as a window's set-up does.
    template <class T>
    fw::Ref<T> Add(const char* kind, const char* name) {
        fw::Ref<fw::Control> c = fw::DynamicCast<fw::Control>(__New(fw::ControlKindNamed(kind)));
        c->Constructor();
        _AddControl(fw::String(name), c);
        return fw::DynamicCast<T>(c);
    }

    // Binds an event of the control to one of the handler members.
    void Bind(const fw::Ref<fw::Control>& control, const char* event, const char* handler, const char* kind) {
        fw::Ref<fw::Delegate> d = fw::RuntimeCreateDelegate(GetClass()->FindMember(handler), fw::RefTo(this),
                                                            std::string("( ") + kind + " )");
        fw::RuntimeAddEventHandler(control, event, fw::DispatchWithControl, d);
    }

private:
    static std::function<void(ProbeWindow&)>& Builder() {
        static std::function<void(ProbeWindow&)> builder;
        return builder;
    }
    void Run(const std::string& handler, fw::Control& sender) {
        if (onEvent) onEvent(handler, sender);
    }
};
