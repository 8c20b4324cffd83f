#include "framework/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <chrono>

#include "framework/EventDispatch.h"
#include "framework/Keyboard.h"
#include "framework/MainThread.h"
#include "framework/Window.h"

#ifndef QUELMAR_VERSION
#define QUELMAR_VERSION "1.0"
#endif

namespace fw {

namespace {
Ref<Application>& AppObject() {
    static Ref<Application> app;
    return app;
}
int32_t g_exitCode = 0;
bool g_quitRequested = false;
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

String Application::ShortVersion() const { return String(QUELMAR_VERSION); }
String Application::LongVersion() const { return String(QUELMAR_VERSION); }

Ref<Application> getAppObject() { return AppObject(); }
void RuntimeRegisterAppObject(const Ref<Application>& app) { AppObject() = app; }

void RuntimeInit(int& argc, char** argv) {
    RequireMainThread();
    // Never destroyed: at exit Qt's own statics go first, and a QApplication
    // destroyed after them crashes the process on its way out.
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    // Windows closing is no reason to quit: only the program quits.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallKeyboardTracking();
}

void RuntimeRun() {
    RequireMainThread();
    if (!g_quitRequested) g_exitCode = QCoreApplication::exec();
    RethrowEscapedException();  // a handler's exception that ended the loop reaches the caller
}

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

void SetBackgroundTaskObserver(std::function<void()> observer) { BackgroundTaskObserver() = std::move(observer); }

void QuitApplication(int32_t exitCode) {
    g_exitCode = exitCode;
    g_quitRequested = true;
    QCoreApplication::exit(exitCode);
}

bool QuitRequested() { return g_quitRequested; }

int32_t RuntimeExit() {
    RequireMainThread();
    // The windows still open go now, on the main thread, while Qt and the
    // class registry stand: not later among the static destructors.
    CloseOpenWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    AppObject().Release();
    return g_exitCode;
}

}  // namespace fw
