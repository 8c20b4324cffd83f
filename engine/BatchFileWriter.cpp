// The batch writer: one file of a batch run into a given folder, then the
// progress step.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "framework/Dialogs.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {
const String kProgressOf = " of ";
const String kProgressHint = " (hit esc to stop)";
}  // namespace

void MainWindow::ClearBatchOutputsWritten() { batchOutputsWritten_.clear(); }

// "<base>.emlx", or when a file of this run already has that name,
// "<base> 2.emlx", "<base> 3.emlx", ...: no message of a run replaces another.
// Files left by an earlier run are replaced, so a rerun gives the same files.
Ref<FolderItem> MainWindow::BatchOutputEntry(const FolderItem& destination, const String& sourceName,
                                             std::string& key) {
    // Every destination of a run lies under its one target path, so the path
    // as written names each output once; no need to ask the file system.
    const std::string folder = std::filesystem::absolute(destination.Path()).lexically_normal().string() + "/";
    String name = EmlxFileName(sourceName);
    for (int32_t n = 2; batchOutputsWritten_.count(folder + name.ToUTF8()) > 0; ++n) name = EmlxFileName(sourceName, n);
    key = folder + name.ToUTF8();
    return destination.Child(name);
}

void MainWindow::StepBatchProgress() {
    Ref<ProgressBar> bar = StatusBar();
    bar->SetValue(bar->Value() + 1);
    StatusText()->SetText(StringStrInt32(bar->Value()) + kProgressOf + StringStrInt32(ItemCount) + kProgressHint);
    Refresh(true);
    UpdateNow();
}

// Writes one file of a batch under the name the run gives it, then steps the progress.
void MainWindow::WriteBatchOutput(const FolderItem& source, const FolderItem& destination, EmlxDraft&& draft) {
    std::string key;
    Ref<FolderItem> output = BatchOutputEntry(destination, source.Name(), key);
    WriteEmlxFile(*output, source, std::move(draft));
    batchOutputsWritten_.insert(std::move(key));
    StepBatchProgress();
}

void MainWindow::p_ConvertFile(Ref<FolderItem> source, Ref<FolderItem> destination) {
    try {
        WriteBatchOutput(*source, *destination,
                         ReadEmlxDraft(*source, [this](String header) { return p_GetPList(std::move(header)); }));
    } catch (...) {
        RuntimeMsgBox(kAlertConvertFile);
    }
}
