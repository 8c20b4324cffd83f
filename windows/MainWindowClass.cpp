// The class record of MainWindow, its shared instance, its control accessors
// and its clean-up.
#include "windows/MainWindow.h"

#include "windows/WindowBuilding.h"

using namespace fw;

namespace {
// The picture buttons are the BevelButton plug-in's.
const ClassRecord* BevelButtonKind() { return ControlKindNamed("BevelButton"); }
}  // namespace

void MainWindow::RegisterClass() {
    if (RuntimeFindClass("MainWindow.MainWindow")) return;
    using M = MainWindow;
    const char *Pub = "Public", *Pro = "Protected";
    ClassRecord* record = RegisterClassFromTable(
        "MainWindow.MainWindow", GetWindowClass(), [] { return static_cast<Object*>(new MainWindow()); },
        {
            {"Layout", "%%", Pub, MakeInvoker(&M::Layout)},
            {"CreateControls", "%%", Pub, MakeInvoker(&M::CreateControls)},
            {"_CreateControls0", "%%", Pub, MakeInvoker(&M::_CreateControls0), true},
            {"TabPanel1", "%o<TabPanel>%", Pub, MakeInvoker(&M::TabPanel1)},
            {"StaticText1", "%o<Label>%", Pub, MakeInvoker(&M::StaticText1)},
            {"SourceDirectoryField", "%o<TextField>%", Pub, MakeInvoker(&M::SourceDirectoryField)},
            {"SourceDirSelectBtn", "%o<BevelButton>%", Pub, MakeInvoker(&M::SourceDirSelectBtn)},
            {"StaticText2", "%o<Label>%", Pub, MakeInvoker(&M::StaticText2)},
            {"TargetDirectoryField", "%o<TextField>%", Pub, MakeInvoker(&M::TargetDirectoryField)},
            {"TargetDirSelectBtn", "%o<BevelButton>%", Pub, MakeInvoker(&M::TargetDirSelectBtn)},
            {"StatusBar", "%o<ProgressBar>%", Pub, MakeInvoker(&M::StatusBar)},
            {"StaticText3", "%o<Label>%", Pub, MakeInvoker(&M::StaticText3)},
            {"SourceFileField", "%o<TextField>%", Pub, MakeInvoker(&M::SourceFileField)},
            {"SourceFileSelectBtn", "%o<BevelButton>%", Pub, MakeInvoker(&M::SourceFileSelectBtn)},
            {"StatusText", "%o<Label>%", Pub, MakeInvoker(&M::StatusText)},
            {"ConvertSingleBtn", "%o<PushButton>%", Pub, MakeInvoker(&M::ConvertSingleBtn)},
            {"ConvertBatchBtn", "%o<PushButton>%", Pub, MakeInvoker(&M::ConvertBatchBtn)},
            {"StaticText4", "%o<Label>%", Pub, MakeInvoker(&M::StaticText4)},
            {"CreateMBoxCB", "%o<CheckBox>%", Pub, MakeInvoker(&M::CreateMBoxCB)},
            {"CreateMailStructureCB", "%o<CheckBox>%", Pub, MakeInvoker(&M::CreateMailStructureCB)},
            {"QuitBtn", "%o<PushButton>%", Pub, MakeInvoker(&M::QuitBtn)},
            {"AboutBtn", "%o<BevelButton>%", Pub, MakeInvoker(&M::AboutBtn)},
            {"HelpBtn", "%o<BevelButton>%", Pub, MakeInvoker(&M::HelpBtn)},
            {"SourceDirectoryField_TextChange", "%%o<TextField>", Pub, MakeInvoker(&M::SourceDirectoryField_TextChange)},
            {"SourceDirSelectBtn_Action", "%%o<BevelButton>", Pub, MakeInvoker(&M::SourceDirSelectBtn_Action)},
            {"TargetDirectoryField_TextChange", "%%o<TextField>", Pub, MakeInvoker(&M::TargetDirectoryField_TextChange)},
            {"TargetDirSelectBtn_Action", "%%o<BevelButton>", Pub, MakeInvoker(&M::TargetDirSelectBtn_Action)},
            {"SourceFileField_TextChange", "%%o<TextField>", Pub, MakeInvoker(&M::SourceFileField_TextChange)},
            {"SourceFileSelectBtn_Action", "%%o<BevelButton>", Pub, MakeInvoker(&M::SourceFileSelectBtn_Action)},
            {"ConvertSingleBtn_Action", "%%o<PushButton>", Pub, MakeInvoker(&M::ConvertSingleBtn_Action)},
            {"ConvertBatchBtn_Action", "%%o<PushButton>", Pub, MakeInvoker(&M::ConvertBatchBtn_Action)},
            {"CreateMBoxCB_Action", "%%o<CheckBox>", Pub, MakeInvoker(&M::CreateMBoxCB_Action)},
            {"QuitBtn_Action", "%%o<PushButton>", Pub, MakeInvoker(&M::QuitBtn_Action)},
            {"AboutBtn_Action", "%%o<BevelButton>", Pub, MakeInvoker(&M::AboutBtn_Action)},
            {"HelpBtn_Action", "%%o<BevelButton>", Pub, MakeInvoker(&M::HelpBtn_Action)},
            {"Event_Open", "%%", Pub, MakeInvoker(&M::Event_Open)},
            {"p_Convert", "%%o<FolderItem>o<FolderItem>b", Pro, MakeInvoker(&M::p_Convert)},
            {"p_ConvertSingleFile", "%o<FolderItem>%o<FolderItem>", Pro, MakeInvoker(&M::p_ConvertSingleFile)},
            {"p_SetTargetFolder", "%%", Pro, MakeInvoker(&M::p_SetTargetFolder)},
            {"p_ActivateControls", "%%", Pub, MakeInvoker(&M::p_ActivateControls)},
            {"p_GetPList", "%s%s", Pro, MakeInvoker(&M::p_GetPList)},
            {"p_ConvertFile_Obs", "%%o<FolderItem>o<FolderItem>", Pro, MakeInvoker(&M::p_ConvertFile_Obs)},
            {"p_CountItems", "%%o<FolderItem>", Pro, MakeInvoker(&M::p_CountItems)},
            {"p_Convert_MBox", "%%o<FolderItem>o<FolderItem>b", Pro, MakeInvoker(&M::p_Convert_MBox)},
            {"Desktop_FileExists", "%b%o<FolderItem>", Pub, MakeInvoker(&M::Desktop_FileExists)},
            {"p_Convert_MBox_MailStructure", "%%o<FolderItem>o<FolderItem>b", Pro,
             MakeInvoker(&M::p_Convert_MBox_MailStructure)},
            {"p_ConvertFile", "%%o<FolderItem>o<FolderItem>", Pro, MakeInvoker(&M::p_ConvertFile)},
        },
        {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"Open", "Event_Open"}});
    record->cleanup = [](Object& o) { MainWindowInstanceCleanup(static_cast<MainWindow&>(o)); };

    auto folderProperty = [](const char* name, const std::string& scope, Ref<FolderItem> MainWindow::*field) {
        return PropertyRecord{
            name, "o<FolderItem>", true, scope == "Public", RuntimeScopeAttributes(scope),
            [field](Object& o) -> Value { return Ref<Object>(static_cast<MainWindow&>(o).*field); },
            [field](Object& o, const Value& v) {
                static_cast<MainWindow&>(o).*field = ValueTraits<Ref<FolderItem>>::From(v);
            }};
    };
    record->properties.push_back(folderProperty("TargetFolder", Pro, &MainWindow::TargetFolder));
    record->properties.push_back(folderProperty("SourceFolder", Pro, &MainWindow::SourceFolder));
    record->properties.push_back(folderProperty("SourceFile", Pub, &MainWindow::SourceFile));
    record->properties.push_back(PropertyRecord{
        "ItemCount", "i4", true, false, RuntimeScopeAttributes(Pro),
        [](Object& o) -> Value { return static_cast<MainWindow&>(o).ItemCount; },
        [](Object& o, const Value& v) { static_cast<MainWindow&>(o).ItemCount = ValueTraits<int32_t>::From(v); }});
}

