// The fixed lists of class registrations, module initialisers and module
// releases.
#include <utility>

#include "app/App.h"
#include "app/AppMenue.h"
#include "app/DocumentType.h"
#include "app/Startup.h"
#include "framework/CallTrace.h"
#include "framework/Controls.h"
#include "framework/FileType.h"
#include "framework/Menu.h"
#include "framework/Timer.h"
#include "windows/AboutWindow.h"
#include "windows/MainWindow.h"
#include "windows/WarnWindow.h"

using namespace fw;

namespace {

using ClassGetter = const ClassRecord* (*)();
using Step = void (*)();

// The framework's classes that the program uses, in the framework's order.
// BevelButton comes with the plug-ins.
const ClassGetter kFrameworkClasses[] = {
    GetApplicationClass, GetWindowClass,   GetControlClass,     GetRectControlClass, GetLabelClass,
    GetTextFieldClass,   GetPushButtonClass, GetCheckBoxClass,  GetProgressBarClass, GetTabPanelClass,
    GetTimerClass,       GetMenuItemClass, GetMenuBarClass,     GetQuitMenuItemClass, GetFileTypeClass,
};

// The program's own, in this order; each step reports itself by its name.
const std::pair<const char*, Step> kProgramModules[] = {
    {"DocumentTypeModuleInit", DocumentTypeModuleInit},
    {"App", App::RegisterClass},
    {"AboutWindow", AboutWindow::RegisterClass},
    {"AboutWindow._wrapper_CloseTimer", AboutWindow::_wrapper_CloseTimer::RegisterClass},
    {"MainWindow", MainWindow::RegisterClass},
    {"WarnWindow", WarnWindow::RegisterClass},
    {"AppMenue", AppMenue::RegisterClass},
    {"AppMenueModuleInit", AppMenueModuleInit},
};

const Step kModuleReleases[] = {
    DocumentTypeModuleRelease,
    AppMenueModuleRelease,
};

}  // namespace

void InitializeClassesAndModules() {
    for (ClassGetter registerClass : kFrameworkClasses) registerClass();
    for (const auto& [name, step] : kProgramModules) {
        TraceCall("InitializeModule", name);
        step();
    }
}

void ReleaseModuleGlobals() {
    for (Step step : kModuleReleases) step();
}
