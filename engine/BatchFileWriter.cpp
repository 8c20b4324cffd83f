// The batch writer: one file of a batch run into a given folder, then the
// progress step.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "engine/ReadAhead.h"
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

// Puts a written output of a batch under "<base>.emlx", or when a file of
// this run already has that name, "<base> 2.emlx", "<base> 3.emlx", ...: no
// message of a run replaces another. Files left by an earlier run are
// replaced, so a rerun gives the same files. Files are told apart by the
// entry on disk, not by the name, so that a volume that folds letter case or
// normalises names loses nothing either.
void MainWindow::PlaceBatchOutput(const FolderItem& source, PendingEmlx& pending) {
    const String sourceName = source.Name();
    int32_t number = 1;
    PlaceEmlx(pending, source, [&](const FolderItem::Identity& taken) -> std::optional<String> {
        if (batchOutputsWritten_.count(taken) == 0) return std::nullopt;
        return EmlxFileName(sourceName, ++number);
    });
    if (pending.stream)
        if (const auto entry = pending.output->EntryIdentity()) batchOutputsWritten_.insert(*entry);
}

void MainWindow::WriteBatchOutput(const FolderItem& source, const FolderItem& destination, EmlxDraft&& draft) {
    PendingEmlx pending = WriteEmlxPending(destination.Child(EmlxFileName(source.Name())), draft);
    PlaceBatchOutput(source, pending);
    StepBatchProgress();
}

void MainWindow::p_ConvertFile(Ref<FolderItem> source, Ref<FolderItem> destination) {
    ConvertBatchFile(source, destination, AheadWork(), false);
}

// The batch writer, given what was done ahead of the file: its output
// written, or its draft.
MainWindow::BatchFileDone MainWindow::ConvertBatchFile(const Ref<FolderItem>& source, const Ref<FolderItem>& destination,
                                                       AheadWork ahead, bool mayGiveBack) {
    bool placed = false;
    try {
        std::optional<PendingEmlx> written = std::move(ahead.written);
        if (!written) {
            EmlxDraft draft = ahead.draft ? std::move(*ahead.draft)
                                          : ReadEmlxDraft(*source, [this](const String& header) { return p_GetPList(header); });
            written = WriteEmlxPending(destination->Child(EmlxFileName(source->Name())), draft);
        }
        PlaceBatchOutput(*source, *written);
        placed = true;  // from here on, a failure is not undone by doing the file again
        StepBatchProgress();
    } catch (...) {
        if (mayGiveBack && !placed && FailedForWantOfWhatIsHeld()) return BatchFileDone::GivenBack;
        AlertCaughtFailure(kAlertConvertFile);
        return BatchFileDone::Alerted;
    }
    return BatchFileDone::Converted;
}
