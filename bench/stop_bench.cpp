// A batch run stopped with Escape as soon as its first output is placed:
// how long the walk takes to return, and the peak memory of the run.
// Usage: stop_bench SOURCE TARGET WORKERS   (WORKERS: threads reading ahead, 0: none)
#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "PrintingDialogs.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "framework/WorkerThreads.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

long PeakKB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmHWM:") == 0) return std::stol(line.substr(6));
    return -1;
}

void Escape(MainWindow& window, bool down) {
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window.Widget(), &event);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET WORKERS\n", argv[0]);
        return 2;
    }
    StartBenchRuntime(argv);
    SetWorkerThreads(std::stoi(argv[3]));
    Ref<FolderItem> source = FolderItemFromPath(argv[1]);
    Ref<FolderItem> target = FolderItemFromPath(argv[2]);
    Ref<MainWindow> window = GetMainWindowInstance();
    window->Show();

    std::chrono::steady_clock::time_point pressed;
    int outputs = 0;
    SetCreationObserver([&](const std::filesystem::path& made) {
        if (made.extension() != ".emlx" || outputs++ > 0) return;
        Escape(*window, true);
        pressed = std::chrono::steady_clock::now();
    });
    RuntimeInvoke(*window, "p_Convert", {Ref<Object>(source), Ref<Object>(target), true});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
    Escape(*window, false);
    std::printf("workers=%s outputs=%d stop_seconds=%.3f peak_mb=%.0f\n", argv[3], outputs, seconds, PeakKB() / 1024.0);
    window->Close();
    return 0;
}
