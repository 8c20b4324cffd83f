// Batch runs onto volumes that users really have: an exFAT volume (a USB
// stick's usual format), which takes names that differ in letter case for one
// entry and, mounted through FUSE, gives each spelling an inode number of
// its own; and a volume that gives an entry another inode number at every
// look-up. No message may be lost to either, and no walk may run into its
// own outputs.
#include "BatchTreeFixture.h"

#include <map>
#include <memory>
#include <string>

#include "EmlxReader.h"
#include "MountedVolume.h"

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

namespace {

// Every ".emlx" file below the folder, with the subject it holds.
Files Converted(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".emlx")
            files[fs::relative(entry.path(), folder).generic_string()] = ReadEmlx(entry.path()).subject;
    return files;
}

}  // namespace

// Where the files of each layout go.
class VolumeFixture : public BatchTreeFixture {
protected:
    struct LayoutCase {
        const char* what;
        Layout layout;
        std::string files, subFolderFiles;  // where the top level's and Work's files go
    };
    static std::vector<LayoutCase> Layouts() {
        return {
            {"mirror layout", Layout::Mirror, "Inbox_conv/", "Inbox_conv/Work/"},
            {"mailbox layout", Layout::Mailbox, "Inbox_converted/Inbox.mbox/Messages/",
             "Inbox_converted/Inbox/Work.mbox/Messages/"},
            {"Mail-structure layout", Layout::MailStructure, "Inbox_converted/Inbox.mbox/",
             "Inbox_converted/Inbox/Work.mbox/"},
        };
    }

    // The window and what it holds go first: an open folder keeps a volume busy.
    void TearDown() override {
        if (window_) window_->Close();
        window_.Release();
        volume_.reset();
        BatchTreeFixture::TearDown();
    }

    std::unique_ptr<MountedVolume> volume_;
};

class FoldingVolume : public VolumeFixture {
protected:
    void SetUp() override {
        BatchTreeFixture::SetUp();
        std::string whyNot;
        volume_ = MountedVolume::Exfat(Path("Out"), whyNot);
        if (!volume_) GTEST_SKIP() << "no exFAT volume can be mounted here: " << whyNot;
    }
};

TEST_F(FoldingVolume, NamesThatDifferInLetterCaseKeepEveryMessageInEveryLayout) {
    // In byte order: NOTE.eml, Note.eml, Work, note.eml, work. The folders
    // Work and work share one output folder on this volume.
    for (const char* name : {"Note", "note", "NOTE", "Work/a", "work/A", "work/b"})
        Write(std::string("Inbox/") + name + ".eml", Message(name));
    for (const LayoutCase& c : Layouts()) {
        SCOPED_TRACE(c.what);
        const Files expected = {
            {c.files + "NOTE.emlx", "NOTE"},
            {c.files + "Note 2.emlx", "Note"},
            {c.files + "note 3.emlx", "note"},
            {c.subFolderFiles + "a.emlx", "Work/a"},
            {c.subFolderFiles + "A 2.emlx", "work/A"},
            {c.subFolderFiles + "b.emlx", "work/b"},
        };
        Seen oneThread, readingAhead;
        for (const int32_t workers : {0, 3}) {
            SCOPED_TRACE(workers);
            window_->StatusBar()->SetValue(0);
            testing::internal::CaptureStderr();
            (workers == 0 ? oneThread : readingAhead) = RunSeen("Inbox", c.layout, workers);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
            EXPECT_EQ(Converted(Path("Out")), expected);
            EXPECT_EQ(Progress(), 6);
            EXPECT_TRUE(dialogs_->alerts.empty());
            // A rerun replaces what the first run made, and gives the same files.
            window_->StatusBar()->SetValue(0);
            Run("Inbox", c.layout);
            EXPECT_EQ(Converted(Path("Out")), expected);
            EXPECT_TRUE(dialogs_->alerts.empty());
        }
        ExpectSameRun(oneThread, readingAhead);
    }
    // The run keeps nothing open on the volume: it can be ejected while the
    // window, with its chosen folders, stays.
    EXPECT_TRUE(volume_->Unmount());
}

TEST_F(FoldingVolume, TheSingleConversionNeverReplacesItsSourceWrittenInOtherLetters) {
    // "M.EMLX" gives "M.emlx", which on this volume is the source itself.
    Write("Out/M.EMLX", Message("kept"));
    Write("Out/other.eml", Message("other"));
    for (const char* name : {"M.EMLX", "other.eml"}) {
        fw::Ref<fw::FolderItem> source = fw::FolderItemFromPath(Path("Out") / name);
        window_->SourceFile = source;
        testing::internal::CaptureStderr();
        MainWindowTestAccess::ConvertSingleFile(*window_, source);
        testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(Read("Out/M.EMLX"), Message("kept"));
    EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"application error in p_ConvertSingleFile"});
    EXPECT_EQ(Converted(Path("Out")), (Files{{"other.emlx", "other"}}));
}

class ShiftingInodes : public VolumeFixture {
protected:
    void SetUp() override {
        BatchTreeFixture::SetUp();
        std::string whyNot;
        volume_ = MountedVolume::Fuse(QUELMAR_SHIFTING_INODES_FS, Path("Backing"), Path("Volume"), whyNot);
        if (!volume_) GTEST_SKIP() << "no volume whose entries change inode numbers can be mounted here: " << whyNot;
    }
};

TEST_F(ShiftingInodes, TwoSourcesOfOneNameKeepBothMessages) {
    // a and a.eml both give a.emlx: the second one is "a 2.emlx", though
    // the volume shows the first one's output as another entry each time.
    fs::create_directories(Path("Volume/Out"));
    Write("Inbox/a", Message("a"));
    Write("Inbox/a.eml", Message("a.eml"));
    for (const LayoutCase& c : Layouts()) {
        SCOPED_TRACE(c.what);
        for (const int32_t workers : {0, 3}) {
            SCOPED_TRACE(workers);
            window_->StatusBar()->SetValue(0);
            RunSeen("Inbox", c.layout, workers, "Volume/Out");
            EXPECT_EQ(Converted(Path("Volume/Out")), (Files{{c.files + "a.emlx", "a"}, {c.files + "a 2.emlx", "a.eml"}}));
            EXPECT_TRUE(dialogs_->alerts.empty());
        }
    }
}

TEST_F(ShiftingInodes, ATargetInsideTheSourcePassesOverItsOutputsOnly) {
    // Told apart by place, the run's output folders are passed over however
    // the volume numbers them; the target's own messages are converted.
    for (const LayoutCase& c : Layouts()) {
        SCOPED_TRACE(c.what);
        deep_tree::RemoveTree(Path("Volume/Inbox"));
        for (const char* name : {"a", "Work/b", "Work/c"}) Write(std::string("Volume/Inbox/") + name + ".eml", Message(name));
        for (const char* run : {"first run", "rerun"}) {
            SCOPED_TRACE(run);
            window_->StatusBar()->SetValue(0);
            Run("Volume/Inbox", c.layout, "Volume/Inbox/Work");
            EXPECT_EQ(ItemCount(), 3);
            EXPECT_EQ(Progress(), 3);
            EXPECT_EQ(Converted(Path("Volume/Inbox/Work")),
                      (Files{{c.files + "a.emlx", "a"}, {c.subFolderFiles + "b.emlx", "Work/b"}, {c.subFolderFiles + "c.emlx", "Work/c"}}));
            EXPECT_TRUE(dialogs_->alerts.empty());
        }
    }
    EXPECT_TRUE(volume_->Unmount());  // nothing of the source or the target is kept open
}
