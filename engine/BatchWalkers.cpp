// The second pass of a batch run: the three walkers that rebuild the source
// tree under the target folder, each in its own output layout.
#include <functional>

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

// Folders are told apart by the entry on disk, which needs no path.
void MainWindow::PassOver(const FolderItem& folder) {
    if (const auto entry = folder.EntryIdentity()) batchPassedOver_.insert(*entry);
}

void MainWindow::BeginBatchRun(const FolderItem& source, const Ref<FolderItem>& target) {
    FixHandleBudget();
    batchPassedOver_.clear();
    batchSource_ = source.LeadsTo();
    batchFoldersWrittenInto_.clear();
    batchStart_ = FileTimeNow();
    batchAlone_ = false;
    ClearBatchOutputsWritten();
    if (target.IsNil()) return;
    // The folder the user chose, also when the choice went through a link.
    if (const auto chosen = target->LeadsTo()) batchPassedOver_.insert(*chosen);
    for (const String& suffix : {kMirrorSuffix, kContainerSuffix})
        if (Ref<FolderItem> root = target->Child(source.Name() + suffix)) PassOver(*root);
}

// Sources are only ever read. An output folder is made in the target folder
// or in an output folder of the run, and every folder of the source tree but
// the source folder itself lies in another folder of that tree: so while no
// output folder is a source folder, the one an output folder can turn out to
// be is the source folder (where an earlier run's output holds the source).
// Inside a target that lies in the source, every output is in the target,
// which the walk passes over.
void MainWindow::RefuseSourceFolder(const FolderItem& folder) const {
    if (batchSource_ && folder.EntryIdentity() == batchSource_)
        throw IOException("cannot use the output folder " + folder.Path().string() + ": it is the source folder");
}

bool MainWindow::MakeOutputFolder(FolderItem& folder) {
    RefuseSourceFolder(folder);
    folder.CreateAsFolder();
    if (!folder.Exists()) return false;
    PassOver(folder);
    return true;
}

// Links into folders, the target folder and the run's own output folders are
// never entered, so that no walk or count can run without end, and the count
// and the walk agree on what they cover.
bool MainWindow::PassesOverFolder(const FolderItem& folder) const {
    if (folder.Alias()) return true;
    const auto entry = folder.EntryIdentity();
    return entry && batchPassedOver_.count(*entry) > 0;
}

// Quitting the application or closing the window ends a run between two entries.
bool MainWindow::BatchAbandoned() const { return QuitRequested() || !IsOpen(); }

// Escape stops the walk, and so does abandoning the run.
bool MainWindow::WalkStopRequested() const {
    return getKeyboardObject()->AsyncKeyDown(kVirtualKeyEscape) || BatchAbandoned();
}

namespace {
// The outputs a level writes are its own: names clash only among the files
// of one folder, and a run's memory stays flat, however many files it writes.
template <class Set>
class WrittenOutputsOfLevel {
public:
    explicit WrittenOutputsOfLevel(Set& written) : written_(written) { outer_.swap(written_); }
    ~WrittenOutputsOfLevel() { outer_.swap(written_); }

private:
    Set& written_;
    Set outer_;
};
}  // namespace

// A level that writes into an output folder this run has written into
// already (on a volume that folds letter case, "Work" and "work" share
// one) takes the files this run made there as its own, so that none of
// them is replaced; files of earlier runs still are.
void MainWindow::SeedOutputsWritten(const FolderItem& fileDestination) {
    const auto folder = fileDestination.EntryIdentity();
    if (!folder || batchFoldersWrittenInto_.insert(*folder).second) return;
    for (const FolderItem::Identity& file : fileDestination.FilesChangedSince(batchStart_)) batchOutputsWritten_.insert(file);
}

void MainWindow::WalkLevelEntries(FolderItem& source, const Ref<FolderItem>& fileDestination,
                                  const Ref<FolderItem>& folderDestination, LevelWalker walker) {
    const int32_t n = source.Count();
    const WrittenOutputsOfLevel<OutputSet> ownOutputs(batchOutputsWritten_);
    SeedOutputsWritten(*fileDestination);
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
        if (TopLevel) BeginBatchRun(*SrcFolder, DestFolder);
        const String name = SrcFolder->Name() + (TopLevel ? kMirrorSuffix : String());
        Ref<FolderItem> output = DestFolder->Child(name);
        if (!MakeOutputFolder(*output)) return;
        WalkLevelEntries(*SrcFolder, output, output, &MainWindow::p_Convert);
    } catch (...) {
        ShowCaughtError(kAlertRenameItems);
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
        ShowCaughtError(kAlertRenameItems);
    }
}

void MainWindow::p_Convert_MBox_MailStructure(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        ConvertMailboxLevel(SrcFolder, DestFolder, TopLevel, false, &MainWindow::p_Convert_MBox_MailStructure);
    } catch (...) {
        ShowCaughtError(kAlertRenameItems);
    }
}
