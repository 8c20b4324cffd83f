// The batch writer: one file of a batch run into a given folder, then the
// progress step.
#include "engine/BatchPlaces.h"
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

void MainWindow::ClearBatchOutputsWritten() { BatchPlacesOfRun().ForgetWritten(); }

void MainWindow::StepBatchProgress() {
    Ref<ProgressBar> bar = StatusBar();
    bar->SetValue(bar->Value() + 1);
    StatusText()->SetText(StringStrInt32(bar->Value()) + kProgressOf + StringStrInt32(ItemCount) + kProgressHint);
    Refresh(true);
    UpdateNow();
}

// Puts a written output of a batch under "<base>.emlx", or when a file of
// this run already has that name, "<base> 2.emlx", "<base> 3.emlx", ...: no
// message of a run replaces another. Names are compared as the Mac the
// outputs go to compares them, letter case and normalisation folded, on any
// volume. Files left by an earlier run are replaced, so a rerun gives the
// same files.
void MainWindow::PlaceBatchOutput(const FolderItem& source, const Ref<FolderItem>& destination, PendingEmlx& pending) {
    if (!pending.stream) return;
    BatchPlaces& places = BatchPlacesOfRun();
    const String name = places.FreeOutputName(destination, source.Name());
    PlaceEmlx(pending, source, name);
    places.NoteWritten(destination, name);
}

void MainWindow::WriteBatchOutput(const FolderItem& source, const Ref<FolderItem>& destination, EmlxDraft&& draft) {
    PendingEmlx pending = WriteEmlxPending(destination->Child(EmlxFileName(source.Name())), draft);
    PlaceBatchOutput(source, destination, pending);
    StepBatchProgress();
}

void MainWindow::p_ConvertFile(Ref<FolderItem> source, Ref<FolderItem> destination) {
    ConvertBatchFile(source, destination, AheadWork(), false);
}

// The batch writer, given what was done ahead of the file: its output
// written, or its draft.
MainWindow::BatchFileDone MainWindow::ConvertBatchFile(const Ref<FolderItem>& source, const Ref<FolderItem>& destination,
                                                       AheadWork ahead, bool mayGiveBack) {
    const ReportsAbout about(source);  // what the trailer's and the date's catch-alls report
    bool placed = false;
    try {
        std::optional<PendingEmlx> written = std::move(ahead.written);
        if (!written) {
            EmlxDraft draft = ahead.draft ? std::move(*ahead.draft)
                                          : ReadEmlxDraft(*source, [this](const String& header) { return p_GetPList(header); });
            written = WriteEmlxPending(destination->Child(EmlxFileName(source->Name())), draft);
        }
        PlaceBatchOutput(*source, destination, *written);
        placed = true;  // from here on, a failure is not undone by doing the file again
        StepBatchProgress();
    } catch (...) {
        if (mayGiveBack && !placed && FailedForWantOfWhatIsHeld()) return BatchFileDone::GivenBack;
        if (!placed) KeepNameOfFailedFile(source, destination);
        AlertCaughtFailure(kAlertConvertFile, source);
        return BatchFileDone::Alerted;
    }
    return BatchFileDone::Converted;
}

// A file that fails keeps the name it would have had: an output an earlier
// run made of it stays whole, and the files after it keep their names, so
// that no other message takes its place.
void MainWindow::KeepNameOfFailedFile(const Ref<FolderItem>& source, const Ref<FolderItem>& destination) noexcept {
    try {
        BatchPlaces& places = BatchPlacesOfRun();
        places.NoteWritten(destination, places.FreeOutputName(destination, source->Name()));
    } catch (...) {
        // A destination that cannot be told (Nil) holds no output to keep.
    }
}
