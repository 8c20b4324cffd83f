// The main window's properties in its class record, its shared instance and its
// clean-up (its members: WindowClassesTest).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "MainWindowAccess.h"
#include "ScriptedDialogs.h"
#include "framework/FolderItem.h"
#include "windows/ErrorAlert.h"

using namespace fw;

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

TEST(MainWindowInstance, OneSharedWindowWhileOpenAndAFreshOneAfterClose) {
    CloseOpenWindows();
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
    CloseOpenWindows();
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
