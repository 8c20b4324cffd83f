// The class records of the warning dialog, the About window and its close
// timer: names, super classes, members in order, scopes and window events.
#include <gtest/gtest.h>

#include "framework/Timer.h"
#include "windows/AboutWindow.h"
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
        }
        EXPECT_EQ(record->events, c.events);
        const size_t members = record->vtable.size();
        c.registerAgain();
        EXPECT_EQ(c.record(), record);
        EXPECT_EQ(record->vtable.size(), members) << "registering twice changed the class";
    }
}