const ClassRecord* GetMainWindowClass() {
    MainWindow::RegisterClass();
    return RuntimeFindClass("MainWindow.MainWindow");
}

Ref<MainWindow> GetMainWindowInstance() { return SharedWindowInstance<MainWindow>(GetMainWindowClass()); }

void MainWindowInstanceCleanup(MainWindow& window) {
    window.TargetFolder.Release();
    window.SourceFolder.Release();
    window.SourceFile.Release();
}

Ref<TabPanel> MainWindow::TabPanel1() { return ControlNamed<TabPanel>(*this, "TabPanel1", GetTabPanelClass()); }
Ref<Label> MainWindow::StaticText1() { return ControlNamed<Label>(*this, "StaticText1", GetLabelClass()); }
Ref<TextField> MainWindow::SourceDirectoryField() {
    return ControlNamed<TextField>(*this, "SourceDirectoryField", GetTextFieldClass());
}
Ref<BevelButton> MainWindow::SourceDirSelectBtn() {
    return ControlNamed<BevelButton>(*this, "SourceDirSelectBtn", BevelButtonKind());
}
Ref<Label> MainWindow::StaticText2() { return ControlNamed<Label>(*this, "StaticText2", GetLabelClass()); }
Ref<TextField> MainWindow::TargetDirectoryField() {
    return ControlNamed<TextField>(*this, "TargetDirectoryField", GetTextFieldClass());
}
Ref<BevelButton> MainWindow::TargetDirSelectBtn() {
    return ControlNamed<BevelButton>(*this, "TargetDirSelectBtn", BevelButtonKind());
}
Ref<ProgressBar> MainWindow::StatusBar() { return ControlNamed<ProgressBar>(*this, "StatusBar", GetProgressBarClass()); }
Ref<Label> MainWindow::StaticText3() { return ControlNamed<Label>(*this, "StaticText3", GetLabelClass()); }
Ref<TextField> MainWindow::SourceFileField() {
    return ControlNamed<TextField>(*this, "SourceFileField", GetTextFieldClass());
}
Ref<BevelButton> MainWindow::SourceFileSelectBtn() {
    return ControlNamed<BevelButton>(*this, "SourceFileSelectBtn", BevelButtonKind());
}
Ref<Label> MainWindow::StatusText() { return ControlNamed<Label>(*this, "StatusText", GetLabelClass()); }
Ref<PushButton> MainWindow::ConvertSingleBtn() {
    return ControlNamed<PushButton>(*this, "ConvertSingleBtn", GetPushButtonClass());
}
Ref<PushButton> MainWindow::ConvertBatchBtn() {
    return ControlNamed<PushButton>(*this, "ConvertBatchBtn", GetPushButtonClass());
}
Ref<Label> MainWindow::StaticText4() { return ControlNamed<Label>(*this, "StaticText4", GetLabelClass()); }
Ref<CheckBox> MainWindow::CreateMBoxCB() { return ControlNamed<CheckBox>(*this, "CreateMBoxCB", GetCheckBoxClass()); }
Ref<CheckBox> MainWindow::CreateMailStructureCB() {
    return ControlNamed<CheckBox>(*this, "CreateMailStructureCB", GetCheckBoxClass());
}
Ref<PushButton> MainWindow::QuitBtn() { return ControlNamed<PushButton>(*this, "QuitBtn", GetPushButtonClass()); }
Ref<BevelButton> MainWindow::AboutBtn() { return ControlNamed<BevelButton>(*this, "AboutBtn", BevelButtonKind()); }
Ref<BevelButton> MainWindow::HelpBtn() { return ControlNamed<BevelButton>(*this, "HelpBtn", BevelButtonKind()); }
