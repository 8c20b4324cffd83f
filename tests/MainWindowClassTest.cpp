// The main window's class record, its shared instance and its clean-up.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "MainWindowAccess.h"
#include "ScriptedDialogs.h"
#include "framework/FolderItem.h"
#include "windows/ErrorAlert.h"

using namespace fw;

namespace {

struct ExpectedMember {
    const char* name;
    const char* signature;
    const char* scope;
};

// The members of MainWindow in their order, as the class declares them.
const ExpectedMember kMembers[] = {
    {"Layout", "%%", "Public"},
    {"CreateControls", "%%", "Public"},
    {"_CreateControls0", "%%", "Public"},
    {"TabPanel1", "%o<TabPanel>%", "Public"},
    {"StaticText1", "%o<Label>%", "Public"},
    {"SourceDirectoryField", "%o<TextField>%", "Public"},
    {"SourceDirSelectBtn", "%o<BevelButton>%", "Public"},
    {"StaticText2", "%o<Label>%", "Public"},
    {"TargetDirectoryField", "%o<TextField>%", "Public"},
    {"TargetDirSelectBtn", "%o<BevelButton>%", "Public"},
    {"StatusBar", "%o<ProgressBar>%", "Public"},
    {"StaticText3", "%o<Label>%", "Public"},
    {"SourceFileField", "%o<TextField>%", "Public"},
    {"SourceFileSelectBtn", "%o<BevelButton>%", "Public"},
    {"StatusText", "%o<Label>%", "Public"},
    {"ConvertSingleBtn", "%o<PushButton>%", "Public"},
    {"ConvertBatchBtn", "%o<PushButton>%", "Public"},
    {"StaticText4", "%o<Label>%", "Public"},
    {"CreateMBoxCB", "%o<CheckBox>%", "Public"},
    {"CreateMailStructureCB", "%o<CheckBox>%", "Public"},
    {"QuitBtn", "%o<PushButton>%", "Public"},
    {"AboutBtn", "%o<BevelButton>%", "Public"},
    {"HelpBtn", "%o<BevelButton>%", "Public"},
    {"SourceDirectoryField_TextChange", "%%o<TextField>", "Public"},
    {"SourceDirSelectBtn_Action", "%%o<BevelButton>", "Public"},
    {"TargetDirectoryField_TextChange", "%%o<TextField>", "Public"},
    {"TargetDirSelectBtn_Action", "%%o<BevelButton>", "Public"},
    {"SourceFileField_TextChange", "%%o<TextField>", "Public"},
    {"SourceFileSelectBtn_Action", "%%o<BevelButton>", "Public"},
    {"ConvertSingleBtn_Action", "%%o<PushButton>", "Public"},
    {"ConvertBatchBtn_Action", "%%o<PushButton>", "Public"},
    {"CreateMBoxCB_Action", "%%o<CheckBox>", "Public"},
    {"QuitBtn_Action", "%%o<PushButton>", "Public"},
    {"AboutBtn_Action", "%%o<BevelButton>", "Public"},
    {"HelpBtn_Action", "%%o<BevelButton>", "Public"},
    {"Event_Open", "%%", "Public"},
    {"p_Convert", "%%o<FolderItem>o<FolderItem>b", "Protected"},
    {"p_ConvertSingleFile", "%o<FolderItem>%o<FolderItem>", "Protected"},
    {"p_SetTargetFolder", "%%", "Protected"},
    {"p_ActivateControls", "%%", "Public"},
    {"p_GetPList", "%s%s", "Protected"},
    {"p_ConvertFile_Obs", "%%o<FolderItem>o<FolderItem>", "Protected"},
    {"p_CountItems", "%%o<FolderItem>", "Protected"},
    {"p_Convert_MBox", "%%o<FolderItem>o<FolderItem>b", "Protected"},
    {"Desktop_FileExists", "%b%o<FolderItem>", "Public"},
    {"p_Convert_MBox_MailStructure", "%%o<FolderItem>o<FolderItem>b", "Protected"},
    {"p_ConvertFile", "%%o<FolderItem>o<FolderItem>", "Protected"},
};

void CloseAllWindows() {
    while (!OpenWindows().empty()) OpenWindows().front()->Close();
}

}  // namespace

