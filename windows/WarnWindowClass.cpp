// The class record of WarnWindow, its shared instance and its control accessors.
#include "windows/WarnWindow.h"

#include "windows/WindowBuilding.h"

using namespace fw;

void WarnWindow::RegisterClass() {
    if (RuntimeFindClass("WarnWindow.WarnWindow")) return;
    using W = WarnWindow;
    const char *Pub = "Public", *Pro = "Protected";
    RegisterClassFromTable(
        "WarnWindow.WarnWindow", GetWindowClass(), [] { return static_cast<Object*>(new WarnWindow()); },
        {
            {"Layout", "%%", Pub, MakeInvoker(&W::Layout)},
            {"CreateControls", "%%", Pub, MakeInvoker(&W::CreateControls)},
            {"_CreateControls0", "%%", Pub, MakeInvoker(&W::_CreateControls0), true},
            {"DoText", "%o<Label>%", Pub, MakeInvoker(&W::DoText)},
            {"Do1Btn", "%o<PushButton>%", Pub, MakeInvoker(&W::Do1Btn)},
            {"Do2Btn", "%o<PushButton>%", Pub, MakeInvoker(&W::Do2Btn)},
            {"Do3Btn", "%o<PushButton>%", Pub, MakeInvoker(&W::Do3Btn)},
            {"Do4Btn", "%o<PushButton>%", Pub, MakeInvoker(&W::Do4Btn)},
            {"Do1Btn_Action", "%%o<PushButton>", Pub, MakeInvoker(&W::Do1Btn_Action)},
            {"Do2Btn_Action", "%%o<PushButton>", Pub, MakeInvoker(&W::Do2Btn_Action)},
            {"Do3Btn_Action", "%%o<PushButton>", Pub, MakeInvoker(&W::Do3Btn_Action)},
            {"Do4Btn_Action", "%%o<PushButton>", Pub, MakeInvoker(&W::Do4Btn_Action)},
            {"Event_Open", "%%", Pub, MakeInvoker(&W::Event_Open)},
            {"Event_KeyDown", "%b%s", Pub, MakeInvoker(&W::Event_KeyDown)},
            {"InitWindow", "%%i4ssss", Pub, MakeInvoker(&W::InitWindow)},
            {"p_GetTextHeight", "%i4%si4i4", Pro, MakeInvoker(&W::p_GetTextHeight)},
        },
        {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"Open", "Event_Open"},
         {"KeyDown", "Event_KeyDown"}});
}

const ClassRecord* GetWarnWindowClass() {
    WarnWindow::RegisterClass();
    return RuntimeFindClass("WarnWindow.WarnWindow");
}

Ref<WarnWindow> GetWarnWindowInstance() { return SharedWindowInstance<WarnWindow>(GetWarnWindowClass()); }

Ref<Label> WarnWindow::DoText() { return ControlNamed<Label>(*this, "DoText", GetLabelClass()); }
Ref<PushButton> WarnWindow::Do1Btn() { return ControlNamed<PushButton>(*this, "Do1Btn", GetPushButtonClass()); }
Ref<PushButton> WarnWindow::Do2Btn() { return ControlNamed<PushButton>(*this, "Do2Btn", GetPushButtonClass()); }
Ref<PushButton> WarnWindow::Do3Btn() { return ControlNamed<PushButton>(*this, "Do3Btn", GetPushButtonClass()); }
Ref<PushButton> WarnWindow::Do4Btn() { return ControlNamed<PushButton>(*this, "Do4Btn", GetPushButtonClass()); }
