// Converts one message file with "Convert"'s conversion, through a real main
// window offscreen, and reports the time of the conversion and the memory it
// took: the resident size before it and the peak during it.
// Usage: single_file_bench SOURCE   (the ".emlx" file is written beside it)
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "framework/Application.h"
#include "PrintingDialogs.h"
#include "framework/Dialogs.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

// A "VmRSS" or "VmHWM" line of /proc/self/status, in kB.
long StatusKB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Starts a new peak: VmHWM counts from the resident size of now on.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SOURCE\n", argv[0]);
        return 2;
    }
    StartBenchRuntime(argv);

    Ref<MainWindow> window = GetMainWindowInstance();
    window->SourceFile = FolderItemFromPath(argv[1]);

    const long before = StatusKB("VmRSS");
    const bool peakReset = ResetPeak();
    const auto start = std::chrono::steady_clock::now();
    Value result = RuntimeInvoke(*window, "p_ConvertSingleFile", {Ref<Object>(window->SourceFile)});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = StatusKB("VmHWM");

    Ref<FolderItem> output = ValueTraits<Ref<FolderItem>>::From(result);
    const bool ok = output && output->Exists();
    std::printf("ok=%d seconds=%.4f rss_before_kb=%ld peak_kb=%ld peak_reset=%d output=%s\n", ok ? 1 : 0, seconds,
                before, peak, peakReset ? 1 : 0, ok ? output->AbsolutePath().ToUTF8().c_str() : "-");
    window->Close();
    return ok ? 0 : 1;
}
