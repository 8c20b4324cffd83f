// The handlers of the main window and its enabling rule.
#include "engine/BatchRules.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "windows/AboutWindow.h"
#include "windows/ErrorAlert.h"
#include "windows/MainWindow.h"
#include "windows/WarnWindow.h"

using namespace fw;

namespace {

// Messages of the normal flow, each shown in the warning dialog with one "OK" button.
//           message                        text
const String kSourceFileMissing          = "The source directory does not seem to be readable.";
const String kSourceFolderNotWritable    = "The source directory is not writable. Please make sure that it is.";
const String kNotAMessageFile            = "This is not the right type of file. Please convert eml-files.";
const String kTargetFolderMissing        = "The target directory does not seem to exits.";
const String kTargetFolderNotWritable    = "The target directory is not writable. Please make sure that it is.";
const String kSingleConversionDone       = "Conversion done successfull.";
const String kImportNote                 = "To import emlx into Apple Mail remember to select 'Apple Mail' when "
                                            "choosing 'Import Mailboxes'";
const String kBatchConversionDone        = "Conversion done.";

// Texts of the catch-alls, shown through Msg_ShowError.
//           member                         text
const String kTargetDirSelectBtnFailed   = "Exception in SetTargetFolderButton";
const String kSourceFileSelectBtnFailed  = "Exception in SoruceFileSelectBtn";
const String kConvertSingleBtnFailed     = "ConvertBtn.Action";
const String kSetTargetFolderFailed      = "Exception in SetTargetFolder";

void ShowMessage(const String& message) { GetWarnWindowInstance()->InitWindow(1, message, "OK", "", ""); }

}  // namespace

void MainWindow::p_ActivateControls() {
    ConvertSingleBtn()->SetEnabled(false);
    ConvertBatchBtn()->SetEnabled(false);
    if (SourceFile) ConvertSingleBtn()->SetEnabled(true);
    SourceDirSelectBtn()->SetEnabled(true);
    if (SourceFolder) {
        TargetDirSelectBtn()->SetEnabled(true);
        if (TargetFolder) ConvertBatchBtn()->SetEnabled(true);
    }
}

void MainWindow::SourceDirSelectBtn_Action(Ref<BevelButton>) {
    if (batchRunInProgress_) return;
    Ref<FolderItem> folder = RuntimeSelectFolder();
    if (folder.IsNil() || !folder->Exists()) return;
    SourceFolder = folder;
    SourceDirectoryField()->SetText(folder->AbsolutePath());
    p_ActivateControls();
}

void MainWindow::TargetDirSelectBtn_Action(Ref<BevelButton>) {
    if (batchRunInProgress_) return;
    WithCatchAll(kTargetDirSelectBtnFailed, [&] {
        Ref<FolderItem> folder = RuntimeSelectFolder();
        if (folder.IsNil()) return;
        if (!folder->Exists()) return ShowMessage(kTargetFolderMissing);
        if (!folder->IsWriteable()) return ShowMessage(kTargetFolderNotWritable);
        TargetFolder = folder;
        TargetDirectoryField()->SetText(folder->AbsolutePath());
        p_ActivateControls();
    });
}

void MainWindow::SourceFileSelectBtn_Action(Ref<BevelButton>) {
    if (batchRunInProgress_) return;
    WithCatchAll(kSourceFileSelectBtnFailed, [&] {
        Ref<FolderItem> file = RuntimeGetOpenFolderItem("eml");
        if (file.IsNil()) return;
        if (!file->Exists()) return ShowMessage(kSourceFileMissing);
        if (!file->Parent()->IsWriteable()) return ShowMessage(kSourceFolderNotWritable);
        if (IsPassedOverFile(*file)) return ShowMessage(kNotAMessageFile);
        SourceFileField()->SetText(file->AbsolutePath());
        SourceFile = file;
        p_ActivateControls();
    });
}

void MainWindow::ConvertSingleBtn_Action(Ref<PushButton>) {
    if (batchRunInProgress_) return;
    WithCatchAll(kConvertSingleBtnFailed, [&] {
        if (SourceFile.IsNil() || !SourceFile->Exists()) return;
        Ref<FolderItem> written = p_ConvertSingleFile(SourceFile);
        if (written && written->Exists()) ShowMessage(kSingleConversionDone);
    });
}

void MainWindow::ConvertBatchBtn_Action(Ref<PushButton>) {
    if (batchRunInProgress_) return;
    struct RunInProgress {
        bool& flag;
        explicit RunInProgress(bool& f) : flag(f) { flag = true; }
        ~RunInProgress() { flag = false; }
    } run(batchRunInProgress_);

    if (CreateMailStructureCB()->Value()) ShowMessage(kImportNote);
    StatusBar()->SetValue(0);
    ItemCount = 0;
    p_CountItems(SourceFolder);
    StatusBar()->SetMaximum(ItemCount);
    StatusText()->SetText(StringStrInt32(StatusBar()->Value()) + " of " + StringStrInt32(ItemCount));
    if (!CreateMBoxCB()->Value()) p_Convert(SourceFolder, TargetFolder, true);
    else if (!CreateMailStructureCB()->Value()) p_Convert_MBox(SourceFolder, TargetFolder, true);
    else p_Convert_MBox_MailStructure(SourceFolder, TargetFolder, true);
    ShowMessage(kBatchConversionDone);
}

void MainWindow::CreateMBoxCB_Action(Ref<CheckBox> sender) { CreateMailStructureCB()->SetEnabled(sender->Value()); }

void MainWindow::QuitBtn_Action(Ref<PushButton>) { QuitApplication(0); }

void MainWindow::AboutBtn_Action(Ref<BevelButton>) {
    GetAboutWindowInstance()->Show();
    GetAboutWindowInstance()->CloseTimer()->SetMode(Timer::kModeOff);
}

void MainWindow::HelpBtn_Action(Ref<BevelButton>) {}

void MainWindow::Event_Open() { p_ActivateControls(); }

void MainWindow::SourceDirectoryField_TextChange(Ref<TextField>) { p_ActivateControls(); }
void MainWindow::TargetDirectoryField_TextChange(Ref<TextField>) { p_ActivateControls(); }
void MainWindow::SourceFileField_TextChange(Ref<TextField>) { p_ActivateControls(); }

void MainWindow::p_SetTargetFolder() {
    WithCatchAll(kSetTargetFolderFailed, [&] {
        Ref<FolderItem> folder = RuntimeSelectFolder();
        if (folder.IsNil()) return;
        if (folder->IsWriteable()) TargetFolder = folder;
        else ShowMessage(kTargetFolderNotWritable);
    });
}
