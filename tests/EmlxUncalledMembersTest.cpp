// The older batch writer and the existence test, which nothing calls.
#include "EmlxFixture.h"

using namespace fw;

using EmlxUncalledMembers = EmlxFixture;

TEST_F(EmlxUncalledMembers, OlderWriterTakesTheFirstLineAsACharacterCount) {
    // 13 characters after the first line: "Subject: s", CR LF, and one CR.
    Write("src/old.emlx", "13\r\nSubject: s\r\n\rrest that is cut off\r\n");
    std::filesystem::create_directories(Path("out"));
    window_->StatusBar()->SetValue(0);
    MainWindowTestAccess::ItemCount(*window_) = 5;
    MainWindowTestAccess::ConvertFileObs(*window_, Item("src/old.emlx"), Item("out"));
    const EmlxFile file = ReadEmlx(Path("out/old.emlx"));
    ASSERT_TRUE(ReadsAsEmlx(file));
    EXPECT_EQ("Subject: s\n\r\n", file.message);  // CR LF became LF; the lone CR stays
    EXPECT_EQ("s", file.subject);
    EXPECT_EQ(1, window_->StatusBar()->Value());
    EXPECT_EQ("1 of 5 (hit esc to stop)", window_->StatusText()->Text().ToUTF8());
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(EmlxUncalledMembers, OlderWriterNeverReplacesItsSourceAndReportsFailures) {
    const std::string source = "4\nabcd<?xml?>";
    Write("src/x.emlx", source);
    MainWindowTestAccess::ConvertFileObs(*window_, Item("src/x.emlx"), Item("src"));
    MainWindowTestAccess::ConvertFileObs(*window_, Item("src/missing"), Item("src"));
    EXPECT_EQ(source, Read("src/x.emlx"));
    EXPECT_EQ(std::vector<std::string>(2, "application error in p_ConvertFile"), dialogs_->Prompts());
    EXPECT_EQ(0, window_->StatusBar()->Value());
}

TEST_F(EmlxUncalledMembers, DesktopFileExists) {
    Write("here", "");
    EXPECT_TRUE(window_->Desktop_FileExists(Item("here")));
    EXPECT_FALSE(window_->Desktop_FileExists(Item("not here")));
    EXPECT_TRUE(dialogs_->alerts.empty());
    EXPECT_FALSE(window_->Desktop_FileExists(Nil));
    EXPECT_EQ(std::vector<std::string>{"Exception in Desktop_FileExists"}, dialogs_->Prompts());
}
