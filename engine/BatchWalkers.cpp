// The second pass of a batch run: the three walkers that rebuild the source
// tree under the target folder, each in its own output layout.
#include <functional>

#include "engine/BatchRules.h"
#include "framework/Application.h"
#include "framework/Keyboard.h"
#include "windows/ErrorAlert.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {
const String kMirrorSuffix = "_conv";
const String kContainerSuffix = "_converted";
const String kMailboxSuffix = ".mbox";
const String kMessagesFolder = "Messages";
}  // namespace

void MainWindow::BeginBatchWalk() {
    batchOutputFolders_.clear();
    ClearBatchOutputsWritten();
}

bool MainWindow::MakeOutputFolder(FolderItem& folder) {
    folder.CreateAsFolder();
    if (!folder.Exists()) return false;
    batchOutputFolders_.insert(CanonicalPathOf(folder));
    return true;
}

// Links into folders, the target folder and the folders this walk has made
// are never entered, so that no walk or count can run without end.
bool MainWindow::PassesOverFolder(const FolderItem& folder) const {
    if (folder.Alias()) return true;
    const std::string path = CanonicalPathOf(folder);
    if (TargetFolder && path == CanonicalPathOf(*TargetFolder)) return true;
    return batchOutputFolders_.count(path) > 0;
}

// Escape stops the walk; so does quitting the application or closing the
// window, at the same place between two entries.
bool MainWindow::WalkStopRequested() const {
    return getKeyboardObject()->AsyncKeyDown(kVirtualKeyEscape) || QuitRequested() || !IsOpen();
}

void MainWindow::WalkLevelEntries(FolderItem& source, const Ref<FolderItem>& fileDestination,
                                  const Ref<FolderItem>& folderDestination, LevelWalker walker) {
    const int32_t n = source.Count();
    for (int32_t i = 1; i <= n; ++i) {
        if (WalkStopRequested()) return;
        Ref<FolderItem> entry = source.Item(i);
        if (entry && entry->Visible()) {
            if (entry->Directory()) {
                if (!PassesOverFolder(*entry)) (this->*walker)(entry, folderDestination, false);
            } else if (!IsPassedOverFile(*entry)) {
                p_ConvertFile(entry, fileDestination);
            }
        }
        RuntimeBackgroundTask();
    }
}

void MainWindow::p_Convert(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        if (TopLevel) BeginBatchWalk();
        const String name = SrcFolder->Name() + (TopLevel ? kMirrorSuffix : String());
        Ref<FolderItem> output = DestFolder->Child(name);
        if (!MakeOutputFolder(*output)) return;
        WalkLevelEntries(*SrcFolder, output, output, &MainWindow::p_Convert);
    } catch (...) {
        Msg_ShowError("Exception p_RenameItems");
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
    if (TopLevel) BeginBatchWalk();
    DestFolder = MailboxDestination(SrcFolder, DestFolder, TopLevel,
                                    [this](FolderItem& f) { return MakeOutputFolder(f); });
    Ref<FolderItem> mailbox = DestFolder->Child(SrcFolder->Name() + kMailboxSuffix);
    Ref<FolderItem> plain = DestFolder->Child(SrcFolder->Name());
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
        Msg_ShowError("Exception p_RenameItems");
    }
}

void MainWindow::p_Convert_MBox_MailStructure(Ref<FolderItem> SrcFolder, Ref<FolderItem> DestFolder, bool TopLevel) {
    try {
        ConvertMailboxLevel(SrcFolder, DestFolder, TopLevel, false, &MainWindow::p_Convert_MBox_MailStructure);
    } catch (...) {
        Msg_ShowError("Exception p_RenameItems");
    }
}
