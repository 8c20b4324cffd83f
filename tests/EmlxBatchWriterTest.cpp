// The batch writer: the same ".emlx" file into a given folder, the progress
// step after each file, and no message lost to a name clash within a run.
#include "EmlxFixture.h"

#include <sys/stat.h>

#include "AsUnprivilegedUser.h"
#include "framework/FileCalls.h"
#include "framework/FolderHandle.h"

using namespace fw;

namespace {
const char* const kAlert = "application error in p_ConvertFile";
}

class EmlxBatchWriter : public EmlxFixture {
protected:
    void SetUp() override {
        EmlxFixture::SetUp();
        std::filesystem::create_directories(Path("out"));
        window_->StatusBar()->SetMaximum(120);
        window_->StatusBar()->SetValue(0);
        window_->StatusText()->SetText("0 of 120");
        MainWindowTestAccess::ItemCount(*window_) = 120;
    }
    int32_t Progress() { return window_->StatusBar()->Value(); }
    std::string Status() { return window_->StatusText()->Text().ToUTF8(); }
};

TEST_F(EmlxBatchWriter, WritesTheSameFileAsTheSingleConversion) {
    for (const std::string& source : {std::string(), std::string("123456789"), std::string(99, 'a'),
                                      std::string("From: a@x\r\nSubject: s\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nbody")}) {
        SCOPED_TRACE(source.size());
        Write("m.eml", source);
        MainWindowTestAccess::ClearBatchOutputsWritten(*window_);
        ConvertIntoFolder("m.eml", "out");
        ASSERT_TRUE(ConvertSingle("m.eml"));
        const EmlxFile file = ReadEmlx(Path("out/m.emlx"));
        ASSERT_TRUE(ReadsAsEmlx(file));
        EXPECT_EQ(file.message.size(), file.count);
        EXPECT_EQ(Read("m.emlx"), Read("out/m.emlx"));
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(EmlxBatchWriter, StepsTheProgressAfterEachFile) {
    Write("a.eml", "Subject: a\n");
    window_->StatusBar()->SetValue(2);
    ConvertIntoFolder("a.eml", "out");
    EXPECT_EQ(3, Progress());
    EXPECT_EQ("3 of 120 (hit esc to stop)", Status());

    // The writer does not hold the value at the bar's maximum.
    window_->StatusBar()->SetMaximum(3);
    ConvertIntoFolder("a.eml", "out");
    EXPECT_EQ(4, Progress());
    EXPECT_EQ("4 of 120 (hit esc to stop)", Status());
}

TEST_F(EmlxBatchWriter, NoProgressStepAfterAFailure) {
    Write("m.eml", "Subject: s\n");
    ConvertIntoFolder("missing.eml", "out");           // source not there
    ConvertIntoFolder("m.eml", "no such folder");      // the file cannot be created
    MainWindowTestAccess::ConvertFile(*window_, Item("m.eml"), Nil);  // no destination
    std::filesystem::create_directory(Path("out/m.emlx"));            // name taken by a folder
    ConvertIntoFolder("m.eml", "out");
    EXPECT_EQ(std::vector<std::string>(4, kAlert), dialogs_->Prompts());
    EXPECT_EQ(0, Progress());
    EXPECT_EQ("0 of 120", Status());
    EXPECT_EQ("Subject: s\n", Read("m.eml"));
}

TEST_F(EmlxBatchWriter, AFolderThatRefusesTheFileIsReportedWithoutAStep) {
    Write("m.eml", "Subject: s\n");
    ::chmod(Path("out").c_str(), 0755);
    ::chmod(root_.c_str(), 0755);
    const int result = RunAsNobody([&] {
        ConvertIntoFolder("m.eml", "out");
        if (dialogs_->Prompts() != std::vector<std::string>{kAlert}) return 1;
        if (Progress() != 0) return 2;
        return 0;
    });
    EXPECT_EQ(0, result);
    EXPECT_FALSE(std::filesystem::exists(Path("out/m.emlx")));
}

TEST_F(EmlxBatchWriter, NameClashesWithinARunGetNumberedNames) {
    Write("src/a.eml", "Subject: first\n");
    Write("src/a.txt", "Subject: second\n");
    Write("src/a", "Subject: third\n");
    Write("out/a.emlx", "left by an earlier run");
    Write("out/a 2.emlx", "left by an earlier run");
    for (const char* name : {"src/a.eml", "src/a.txt", "src/a"}) ConvertIntoFolder(name, "out");
    EXPECT_EQ("first", ReadEmlx(Path("out/a.emlx")).subject);
    EXPECT_EQ("second", ReadEmlx(Path("out/a 2.emlx")).subject);
    EXPECT_EQ("third", ReadEmlx(Path("out/a 3.emlx")).subject);
    EXPECT_EQ(3, Progress());

    // Another folder of the same run has names of its own.
    std::filesystem::create_directories(Path("out/sub"));
    ConvertIntoFolder("src/a.txt", "out/sub");
    EXPECT_EQ("second", ReadEmlx(Path("out/sub/a.emlx")).subject);

    // A new run replaces what the last one wrote, under the same names.
    MainWindowTestAccess::ClearBatchOutputsWritten(*window_);
    Write("src/a.txt", "Subject: second again\n");
    for (const char* name : {"src/a.eml", "src/a.txt"}) ConvertIntoFolder(name, "out");
    EXPECT_EQ("first", ReadEmlx(Path("out/a.emlx")).subject);
    EXPECT_EQ("second again", ReadEmlx(Path("out/a 2.emlx")).subject);
    EXPECT_EQ("third", ReadEmlx(Path("out/a 3.emlx")).subject);
    EXPECT_FALSE(std::filesystem::exists(Path("out/a 4.emlx")));
}

TEST_F(EmlxBatchWriter, NamesThatAMacTakesForOneClashOnEveryVolume) {
    // The outputs go to a Mac, whose disk folds letter case and Unicode
    // normalisation: on this volume too, such names are numbered.
    const struct Case {
        const char* what;
        std::vector<std::string> sources;
        std::vector<std::string> outputs;  // in the order of the sources
    } cases[] = {
        {"letter case", {"Note.eml", "note.eml", "NOTE.eml"}, {"Note.emlx", "note 2.emlx", "NOTE 3.emlx"}},
        {"composed and decomposed accents", {"caf\xC3\xA9.eml", "cafe\xCC\x81.txt"}, {"caf\xC3\xA9.emlx", "cafe\xCC\x81 2.emlx"}},
        {"case beyond ASCII", {"\xC3\x84rger.eml", "\xC3\xA4rger.eml"}, {"\xC3\x84rger.emlx", "\xC3\xA4rger 2.emlx"}},
        {"bytes that are not UTF-8 keep their names", {"\xFF.eml", "\xFE.eml"}, {"\xFF.emlx", "\xFE.emlx"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Path("out"));
        std::filesystem::create_directories(Path("out"));
        MainWindowTestAccess::ClearBatchOutputsWritten(*window_);
        for (size_t i = 0; i < c.sources.size(); ++i) {
            Write("src/" + c.sources[i], "Subject: message " + std::to_string(i) + "\n");
            ConvertIntoFolder("src/" + c.sources[i], "out");
        }
        for (size_t i = 0; i < c.sources.size(); ++i)
            EXPECT_EQ(ReadEmlx(Path("out/" + c.outputs[i])).subject, "message " + std::to_string(i)) << c.outputs[i];
        EXPECT_EQ(static_cast<size_t>(std::distance(std::filesystem::directory_iterator(Path("out")), {})), c.sources.size());
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(EmlxBatchWriter, AFileThatFailsKeepsItsNameAndWhatAnEarlierRunMadeOfIt) {
    Write("src/a.eml", "Subject: first\n");
    Write("src/a.txt", "Subject: second\n");
    for (const char* name : {"src/a.eml", "src/a.txt"}) ConvertIntoFolder(name, "out");
    // A rerun in which the first can no longer be read: its earlier output
    // stays, and the second does not take its name.
    MainWindowTestAccess::ClearBatchOutputsWritten(*window_);
    std::filesystem::remove(Path("src/a.eml"));
    std::filesystem::create_symlink(Path("gone"), Path("src/a.eml"));
    Write("src/a.txt", "Subject: second again\n");
    for (const char* name : {"src/a.eml", "src/a.txt"}) ConvertIntoFolder(name, "out");
    EXPECT_EQ("first", ReadEmlx(Path("out/a.emlx")).subject);
    EXPECT_EQ("second again", ReadEmlx(Path("out/a 2.emlx")).subject);
    EXPECT_FALSE(std::filesystem::exists(Path("out/a 3.emlx")));
    EXPECT_EQ(std::vector<std::string>{kAlert}, dialogs_->Prompts());
}

TEST_F(EmlxBatchWriter, FoldersWhoseNamesFoldToOneShareTheirNamesBelowAnyFolder) {
    // On a Mac "Café" and "CAFÉ" are one folder, also below a folder whose
    // name is not UTF-8.
    Write("src/a.eml", "Subject: first\n");
    Write("src/A.eml", "Subject: second\n");
    std::filesystem::create_directories(Path("out/x\xE9/Caf\xC3\xA9"));
    std::filesystem::create_directories(Path("out/x\xE9/CAF\xC3\x89"));
    ConvertIntoFolder("src/a.eml", "out/x\xE9/Caf\xC3\xA9");
    ConvertIntoFolder("src/A.eml", "out/x\xE9/CAF\xC3\x89");
    EXPECT_EQ("first", ReadEmlx(Path("out/x\xE9/Caf\xC3\xA9/a.emlx")).subject);
    EXPECT_EQ("second", ReadEmlx(Path("out/x\xE9/CAF\xC3\x89/A 2.emlx")).subject);
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(EmlxBatchWriter, WhereANewFileCannotBeNamedItIsWrittenUnderAHiddenNameInstead) {
    // As where there is no /proc for an unprivileged user on an older kernel.
    // A build without files that have no name makes every file under a hidden name at once.
#ifdef QUELMAR_UNNAMED_FILES
    constexpr int kNamingAsked = 1;
#else
    constexpr int kNamingAsked = 0;
#endif
    int refused = 0;
    const auto refuseNaming = [&] {
        SetUnnamedFileNaming([&](int, int, const char*) {
            ++refused;
            errno = ENOENT;
            return false;
        });
    };
    refuseNaming();
    struct Restore {
        ~Restore() { SetUnnamedFileNaming(nullptr); }
    } restore;
    for (const char* n : {"a", "b", "c"}) {
        Write(std::string(n) + ".eml", std::string("Subject: ") + n + "\r\n\r\nbody\r\n");
        SetCodes(Path(std::string(n) + ".eml"), "TEXT", "ttxt");
    }
    const auto convertAll = [&] {
        MainWindowTestAccess::ClearBatchOutputsWritten(*window_);
        for (const char* n : {"a", "b", "c"}) ConvertIntoFolder(std::string(n) + ".eml", "out");
    };
    const auto expectWhole = [&] {
        for (const char* n : {"a", "b", "c"}) {
            const EmlxFile file = ReadEmlx(Path(std::string("out/") + n + ".emlx"));
            ASSERT_TRUE(ReadsAsEmlx(file));
            EXPECT_EQ(file.subject, n);
            EXPECT_EQ("ttxt", Item(std::string("out/") + n + ".emlx")->MacCreator().ToUTF8());
        }
        size_t entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(Path("out"))) {
            EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind";
            ++entries;
        }
        EXPECT_EQ(entries, 3u);
    };
    convertAll();
    expectWhole();
    EXPECT_EQ(refused, kNamingAsked);  // the later files had a hidden name from the start
    // Outputs that replace earlier ones take the same way.
    refuseNaming();
    Write("a.eml", "Subject: a\r\n\r\nagain\r\n");
    SetCodes(Path("a.eml"), "TEXT", "ttxt");
    convertAll();
    expectWhole();
    EXPECT_EQ(ReadEmlx(Path("out/a.emlx")).message, "Subject: a\n\nagain\n");
    EXPECT_EQ(refused, 2 * kNamingAsked);
    EXPECT_TRUE(dialogs_->alerts.empty());
    EXPECT_EQ(Progress(), 6);
}
