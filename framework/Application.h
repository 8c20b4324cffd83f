#pragma once
// The application object and the event loop.
#include <cstdint>
#include <functional>

#include "framework/FolderItem.h"
#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class Application : public Object {
public:
    // The running executable (virtual so a test can place the application elsewhere).
    virtual Ref<FolderItem> ExecutableFile() const;
    String ShortVersion() const;
    String LongVersion() const;
};

// The application object registered with the framework, or Nil.
Ref<Application> getAppObject();
void RuntimeRegisterAppObject(const Ref<Application>& app);

// Makes the runtime ready: the Qt application for the windows included.
void RuntimeInit(int& argc, char** argv);
// Runs the event loop until the application quits.
void RuntimeRun();
// The yield point of every long loop: handles the pending events, user input included.
void RuntimeBackgroundTask();
// Tests watch the walk through this: it runs after every yield.
void SetBackgroundTaskObserver(std::function<void()> observer);
// Ends the event loop with that exit code.
void QuitApplication(int32_t exitCode);
bool QuitRequested();
// Shuts the runtime down: closes and destroys the windows still open; the
// process's exit code.
int32_t RuntimeExit();

}  // namespace fw
