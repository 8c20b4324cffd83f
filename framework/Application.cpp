#include "framework/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "framework/CallTrace.h"
#include "framework/EventDispatch.h"
#include "framework/Keyboard.h"
#include "framework/MainThread.h"
#include "framework/ToolkitThreadCheck.h"
#include "framework/Window.h"

// The build gives the versions (the project's version in CMakeLists.txt).
#if !defined(QUELMAR_SHORT_VERSION) || !defined(QUELMAR_LONG_VERSION)
#error "QUELMAR_SHORT_VERSION and QUELMAR_LONG_VERSION come from the build"
#endif

namespace fw {

namespace {
Ref<Application>& AppObject() {
    static Ref<Application> app;
    return app;
}
int32_t g_exitCode = 0;
bool g_quitRequested = false;
bool g_runFailed = false;
bool g_loopRunning = false;
std::function<void()>& BackgroundTaskObserver() {
    static std::function<void()> observer;
    return observer;
}
}  // namespace

Ref<FolderItem> Application::ExecutableFile() const {
    QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if (path.isEmpty()) return FolderItemFromPath("/proc/self/exe");
    return FolderItemFromPath(path.toStdString());
}

String Application::ShortVersion() const { return String(QUELMAR_SHORT_VERSION); }
String Application::LongVersion() const { return String(QUELMAR_LONG_VERSION); }

Ref<Application> getAppObject() { return AppObject(); }
void RuntimeRegisterAppObject(const Ref<Application>& app) {
    TraceCall("RuntimeRegisterAppObject", app && app->Class() ? app->Class()->name : std::string());
    AppObject() = app;
}

void RuntimeInit() {
    // The command line is not the program's: Qt gets the program's name alone.
    static int argc = 1;
    static char name[] = "Quelmar";
    static char* argv[] = {name, nullptr};
    RuntimeInit(argc, argv);
}

void RuntimeInit(int& argc, char** argv) {
    RequireMainThread();
    TraceCall("RuntimeInit");
    g_exitCode = 0;
    g_quitRequested = false;
    g_runFailed = false;
    // Never destroyed: at exit Qt's own statics go first, and a QApplication
    // destroyed after them crashes the process on its way out.
    if (!QCoreApplication::instance()) {
        new QApplication(argc, argv);
        // Without its threads the toolkit would hang at its first picture:
        // nothing can be shown, an alert neither, so the start-up ends here.
        const std::string missing = ToolkitThreadsMissing();
        if (!missing.empty()) {
            std::fprintf(stderr, "Quelmar: cannot start: %s\n", missing.c_str());
            std::exit(EXIT_FAILURE);
        }
    }
    // Windows closing is no reason to quit: only the program quits.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallKeyboardTracking();
}

void RuntimeRun() {
    RequireMainThread();
    TraceCall("RuntimeRun");
    if (g_quitRequested) return;
    ApplicationLoopStarting();
    // Also when an exception ends the loop: the run that it ended then counts as failed.
    struct LoopRunning {
        LoopRunning() { g_loopRunning = true; }
        ~LoopRunning() { g_loopRunning = false; }
    } running;
    g_exitCode = QCoreApplication::exec();
    ApplicationLoopEnded();
}

bool EventLoopRunning() { return g_loopRunning; }

void RuntimeBackgroundTask() {
    if (!OnMainThread()) return;
    // A walk yields after every entry. The events are handled when they last
    // were more than a few milliseconds ago: Escape, "Quit" and closing the
    // window reach the walk as soon as ever, and a walk of many small files
    // does not spend most of its time asking for events that are not there.
    constexpr auto kEventInterval = std::chrono::milliseconds(4);
    static std::chrono::steady_clock::time_point lastEvents;
    const auto now = std::chrono::steady_clock::now();
    if (QCoreApplication::instance() && now - lastEvents >= kEventInterval) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        lastEvents = std::chrono::steady_clock::now();
    }
    if (BackgroundTaskObserver()) BackgroundTaskObserver()();
}

std::function<void()> SetBackgroundTaskObserver(std::function<void()> observer) {
    std::swap(BackgroundTaskObserver(), observer);
    return observer;
}

void QuitApplication(int32_t exitCode) {
    g_exitCode = exitCode;
    g_quitRequested = true;
    QCoreApplication::exit(exitCode);
}

bool QuitRequested() { return g_quitRequested; }

void MarkRunFailed() { g_runFailed = true; }

int32_t RunExitCode() { return g_runFailed && g_exitCode == 0 ? 1 : g_exitCode; }

int32_t RuntimeExit() {
    RequireMainThread();
    TraceCall("RuntimeExit");
    // The windows still open go now, on the main thread, while Qt and the
    // class registry stand: not later among the static destructors.
    CloseOpenWindows();
    ApplicationRunEnded();
    AppObject().Release();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const int32_t exitCode = RunExitCode();
    // The runtime is down: nothing of this run is pending for the next one.
    g_exitCode = 0;
    g_quitRequested = false;
    g_runFailed = false;
    return exitCode;
}

}  // namespace fw
