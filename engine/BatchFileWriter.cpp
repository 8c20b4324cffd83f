// The batch writer: one file of a batch run into a given folder, then the
// progress step.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {
const String kProgressOf = " of ";
const String kProgressHint = " (hit esc to stop)";
}  // namespace

void MainWindow::ClearBatchOutputsWritten() { batchOutputsWritten_.clear(); }

void MainWindow::StepBatchProgress() {
    Ref<ProgressBar> bar = StatusBar();
    bar->SetValue(bar->Value() + 1);
    StatusText()->SetText(StringStrInt32(bar->Value()) + kProgressOf + StringStrInt32(ItemCount) + kProgressHint);
    Refresh(true);
    UpdateNow();
}

// Writes one file of a batch under "<base>.emlx", or when a file of this run
// already has that name, "<base> 2.emlx", "<base> 3.emlx", ...: no message of
// a run replaces another. Files left by an earlier run are replaced, so a
// rerun gives the same files. Files are told apart by the entry on disk, not
// by the name, so that a volume that folds letter case or normalises names
// loses nothing either. Then steps the progress.
void MainWindow::WriteBatchOutput(const FolderItem& source, const FolderItem& destination, EmlxDraft&& draft) {
    const String sourceName = source.Name();
    Ref<FolderItem> output = destination.Child(EmlxFileName(sourceName));
    int32_t number = 1;
    WriteEmlxFile(*output, source, draft, [&](const FolderItem::Identity& taken) -> std::optional<String> {
        if (batchOutputsWritten_.count(taken) == 0) return std::nullopt;
        return EmlxFileName(sourceName, ++number);
    });
    if (const auto entry = output->EntryIdentity()) batchOutputsWritten_.insert(*entry);
    StepBatchProgress();
}

void MainWindow::p_ConvertFile(Ref<FolderItem> source, Ref<FolderItem> destination) {
    try {
        WriteBatchOutput(*source, *destination,
                         ReadEmlxDraft(*source, [this](const String& header) { return p_GetPList(header); }));
    } catch (...) {
        AlertCaughtFailure(kAlertConvertFile);
    }
}
