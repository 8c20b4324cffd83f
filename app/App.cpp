// The class record of App, its accessor and its handlers.
#include "app/App.h"

#include "windows/ErrorAlert.h"
#include "windows/MainWindow.h"

using namespace fw;

void App::RegisterClass() {
    if (RuntimeFindClass("App")) return;
    ClassRecord* record = RuntimeNewClass("App", GetApplicationClass());
    record->factory = [] { return static_cast<Object*>(new App()); };
    RuntimeNewVtable(record, {
        RuntimeDescribeMember("Event_Open", "%%", MakeInvoker(&App::Event_Open)),
        RuntimeDescribeMember("_AboutMenue_Action", "%b%", MakeInvoker(&App::_AboutMenue_Action)),
        RuntimeDescribeMember("InitializeApplication", "%%", MakeInvoker(&App::InitializeApplication)),
        RuntimeDescribeMember("Constructor", "%%", MakeInvoker(&App::Constructor)),
    });
    // Neither "Activate", "CancelClose", "Close", "Deactivate", "EnableMenuItems",
    // "HandleAppleEvent", "NewDocument", "OpenDocument" nor "UnhandledException".
    record->events = {{"Open", "Event_Open"}};
}

const ClassRecord* GetAppClass() {
    App::RegisterClass();
    return RuntimeFindClass("App");
}

Ref<App> GetAppInstance() { return RuntimeCheckCastTo<App>(getAppObject(), GetAppClass()); }

void App::Event_Open() { InitializeApplication(); }

void App::InitializeApplication() {
    const bool shown = WithCatchAll("Exception in InitApp", [] {
        GetMainWindowInstance()->Show();
        return true;
    });
    // Said why; where no window is left to quit from, the run ends as failed.
    if (!shown) EndRunIfNoWindowToQuitFrom();
}

void App::Constructor() {}
