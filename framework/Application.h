#pragma once
// The application object and the event loop.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/Delegate.h"
#include "framework/FolderItem.h"
#include "framework/Object.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

namespace fw {

class MenuBar;
class MenuItem;

// The application object. The framework raises its events through the class's
// event table: "Open" once the framework is initialised and the loop runs,
// "Activate" and "Deactivate" as the application gains and loses the user,
// "OpenDocument" for a file opened with the application, "EnableMenuItems"
// before a menu opens, "UnhandledException" for an exception that nothing
// took, and "Close" when the loop has ended (ApplicationClass.cpp).
class Application : public Object {
public:
    ~Application() override;

    // The running executable (virtual so a test can place the application elsewhere).
    virtual Ref<FolderItem> ExecutableFile() const;
    String ShortVersion() const;
    String LongVersion() const;

    // The virtual operations, in their slot order.
    void AddTrayItem(Ref<Object> item);  // there is no system tray here: raises
    void DoEvents(int32_t milliseconds);  // handles events for that long
    void NewDocument();                   // raises "NewDocument"
    void OpenDocument(Ref<FolderItem> item);  // raises "OpenDocument" with the file
    void RemoveTrayItem(Ref<Object> item);
    void SleepCurrentThread(int32_t milliseconds);
    void YieldToNextThread();
    // Choosing a menu item of that name calls the handler (which returns True
    // when it has handled the choice) before the item's own action.
    void _AddMenuHandler(String itemName, Ref<EntryPoint> handler);
    void _AddPollableObject(Ref<Object> object);  // polled ("Poll") at each single event
    void _DoSingleEvent();
    void _RemovePollableObject(Ref<Object> object);
    String __DependencyList();  // the plug-in libraries loaded, one per line

    // The menu bar of the application: the platform's global one where it has
    // one, else shown above the content of each document window.
    Ref<fw::MenuBar> MenuBar() const { return menuBar_; }
    void SetMenuBar(const Ref<fw::MenuBar>& bar);

    // Raises an application event through the class's event table. False when
    // the class binds no member to it.
    bool RaiseEvent(const std::string& event, const std::vector<Value>& args = {}, Value* result = nullptr);
    // A menu item was chosen: its handler, if one is bound to its name and
    // claims the choice; else the item's own action.
    void MenuItemChosen(MenuItem& item);

private:
    std::map<std::string, Ref<EntryPoint>> menuHandlers_;
    std::vector<WeakRef<Object>> pollables_;
    Ref<fw::MenuBar> menuBar_;
};

// The class record of Application, registered on first use.
const ClassRecord* GetApplicationClass();

// The application object registered with the framework, or Nil.
Ref<Application> getAppObject();
void RuntimeRegisterAppObject(const Ref<Application>& app);

// Makes the runtime ready: the Qt application for the windows included. A
// new run starts: no quit is pending and nothing has failed.
void RuntimeInit();
void RuntimeInit(int& argc, char** argv);
// The framework's own initialisation: calls the program's callback; from then
// on the application's "Open" is raised as soon as the loop runs.
void RunFrameworkInitialization(const Ref<EntryPoint>& callback);
// Runs the event loop until the application quits.
void RuntimeRun();
bool EventLoopRunning();
// The yield point of every long loop: handles the pending events, user input included.
void RuntimeBackgroundTask();
// Tests watch the walk through this: it runs after every yield. Returns the
// observer it replaces.
std::function<void()> SetBackgroundTaskObserver(std::function<void()> observer);
// Ends the event loop with that exit code.
void QuitApplication(int32_t exitCode);
bool QuitRequested();
// The run has failed (an exception ended it): its exit code is not 0.
void MarkRunFailed();
// The exit code the run has come to: the code of the quit, or 1 when the run
// failed without one.
int32_t RunExitCode();
// Shuts the runtime down: closes and destroys the windows still open and lets
// go of the application object; the process's exit code, RunExitCode.
int32_t RuntimeExit();

// The framework's side of a run, in ApplicationClass.cpp: "Open" queued as
// the loop starts, "Close" when it has ended, and the run's application state
// let go at exit.
void ApplicationLoopStarting();
void ApplicationLoopEnded();
void ApplicationRunEnded();

}  // namespace fw
