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
// Files are told apart by the entry on disk, not by the name, so that a
// volume that folds letter case or normalises names loses nothing either.
Ref<FolderItem> MainWindow::BatchOutputEntry(const FolderItem& destination, const String& sourceName) {
    for (int32_t n = 1;; ++n) {
        Ref<FolderItem> candidate = destination.Child(EmlxFileName(sourceName, n));
        const auto entry = candidate->EntryIdentity();
        if (!entry || batchOutputsWritten_.count(*entry) == 0) return candidate;
    }
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
    Ref<FolderItem> output = BatchOutputEntry(destination, source.Name());
    WriteEmlxFile(*output, source, std::move(draft));
    if (const auto entry = output->EntryIdentity()) batchOutputsWritten_.insert(*entry);
    StepBatchProgress();
}

void MainWindow::p_ConvertFile(Ref<FolderItem> source, Ref<FolderItem> destination) {
    try {
        WriteBatchOutput(*source, *destination,
                         ReadEmlxDraft(*source, [this](const String& message) { return p_GetPList(message); }));
    } catch (...) {
        RuntimeMsgBox(kAlertConvertFile);
    }
}
