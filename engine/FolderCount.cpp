// The first pass of a batch run: counts the visible files under a folder.
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "framework/Application.h"
#include "windows/MainWindow.h"

using namespace fw;

void MainWindow::p_CountItems(Ref<FolderItem> Folder) {
    try {
        const BatchPassEnd end{*this, countDepth_ == 0 ? Folder : Nil};
        // The top call starts the run, so the count passes over what the walk will.
        if (countDepth_ == 0) BeginBatchRun(*Folder, TargetFolder);
        struct Depth {
            int32_t& depth;
            explicit Depth(int32_t& d) : depth(d) { ++depth; }
            ~Depth() { --depth; }
        } depth(countDepth_);
        const int32_t n = Folder->Count();
        for (int32_t i = 1; i <= n; ++i) {
            if (BatchAbandoned()) return;
            Ref<FolderItem> entry = Folder->Item(i);
            if (entry && entry->Visible()) {
                if (entry->Directory()) {
                    if (!PassesOverFolder(*entry)) p_CountItems(entry);
                } else {
                    ItemCount += 1;
                }
            }
            RuntimeBackgroundTask();
        }
    } catch (...) {
        ShowCaughtError(kAlertCountItems, Folder);
    }
}
