// The class records of AboutWindow and of its close timer, the shared
// instance and the control accessors.
#include "windows/AboutWindow.h"

#include "windows/WindowBuilding.h"

using namespace fw;

void AboutWindow::RegisterClass() {
    if (RuntimeFindClass("AboutWindow.AboutWindow")) return;
    using A = AboutWindow;
    const char* Pub = "Public";
    RegisterClassFromTable(
        "AboutWindow.AboutWindow", GetWindowClass(), [] { return static_cast<Object*>(new AboutWindow()); },
        {
            {"Layout", "%%", Pub, MakeInvoker(&A::Layout)},
            {"CreateControls", "%%", Pub, MakeInvoker(&A::CreateControls)},
            {"_CreateControls0", "%%", Pub, MakeInvoker(&A::_CreateControls0), true},
            {"CloseTimer", "%o<Timer>%", Pub, MakeInvoker(&A::CloseTimer)},
            {"StaticText3", "%o<Label>%", Pub, MakeInvoker(&A::StaticText3)},
            {"CloseTimer_Action", "%%o<Timer>", Pub, MakeInvoker(&A::CloseTimer_Action)},
            {"StaticText3_Open", "%%o<Label>", Pub, MakeInvoker(&A::StaticText3_Open)},
            {"Event_MouseDown", "%b%i4i4", Pub, MakeInvoker(&A::Event_MouseDown)},
        },
        {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"MouseDown", "Event_MouseDown"}});
}

void AboutWindow::_wrapper_CloseTimer::RegisterClass() {
    if (RuntimeFindClass("AboutWindow._wrapper_CloseTimer")) return;
    using T = AboutWindow::_wrapper_CloseTimer;
    const char* Pub = "Public";
    RegisterClassFromTable("AboutWindow._wrapper_CloseTimer", GetTimerClass(),
                           [] { return static_cast<Object*>(new T()); },
                           {
                               {"_SetWindow", "%%o<Window>", Pub, MakeInvoker(&T::_SetWindow)},
                               {"Window", "%o<Window>%", Pub, MakeInvoker(&T::Window)},
                               {"_Index", "%i4%", Pub, MakeInvoker(&T::_Index)},
                               {"_SetIndex", "%%i4", Pub, MakeInvoker(&T::_SetIndex)},
                               {"Constructor", "%%", Pub, MakeInvoker(&T::Constructor)},
                           });
}

const ClassRecord* GetAboutWindowClass() {
    AboutWindow::RegisterClass();
    return RuntimeFindClass("AboutWindow.AboutWindow");
}

const ClassRecord* GetCloseTimerClass() {
    AboutWindow::_wrapper_CloseTimer::RegisterClass();
    return RuntimeFindClass("AboutWindow._wrapper_CloseTimer");
}

Ref<AboutWindow> GetAboutWindowInstance() { return SharedWindowInstance<AboutWindow>(GetAboutWindowClass()); }

Ref<Timer> AboutWindow::CloseTimer() { return ControlNamed<Timer>(*this, "CloseTimer", GetTimerClass()); }
Ref<Label> AboutWindow::StaticText3() { return ControlNamed<Label>(*this, "StaticText3", GetLabelClass()); }
