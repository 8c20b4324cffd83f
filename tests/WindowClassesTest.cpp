// The class records of the program's windows and of the About window's close
// timer: names, super classes, members in order, scopes and window events.
#include <gtest/gtest.h>

#include "framework/Timer.h"
#include "windows/AboutWindow.h"
#include "windows/MainWindow.h"
#include "windows/WarnWindow.h"

using namespace fw;

namespace {

struct ExpectedMember {
    const char* name;
    const char* signature;
    const char* scope;
};

struct ExpectedClass {
    const ClassRecord* (*record)();
    void (*registerAgain)();
    const char* name;
    const ClassRecord* (*super)();
    std::vector<ExpectedMember> members;
    std::vector<std::pair<std::string, std::string>> events;
};

const ExpectedClass kClasses[] = {
    {GetMainWindowClass, MainWindow::RegisterClass, "MainWindow.MainWindow", GetWindowClass,
     {
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
     },
     {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"Open", "Event_Open"}}},
    {GetWarnWindowClass, WarnWindow::RegisterClass, "WarnWindow.WarnWindow", GetWindowClass,
     {
         {"Layout", "%%", "Public"},
         {"CreateControls", "%%", "Public"},
         {"_CreateControls0", "%%", "Public"},
         {"DoText", "%o<Label>%", "Public"},
         {"Do1Btn", "%o<PushButton>%", "Public"},
         {"Do2Btn", "%o<PushButton>%", "Public"},
         {"Do3Btn", "%o<PushButton>%", "Public"},
         {"Do4Btn", "%o<PushButton>%", "Public"},
         {"Do1Btn_Action", "%%o<PushButton>", "Public"},
         {"Do2Btn_Action", "%%o<PushButton>", "Public"},
         {"Do3Btn_Action", "%%o<PushButton>", "Public"},
         {"Do4Btn_Action", "%%o<PushButton>", "Public"},
         {"Event_Open", "%%", "Public"},
         {"Event_KeyDown", "%b%s", "Public"},
         {"InitWindow", "%%i4ssss", "Public"},
         {"p_GetTextHeight", "%i4%si4i4", "Protected"},
     },
     {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"Open", "Event_Open"}, {"KeyDown", "Event_KeyDown"}}},
    {GetAboutWindowClass, AboutWindow::RegisterClass, "AboutWindow.AboutWindow", GetWindowClass,
     {
         {"Layout", "%%", "Public"},
         {"CreateControls", "%%", "Public"},
         {"_CreateControls0", "%%", "Public"},
         {"CloseTimer", "%o<Timer>%", "Public"},
         {"StaticText3", "%o<Label>%", "Public"},
         {"CloseTimer_Action", "%%o<Timer>", "Public"},
         {"StaticText3_Open", "%%o<Label>", "Public"},
         {"Event_MouseDown", "%b%i4i4", "Public"},
     },
     {{"CreateControls", "CreateControls"}, {"Layout", "Layout"}, {"MouseDown", "Event_MouseDown"}}},
    {GetCloseTimerClass, AboutWindow::_wrapper_CloseTimer::RegisterClass, "AboutWindow._wrapper_CloseTimer",
     GetTimerClass,
     {
         {"_SetWindow", "%%o<Window>", "Public"},
         {"Window", "%o<Window>%", "Public"},
         {"_Index", "%i4%", "Public"},
         {"_SetIndex", "%%i4", "Public"},
         {"Constructor", "%%", "Public"},
     },
     {}},
};

}  // namespace

TEST(WindowClasses, EachRecordHoldsItsMembersInOrderWithScopesAndItsEvents) {
    for (const ExpectedClass& c : kClasses) {
        SCOPED_TRACE(c.name);
        const ClassRecord* record = c.record();
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->name, c.name);
        EXPECT_EQ(record->super, c.super());
        EXPECT_EQ(AttributeValue(record->attributes, "__Scope"), "Public");
        EXPECT_EQ(record->ownMembersStart, c.super()->vtable.size()) << "the super class's operations come first";
        const std::vector<const MemberRecord*> own = record->OwnMembers();
        ASSERT_EQ(own.size(), c.members.size());
        for (size_t i = 0; i < own.size(); ++i) {
            SCOPED_TRACE(c.members[i].name);
            EXPECT_EQ(own[i]->name, c.members[i].name);
            EXPECT_EQ(own[i]->signature, c.members[i].signature);
            EXPECT_EQ(AttributeValue(own[i]->attributes, "__Scope"), c.members[i].scope);
            EXPECT_EQ(own[i]->isPublic, std::string(c.members[i].scope) == "Public");
            EXPECT_EQ(HasAttribute(own[i]->attributes, "Hidden"), own[i]->name == "_CreateControls0");
            EXPECT_TRUE(own[i]->invoke);
        }
        EXPECT_EQ(record->events, c.events);
        const size_t members = record->vtable.size();
        c.registerAgain();
        EXPECT_EQ(c.record(), record);
        EXPECT_EQ(record->vtable.size(), members) << "registering twice changed the class";
    }
}
