#pragma once
// The main window: the chosen source file, source folder and target folder,
// the item count of the batch run under way, the window's controls, their
// handlers, and the working methods of the conversion engine.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/Controls.h"
#include "framework/FolderItem.h"
#include "framework/Window.h"

struct AheadWork;
class BatchPlaces;
struct EmlxDraft;
struct PendingEmlx;
class ReadAheadRun;
class ReadAheadWorker;

class MainWindow : public fw::Window {
public:
    // Window construction hooks.
    void Layout();
    void CreateControls();
    void _CreateControls0();

    // Control accessors: each looks its control up by name.
    fw::Ref<fw::TabPanel> TabPanel1();
    fw::Ref<fw::Label> StaticText1();
    fw::Ref<fw::TextField> SourceDirectoryField();
    fw::Ref<fw::BevelButton> SourceDirSelectBtn();
    fw::Ref<fw::Label> StaticText2();
    fw::Ref<fw::TextField> TargetDirectoryField();
    fw::Ref<fw::BevelButton> TargetDirSelectBtn();
    fw::Ref<fw::ProgressBar> StatusBar();
    fw::Ref<fw::Label> StaticText3();
    fw::Ref<fw::TextField> SourceFileField();
    fw::Ref<fw::BevelButton> SourceFileSelectBtn();
    fw::Ref<fw::Label> StatusText();
    fw::Ref<fw::PushButton> ConvertSingleBtn();
    fw::Ref<fw::PushButton> ConvertBatchBtn();
    fw::Ref<fw::Label> StaticText4();
    fw::Ref<fw::CheckBox> CreateMBoxCB();
    fw::Ref<fw::CheckBox> CreateMailStructureCB();
    fw::Ref<fw::PushButton> QuitBtn();
    fw::Ref<fw::BevelButton> AboutBtn();
    fw::Ref<fw::BevelButton> HelpBtn();

    // Event handlers.
    void SourceDirectoryField_TextChange(fw::Ref<fw::TextField> sender);
    void SourceDirSelectBtn_Action(fw::Ref<fw::BevelButton> sender);
    void TargetDirectoryField_TextChange(fw::Ref<fw::TextField> sender);
    void TargetDirSelectBtn_Action(fw::Ref<fw::BevelButton> sender);
    void SourceFileField_TextChange(fw::Ref<fw::TextField> sender);
    void SourceFileSelectBtn_Action(fw::Ref<fw::BevelButton> sender);
    void ConvertSingleBtn_Action(fw::Ref<fw::PushButton> sender);
    void ConvertBatchBtn_Action(fw::Ref<fw::PushButton> sender);
    void CreateMBoxCB_Action(fw::Ref<fw::CheckBox> sender);
    void QuitBtn_Action(fw::Ref<fw::PushButton> sender);
    void AboutBtn_Action(fw::Ref<fw::BevelButton> sender);
    void HelpBtn_Action(fw::Ref<fw::BevelButton> sender);
    void Event_Open();

    void p_ActivateControls();
    bool Desktop_FileExists(fw::Ref<fw::FolderItem> item);

    // Public property.
    fw::Ref<fw::FolderItem> SourceFile;

    static void RegisterClass();

protected:
    void p_Convert(fw::Ref<fw::FolderItem> SrcFolder, fw::Ref<fw::FolderItem> DestFolder, bool TopLevel);
    fw::Ref<fw::FolderItem> p_ConvertSingleFile(fw::Ref<fw::FolderItem> source);
    void p_SetTargetFolder();
    fw::String p_GetPList(const fw::String& message);
    void p_ConvertFile_Obs(fw::Ref<fw::FolderItem> source, fw::Ref<fw::FolderItem> destination);
    void p_CountItems(fw::Ref<fw::FolderItem> Folder);
    void p_Convert_MBox(fw::Ref<fw::FolderItem> SrcFolder, fw::Ref<fw::FolderItem> DestFolder, bool TopLevel);
    void p_Convert_MBox_MailStructure(fw::Ref<fw::FolderItem> SrcFolder, fw::Ref<fw::FolderItem> DestFolder,
                                      bool TopLevel);
    void p_ConvertFile(fw::Ref<fw::FolderItem> source, fw::Ref<fw::FolderItem> destination);

