// The guarded part of the start-up: from the exception callback to the event
// loop. An exception that escapes any step skips the rest and goes to the
// framework's unhandled-exception handling.
#include <exception>

#include "app/App.h"
#include "app/AppMenue.h"
#include "app/DocumentType.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/Delegate.h"
#include "framework/Plugins.h"
#include "framework/UnhandledException.h"

using namespace fw;

void RunApplication() {
    try {
        // Each delegate goes as soon as the framework has its entry point.
        RuntimeSetExceptionHelper(
            RuntimeCreateRoutineDelegate(
                RuntimeDescribeMember("ExceptionHelperCallback", "%o<Object>%pp",
                                      MakeRoutineInvoker(&ExceptionHelperCallback)),
                "( Ptr, Ptr ) as Object")
                ->Entry());
        InitializeProgramObjects();
        RunFrameworkInitialization(
            RuntimeCreateRoutineDelegate(
                RuntimeDescribeMember("EmptyInitCallback", "%%", MakeRoutineInvoker(&EmptyInitCallback)), "(  )")
                ->Entry());
        RuntimeRun();
    } catch (...) {
        RuntimeUnhandledException(std::current_exception());
    }
}

void InitializeProgramObjects() {
    RuntimeInitExternalClasses();
    LoadFrameworkPlugins();
    CreateDocumentFileType();
    CreateAppObject();
    BindAboutMenuHandler();
    InstallAppMenuBar();
}

void CreateAppObject() {
    Ref<Object> app = RuntimeNewObject(GetAppClass());
    RuntimeInvoke(*app, "Constructor");
    RuntimeRegisterAppObject(DynamicCast<Application>(app));
}

void BindAboutMenuHandler() {
    Ref<App> app = GetAppInstance();
    Ref<App> receiver = GetAppInstance();
    Ref<Delegate> handler =
        RuntimeCreateDelegate(GetAppClass()->FindMember("_AboutMenue_Action"), receiver, "(  ) as Boolean");
    app->_AddMenuHandler("AboutMenue", handler->Entry());
}

// Where the platform has no global menu bar, the document windows show it.
void InstallAppMenuBar() { GetAppInstance()->SetMenuBar(GetAppMenueInstance()); }
