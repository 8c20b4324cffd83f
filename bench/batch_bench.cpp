// Converts a folder tree through a real main window, offscreen, the way the
// "Batch Convert" handler does: reset, count, set the maximum, walk.
// Usage: batch_bench SOURCE TARGET mirror|mbox|mail
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "BatchRun.h"
#include "PrintingDialogs.h"
#include "framework/Application.h"
#include "windows/MainWindow.h"

using namespace fw;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET mirror|mbox|mail\n", argv[0]);
        return 2;
    }
    StartBenchRuntime(argv);
    const std::string layout = argv[3];
    const char* walker = layout == "mirror" ? "p_Convert" : layout == "mbox" ? "p_Convert_MBox"
                                                                               : "p_Convert_MBox_MailStructure";
    Ref<FolderItem> source = FolderItemFromPath(argv[1]);
    Ref<FolderItem> target = FolderItemFromPath(argv[2]);

    Ref<MainWindow> window = GetMainWindowInstance();
    window->Show();
    const auto start = std::chrono::steady_clock::now();
    const int32_t count = RunBatch(*window, source, target, walker);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s files=%d converted=%d seconds=%.3f status=\"%s\"\n", layout.c_str(), count,
                window->StatusBar()->Value(), seconds, window->StatusText()->Text().ToUTF8().c_str());
    window->Close();
    return 0;
}
