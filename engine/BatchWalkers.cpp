// The second pass of a batch run: the three walkers that rebuild the source
// tree under the target folder, each in its own output layout.
#include <functional>

#include "engine/BatchPlaces.h"
#include "engine/BatchRules.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "engine/ReadAhead.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/HandleLimit.h"
#include "framework/Keyboard.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {
const String kMirrorSuffix = "_conv";
const String kContainerSuffix = "_converted";
const String kMailboxSuffix = ".mbox";
const String kMessagesFolder = "Messages";
}  // namespace

BatchPlaces& MainWindow::BatchPlacesOfRun() {
    if (!batchPlaces_) batchPlaces_ = std::make_shared<BatchPlaces>();
    return *batchPlaces_;
}

// The output folders of an earlier run of this source in the target are
// passed over from the start; a target that lies in the source is walked
// like any other folder of it, but for the run's output folders inside it.
void MainWindow::BeginBatchRun(const FolderItem& source, const Ref<FolderItem>& target) {
    FixHandleBudget();
    BatchPlaces& places = BatchPlacesOfRun();
    places.Begin(source);
    batchAlone_ = false;
    if (target.IsNil()) return;
    for (const String& suffix : {kMirrorSuffix, kContainerSuffix})
        if (Ref<FolderItem> root = target->Child(source.Name() + suffix)) places.AddOutputFolder(*root);
}

// A volume that a run has kept open could not be ejected: once the count or
// the walk is over, none of its folders stays open.
void MainWindow::EndBatchPass(const Ref<FolderItem>& source) {
    if (source) source->LetGo();
    if (batchPlaces_) batchPlaces_->LetGo();
}

// Sources are only ever read. An output folder is made in the target folder
// or in an output folder of the run, and every folder of the source tree but
// the source folder itself lies in another folder of that tree: so while no
// output folder is a source folder, the one an output folder can turn out to
// be is the source folder (where an earlier run's output holds the source).
// Inside a target that lies in the source, every output is in an output
// folder of the run, which the walk passes over.
void MainWindow::RefuseSourceFolder(const FolderItem& folder) const {
    if (batchPlaces_ && batchPlaces_->IsSourceFolder(folder))
        throw IOException("cannot use the output folder " + folder.Path().string() + ": it is the source folder");
}

bool MainWindow::MakeOutputFolder(FolderItem& folder) {
    RefuseSourceFolder(folder);
    folder.CreateAsFolder();
    if (!folder.Exists()) return false;
    BatchPlacesOfRun().AddOutputFolder(folder);
    return true;
}

// Links into folders and the run's own output folders are never entered, so
// that no walk or count can run without end, and the count and the walk
// agree on what they cover.
bool MainWindow::PassesOverFolder(const FolderItem& folder) const {
    return folder.Alias() || (batchPlaces_ && batchPlaces_->IsOutputFolder(folder));
}

// Quitting the application or closing the window ends a run between two entries.
bool MainWindow::BatchAbandoned() const { return QuitRequested() || !IsOpen(); }

// Escape stops the walk, and so does abandoning the run.
bool MainWindow::WalkStopRequested() const {
    return getKeyboardObject()->AsyncKeyDown(kVirtualKeyEscape) || BatchAbandoned();
}

void MainWindow::WalkLevelEntries(FolderItem& source, const Ref<FolderItem>& fileDestination,
                                  const Ref<FolderItem>& folderDestination, LevelWalker walker) {
    const int32_t n = source.Count();
    // The files up to the next folder of the listing are read and written
    // ahead while this loop puts them in place, and dropped when it stops.
    std::optional<ReadAheadRun> run;
    int32_t runLast = 0;
    for (int32_t i = 1; i <= n; ++i) {
        if (WalkStopRequested()) return;
        Ref<FolderItem> entry = source.Item(i);
        switch (WalkEntryKind(entry)) {
        case WalkEntry::Folder:
            run.reset();
            runLast = 0;
            if (!PassesOverFolder(*entry)) (this->*walker)(entry, folderDestination, false);
            break;
        case WalkEntry::File: ConvertInTurn(source, i, n, entry, fileDestination, run, runLast); break;
        case WalkEntry::LeftAlone: break;
        }
        RuntimeBackgroundTask();
    }
}

void MainWindow::p_Convert(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        const BatchPassEnd end{*this, TopLevel ? SrcFolder : Nil};
        if (TopLevel) BeginBatchRun(*SrcFolder, DestFolder);
        const String name = SrcFolder->Name() + (TopLevel ? kMirrorSuffix : String());
        Ref<FolderItem> output = DestFolder->Child(name);
        if (!MakeOutputFolder(*output)) return;
        WalkLevelEntries(*SrcFolder, output, output, &MainWindow::p_Convert);
    } catch (...) {
        ShowCaughtError(kAlertRenameItems, SrcFolder);
    }
}

namespace {
// The container that takes the place of the target folder in both mailbox
// layouts, when it can be made.
Ref<FolderItem> MailboxDestination(const Ref<FolderItem>& SrcFolder, const Ref<FolderItem>& DestFolder,
                                   bool TopLevel, const std::function<bool(FolderItem&)>& make) {
    if (!TopLevel || !DestFolder->Exists()) return DestFolder;
    Ref<FolderItem> container = DestFolder->Child(SrcFolder->Name() + kContainerSuffix);
    return make(*container) ? container : DestFolder;
}
}  // namespace

// One level of either mailbox layout: the mailbox folder and the plain folder
// beside it, and the "Messages" folder inside the mailbox when asked for.
void MainWindow::ConvertMailboxLevel(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel,
                                     bool withMessagesFolder, LevelWalker walker) {
    const BatchPassEnd end{*this, TopLevel ? SrcFolder : Nil};
    if (TopLevel) BeginBatchRun(*SrcFolder, DestFolder);
    DestFolder = MailboxDestination(SrcFolder, DestFolder, TopLevel,
                                    [this](FolderItem& f) { return MakeOutputFolder(f); });
    Ref<FolderItem> mailbox = DestFolder->Child(SrcFolder->Name() + kMailboxSuffix);
    Ref<FolderItem> plain = DestFolder->Child(SrcFolder->Name());
    // A level that is refused makes none of its folders.
    RefuseSourceFolder(*plain);
    if (withMessagesFolder && mailbox->Exists()) RefuseSourceFolder(*mailbox->Child(kMessagesFolder));
    MakeOutputFolder(*mailbox);
    MakeOutputFolder(*plain);
    if (!mailbox->Exists()) return;
    Ref<FolderItem> files = mailbox;
    if (withMessagesFolder) {
        files = mailbox->Child(kMessagesFolder);
        MakeOutputFolder(*files);
    }
    if (!mailbox->Exists() || !plain->Exists()) return;
    WalkLevelEntries(*SrcFolder, files, plain, walker);
}

void MainWindow::p_Convert_MBox(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        ConvertMailboxLevel(SrcFolder, DestFolder, TopLevel, true, &MainWindow::p_Convert_MBox);
    } catch (...) {
        ShowCaughtError(kAlertRenameItems, SrcFolder);
    }
}

void MainWindow::p_Convert_MBox_MailStructure(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        ConvertMailboxLevel(SrcFolder, DestFolder, TopLevel, false, &MainWindow::p_Convert_MBox_MailStructure);
    } catch (...) {
        ShowCaughtError(kAlertRenameItems, SrcFolder);
    }
}
