#include "framework/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "framework/Keyboard.h"
#include "framework/MainThread.h"

#ifndef QUELMAR_VERSION
#define QUELMAR_VERSION "1.0"
#endif

namespace fw {

namespace {
Ref<Application>& AppObject() {
    static Ref<Application> app;
    return app;
}
std::unique_ptr<QApplication>& QtApp() {
    static std::unique_ptr<QApplication> app;
    return app;
}
int32_t g_exitCode = 0;
bool g_quitRequested = false;
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
    if (!QCoreApplication::instance()) QtApp() = std::make_unique<QApplication>(argc, argv);
    // Windows closing is no reason to quit: only the program quits.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallKeyboardTracking();
}

void RuntimeRun() {
    RequireMainThread();
    if (g_quitRequested) return;
    g_exitCode = QCoreApplication::exec();
}

void RuntimeBackgroundTask() {
    if (QCoreApplication::instance() && OnMainThread()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QuitApplication(int32_t exitCode) {
    g_exitCode = exitCode;
    g_quitRequested = true;
    QCoreApplication::exit(exitCode);
}

bool QuitRequested() { return g_quitRequested; }

int32_t RuntimeExit() {
    AppObject().Release();
    return g_exitCode;
}

}  // namespace fw
