// Converts a folder tree through a real main window, offscreen, the way the
// "Batch Convert" handler does: reset, count, set the maximum, walk.
// Usage: batch_bench SOURCE TARGET mirror|mbox|mail
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "framework/Application.h"
#include "PrintingDialogs.h"
#include "framework/Dialogs.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

const PropertyRecord& Property(Object& object, const std::string& name) {
    for (const PropertyRecord& p : object.Class()->properties)
        if (p.name == name) return p;
    throw RuntimeException("no property " + name);
}

void SetProperty(Object& object, const std::string& name, const Value& value) { Property(object, name).set(object, value); }

}  // namespace

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
    SetProperty(*window, "SourceFolder", Ref<Object>(source));
    SetProperty(*window, "TargetFolder", Ref<Object>(target));
    window->StatusBar()->SetValue(0);
    SetProperty(*window, "ItemCount", int32_t(0));
    RuntimeInvoke(*window, "p_CountItems", {Ref<Object>(source)});
    const int32_t count = std::get<int32_t>(Property(*window, "ItemCount").get(*window));
    window->StatusBar()->SetMaximum(count);
    RuntimeInvoke(*window, walker, {Ref<Object>(source), Ref<Object>(target), true});
    RuntimeBackgroundTask();  // the last status line is painted
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s files=%d converted=%d seconds=%.3f status=\"%s\"\n", layout.c_str(), count,
                window->StatusBar()->Value(), seconds, window->StatusText()->Text().ToUTF8().c_str());
    window->Close();
    return 0;
}