TEST(MainWindowClass, RecordListsTheMembersInOrderWithSignaturesAndScopes) {
    const ClassRecord* record = GetMainWindowClass();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "MainWindow.MainWindow");
    EXPECT_EQ(record->super, GetWindowClass());
    EXPECT_EQ(AttributeValue(record->attributes, "__Scope"), "Public");

    // Window's operations come first, unchanged.
    ASSERT_EQ(record->ownMembersStart, GetWindowClass()->vtable.size());
    for (size_t i = 0; i < record->ownMembersStart; ++i)
        EXPECT_EQ(record->vtable[i].name, GetWindowClass()->vtable[i].name);

    std::vector<const MemberRecord*> own = record->OwnMembers();
    ASSERT_EQ(own.size(), std::size(kMembers));
    for (size_t i = 0; i < own.size(); ++i) {
        SCOPED_TRACE(kMembers[i].name);
        EXPECT_EQ(own[i]->name, kMembers[i].name);
        EXPECT_EQ(own[i]->signature, kMembers[i].signature);
        EXPECT_EQ(AttributeValue(own[i]->attributes, "__Scope"), kMembers[i].scope);
        EXPECT_EQ(own[i]->isPublic, std::string(kMembers[i].scope) == "Public");
        EXPECT_EQ(HasAttribute(own[i]->attributes, "Hidden"), own[i]->name == "_CreateControls0");
        EXPECT_TRUE(own[i]->invoke);
    }
}

TEST(MainWindowClass, RecordHoldsTheEventsAndThePropertiesWithTheirScopes) {
    const ClassRecord* record = GetMainWindowClass();
    using Binding = std::pair<std::string, std::string>;
    EXPECT_EQ(record->events, (std::vector<Binding>{
                                  {"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"Open", "Event_Open"}}));
    struct { const char* name; const char* type; const char* scope; } expected[] = {
        {"TargetFolder", "o<FolderItem>", "Protected"},
        {"SourceFolder", "o<FolderItem>", "Protected"},
        {"SourceFile", "o<FolderItem>", "Public"},
        {"ItemCount", "i4", "Protected"},
    };
    ASSERT_GE(record->properties.size(), std::size(expected));
    const size_t first = record->properties.size() - std::size(expected);
    for (size_t i = 0; i < std::size(expected); ++i) {
        const PropertyRecord& p = record->properties[first + i];
        EXPECT_EQ(p.name, expected[i].name);
        EXPECT_EQ(p.typeCode, expected[i].type);
        EXPECT_EQ(AttributeValue(p.attributes, "__Scope"), expected[i].scope);
        EXPECT_EQ(p.isPublic, p.name == "SourceFile");
    }
}

TEST(MainWindowClass, RegisteringTwiceChangesNothing) {
    const ClassRecord* before = GetMainWindowClass();
    const size_t members = before->vtable.size();
    MainWindow::RegisterClass();
    EXPECT_EQ(GetMainWindowClass(), before);
    EXPECT_EQ(before->vtable.size(), members);
}

TEST(MainWindowInstance, OneSharedWindowWhileOpenAndAFreshOneAfterClose) {
    CloseAllWindows();
    Ref<MainWindow> first = GetMainWindowInstance();
    Ref<MainWindow> second = GetMainWindowInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->Class(), GetMainWindowClass());
    EXPECT_TRUE(first->SourceFile.IsNil());
    EXPECT_EQ(MainWindowTestAccess::ItemCount(*first), 0);

    first->SourceFile = FolderItemFromPath("/tmp");
    MainWindowTestAccess::SourceFolder(*first) = FolderItemFromPath("/tmp");
    MainWindowTestAccess::ItemCount(*first) = 7;
    first->Close();
    second.Release();

    Ref<MainWindow> fresh = GetMainWindowInstance();
    EXPECT_NE(fresh, first);
    EXPECT_TRUE(fresh->SourceFile.IsNil());
    EXPECT_TRUE(MainWindowTestAccess::SourceFolder(*fresh).IsNil());
    EXPECT_TRUE(MainWindowTestAccess::TargetFolder(*fresh).IsNil());
    EXPECT_EQ(MainWindowTestAccess::ItemCount(*fresh), 0);
    fresh->Close();
}

TEST(MainWindowInstance, DestructionReleasesTheChosenItems) {
    CloseAllWindows();
    Ref<FolderItem> chosen = FolderItemFromPath("/tmp");
    {
        Ref<MainWindow> window = GetMainWindowInstance();
        window->SourceFile = chosen;
        MainWindowTestAccess::TargetFolder(*window) = chosen;
        EXPECT_EQ(chosen.shared().use_count(), 3);
        window->Close();
    }
    EXPECT_EQ(chosen.shared().use_count(), 1);
}

TEST(ErrorAlert, ShowsTheTextWithOkAndNoTitle) {
    ScopedDialogs dialogs;
    Msg_ShowError("Exception in p_GetPList");
    ASSERT_EQ(dialogs->alerts.size(), 1u);
    EXPECT_EQ(dialogs->alerts[0].prompt, "Exception in p_GetPList");
    EXPECT_EQ(dialogs->alerts[0].buttons, 0);
    EXPECT_EQ(dialogs->alerts[0].title, "");
    EXPECT_EQ(dialogs->beeps, 0);
}

TEST(ErrorAlert, OffTheMainThreadBeepsOnceAndShowsNothing) {
    ScopedDialogs dialogs;
    std::thread worker([] { Msg_ShowError("Exception p_CountItems"); });
    worker.join();
    EXPECT_TRUE(dialogs->alerts.empty());
    EXPECT_EQ(dialogs->beeps, 1);
}
