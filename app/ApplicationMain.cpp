#include "app/Startup.h"

#include "framework/Application.h"

int32_t ApplicationMain() {
    fw::RuntimeInit();
    InitializeClassesAndModules();
    RunApplication();
    ReleaseModuleGlobals();
    return fw::RuntimeExit();
}