    // Protected properties.
    fw::Ref<fw::FolderItem> TargetFolder;
    fw::Ref<fw::FolderItem> SourceFolder;
    int32_t ItemCount = 0;

private:
    // The batch walk: the entry loop that the three layouts share, and the
    // rules that keep a walk finite and stoppable.
    using LevelWalker = void (MainWindow::*)(fw::Ref<fw::FolderItem>, fw::Ref<fw::FolderItem>, bool);
    void WalkLevelEntries(fw::FolderItem& source, const fw::Ref<fw::FolderItem>& fileDestination,
                          const fw::Ref<fw::FolderItem>& folderDestination, LevelWalker walker);
    void ConvertMailboxLevel(fw::Ref<fw::FolderItem> SrcFolder, fw::Ref<fw::FolderItem> DestFolder, bool TopLevel,
                             bool withMessagesFolder, LevelWalker walker);
    // Starts what a run remembers: the folders it passes over and the names it has written.
    void BeginBatchRun(const fw::FolderItem& source, const fw::Ref<fw::FolderItem>& target);
    // Lets go of the folders the count or the walk of `source` kept open,
    // when the top level of either ends.
    void EndBatchPass(const fw::Ref<fw::FolderItem>& source);
    struct BatchPassEnd {
        MainWindow& window;
        fw::Ref<fw::FolderItem> source;  // Nil below the top level
        ~BatchPassEnd() {
            if (source) window.EndBatchPass(source);
        }
    };
    // Makes one output folder of a level; true when it exists afterwards.
    // Raises when the folder is the source folder, which is only ever read.
    bool MakeOutputFolder(fw::FolderItem& folder);
    void RefuseSourceFolder(const fw::FolderItem& folder) const;
    bool PassesOverFolder(const fw::FolderItem& folder) const;
    bool BatchAbandoned() const;
    bool WalkStopRequested() const;
    BatchPlaces& BatchPlacesOfRun();
    std::shared_ptr<BatchPlaces> batchPlaces_;
    int32_t countDepth_ = 0;
    // The threads that read, convert and write the next files of a folder
    // while the walk puts one in place; after a failure that the main thread
    // alone does not meet, the run goes on with the main thread alone.
    ReadAheadWorker* BatchReadAhead();
    void ConvertInTurn(fw::FolderItem& source, int32_t index, int32_t count, const fw::Ref<fw::FolderItem>& entry,
                       const fw::Ref<fw::FolderItem>& destination, std::optional<ReadAheadRun>& run,
                       int32_t& runLast);
    std::shared_ptr<ReadAheadWorker> readAhead_;
    bool batchAlone_ = false;

    // The batch writer: the output of a file (no name written twice in one
    // folder of a run), and the per-file progress step.
    void StepBatchProgress();
    // GivenBack, with nothing reported or left, when `mayGiveBack` and the
    // file could not be converted for want of what is held ahead: the
    // caller has it done again.
    enum class BatchFileDone { Converted, Alerted, GivenBack };
    BatchFileDone ConvertBatchFile(const fw::Ref<fw::FolderItem>& source, const fw::Ref<fw::FolderItem>& destination,
                                   AheadWork ahead, bool mayGiveBack);
    void PlaceBatchOutput(const fw::FolderItem& source, const fw::Ref<fw::FolderItem>& destination,
                          PendingEmlx& pending);
    void WriteBatchOutput(const fw::FolderItem& source, const fw::Ref<fw::FolderItem>& destination, EmlxDraft&& draft);
    void KeepNameOfFailedFile(const fw::Ref<fw::FolderItem>& source, const fw::Ref<fw::FolderItem>& destination) noexcept;
    void ClearBatchOutputsWritten();

    // While "Batch Convert" runs, the buttons that start work or change a
    // choice do nothing: no nested run, no folder changed under the walk.
    bool batchRunInProgress_ = false;

    friend struct MainWindowTestAccess;
    friend void MainWindowInstanceCleanup(MainWindow& window);
};

// The shared main window: the open one, or a new one, created and opened.
fw::Ref<MainWindow> GetMainWindowInstance();
const fw::ClassRecord* GetMainWindowClass();
// The class's clean-up, run when the window's last reference goes.
void MainWindowInstanceCleanup(MainWindow& window);
