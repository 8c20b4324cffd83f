// The first pass of a batch run: counts the visible files under a folder.
#include "framework/Application.h"
#include "windows/ErrorAlert.h"
#include "windows/MainWindow.h"

using namespace fw;

void MainWindow::p_CountItems(Ref<FolderItem> Folder) {
    try {
        const int32_t n = Folder->Count();
        for (int32_t i = 1; i <= n; ++i) {
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
        Msg_ShowError("Exception p_CountItems");
    }
}
