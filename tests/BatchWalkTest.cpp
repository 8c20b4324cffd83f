// The count and the three batch walkers on real folders, through a real main window.
#include "BatchTreeFixture.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "AsUnprivilegedUser.h"
#include "EmlxReader.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class BatchWalk : public BatchTreeFixture {
protected:
    // Inbox with a.eml, b.txt, c.oml, Work/d.eml and a hidden file, in that order.
    void MakeWorkedExample() {
        Write("Inbox/a.eml", Message("a"));
        Write("Inbox/b.txt", Message("b"));
        Write("Inbox/c.oml", Message("c"));
        Write("Inbox/Work/d.eml", Message("d"));
        Write("Inbox/.hidden", Message("hidden"));
    }
};

TEST_F(BatchWalk, WorkedExampleInEachLayoutMakesItsEntriesInOrder) {
    struct Case {
        Layout layout;
        Strings made;
    };
    // Entries are numbered in byte order of their names, so "Work" comes before "a.eml".
    const Case cases[] = {
        {Layout::Mirror,
         {"Inbox_conv", "Inbox_conv/Work", "Inbox_conv/Work/d.emlx", "Inbox_conv/a.emlx", "Inbox_conv/b.emlx"}},
        {Layout::Mailbox,
         {"Inbox_converted", "Inbox_converted/Inbox.mbox", "Inbox_converted/Inbox",
          "Inbox_converted/Inbox.mbox/Messages", "Inbox_converted/Inbox/Work.mbox", "Inbox_converted/Inbox/Work",
          "Inbox_converted/Inbox/Work.mbox/Messages", "Inbox_converted/Inbox/Work.mbox/Messages/d.emlx",
          "Inbox_converted/Inbox.mbox/Messages/a.emlx", "Inbox_converted/Inbox.mbox/Messages/b.emlx"}},
        {Layout::MailStructure,
         {"Inbox_converted", "Inbox_converted/Inbox.mbox", "Inbox_converted/Inbox", "Inbox_converted/Inbox/Work.mbox",
          "Inbox_converted/Inbox/Work", "Inbox_converted/Inbox/Work.mbox/d.emlx", "Inbox_converted/Inbox.mbox/a.emlx",
          "Inbox_converted/Inbox.mbox/b.emlx"}},
    };
    MakeWorkedExample();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.made.front());
        fs::remove_all(Path("Out"));
        fs::create_directories(Path("Out"));
        made_.clear();
        Run("Inbox", c.layout);
        EXPECT_EQ(ItemCount(), 4);
        EXPECT_EQ(Progress(), 3);
        EXPECT_EQ(window_->StatusText()->Text().ToUTF8(), "3 of 4 (hit esc to stop)");
        EXPECT_EQ(made_, c.made);
        EXPECT_TRUE(dialogs_->alerts.empty());
    }
}

TEST_F(BatchWalk, SourcesAreNeverChanged) {
    MakeWorkedExample();
    const std::string before = Read("Inbox/a.eml") + Read("Inbox/Work/d.eml");
    Run("Inbox", Layout::Mailbox);
    EXPECT_EQ(Read("Inbox/a.eml") + Read("Inbox/Work/d.eml"), before);
}

TEST_F(BatchWalk, EscapeStopsTheWalk) {
    // Inbox: a.eml, sub/(x.eml, y.eml), z.eml
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/sub/x.eml", Message("x"));
    Write("Inbox/sub/y.eml", Message("y"));
    Write("Inbox/z.eml", Message("z"));
    struct Case {
        const char* name;
        bool heldFromStart;
        bool releaseBeforeParentTests;
        Strings converted;
    };
    const Case cases[] = {
        {"held before the walk", true, false, {}},
        {"pressed in a sub-folder, released before the parent's next test", false, true,
         {"Inbox_conv/a.emlx", "Inbox_conv/sub/x.emlx", "Inbox_conv/z.emlx"}},
        {"pressed in a sub-folder and still held", false, false, {"Inbox_conv/a.emlx", "Inbox_conv/sub/x.emlx"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Path("Out"));
        fs::create_directories(Path("Out"));
        made_.clear();
        int yieldsSincePress = -1;
        onCreate_ = [&](const std::string& made) {
            if (made == "Inbox_conv/sub/x.emlx" && !c.heldFromStart) {
                Escape(true);
                yieldsSincePress = 0;
            }
        };
        fw::SetBackgroundTaskObserver([&] {
            // The first yield after the press is the sub-folder's own; the second is its parent's.
            if (yieldsSincePress >= 0 && ++yieldsSincePress == 2 && c.releaseBeforeParentTests) Escape(false);
        });
        if (c.heldFromStart) Escape(true);
        Run("Inbox", Layout::Mirror);
        Escape(false);
        Strings converted;
        for (const std::string& m : made_)
            if (m.size() > 5 && m.compare(m.size() - 5, 5, ".emlx") == 0) converted.push_back(m);
        EXPECT_EQ(converted, c.converted);
        EXPECT_TRUE(fs::is_directory(Path("Out/Inbox_conv")));  // the top level's folder is always made
        EXPECT_EQ(ItemCount(), 4);
    }
}

TEST_F(BatchWalk, AFailingSubFolderIsReportedOnceAndItsSiblingsAreConverted) {
    // A mailbox folder of this name is longer than a file name may be.
    const std::string longName(252, 'L');
    Write("Inbox/A/a.eml", Message("a"));
    Write("Inbox/" + longName + "/l.eml", Message("l"));
    Write("Inbox/Z/z.eml", Message("z"));
    Run("Inbox", Layout::Mailbox);
    EXPECT_EQ(dialogs_->Prompts(), Strings{"Exception p_RenameItems"});
    EXPECT_TRUE(fs::exists(Path("Out/Inbox_converted/Inbox/A.mbox/Messages/a.emlx")));
    EXPECT_TRUE(fs::exists(Path("Out/Inbox_converted/Inbox/Z.mbox/Messages/z.emlx")));
    EXPECT_EQ(Progress(), 2);
}

TEST_F(BatchWalk, AnUnreadableFileIsReportedAndTakesNoProgressStep) {
    Write("Inbox/a.eml", Message("a"));
    fs::create_symlink(Path("Inbox/missing.eml"), Path("Inbox/b.eml"));  // visible, but cannot be opened
    Write("Inbox/c.eml", Message("c"));
    Run("Inbox", Layout::Mirror);
    EXPECT_EQ(dialogs_->Prompts(), Strings{"application error in p_ConvertFile"});
    EXPECT_EQ(ItemCount(), 3);
    EXPECT_EQ(Progress(), 2);
    EXPECT_FALSE(fs::exists(Path("Out/Inbox_conv/b.emlx")));
}

TEST_F(BatchWalk, AVanishedTargetIsReportedInEveryLayout) {
    Write("Inbox/a.eml", Message("a"));
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        dialogs_->alerts.clear();
        Run("Inbox", layout, "Gone");
        EXPECT_EQ(dialogs_->Prompts(), Strings{"Exception p_RenameItems"});
        EXPECT_FALSE(fs::exists(Path("Gone")));
        EXPECT_EQ(Progress(), 0);
    }
}

TEST_F(BatchWalk, OnlyTheLastExtensionDecidesAndHiddenEntriesArePassedOver) {
    const char* names[] = {"x.eml.oml", "x.oml.eml", "README", "name.", "m.emlx", "UP.OML", "low.oml", ".hid.eml"};
    for (const char* n : names) Write(std::string("Inbox/") + n, Message(n));
    Write("Inbox/.hidden/h.eml", Message("h"));
    Run("Inbox", Layout::Mirror);
    EXPECT_EQ(made_, (Strings{"Inbox_conv", "Inbox_conv/README.emlx", "Inbox_conv/m.emlx", "Inbox_conv/name.emlx",
                              "Inbox_conv/x.oml.emlx"}));
    EXPECT_EQ(ItemCount(), 7);  // "oml" files are counted, hidden ones are not
    EXPECT_EQ(Progress(), 4);
}

TEST_F(BatchWalk, ARerunReplacesTheSameFiles) {
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/a.txt", Message("a text"));
    Run("Inbox", Layout::MailStructure);
    const std::string first = Read("Out/Inbox_converted/Inbox.mbox/a.emlx");
    const std::string second = Read("Out/Inbox_converted/Inbox.mbox/a 2.emlx");
    EXPECT_NE(first, second);  // two sources of one base name keep both messages
    Write("Out/Inbox_converted/Inbox.mbox/other", "kept");
    Run("Inbox", Layout::MailStructure);
    EXPECT_EQ(Read("Out/Inbox_converted/Inbox.mbox/a.emlx"), first);
    EXPECT_EQ(Read("Out/Inbox_converted/Inbox.mbox/a 2.emlx"), second);
    EXPECT_FALSE(fs::exists(Path("Out/Inbox_converted/Inbox.mbox/a 3.emlx")));
    EXPECT_EQ(Read("Out/Inbox_converted/Inbox.mbox/other"), "kept");
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(BatchWalk, LinkLoopsFinish) {
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/Sub/s.eml", Message("s"));
    fs::create_directory_symlink(Path("Inbox"), Path("Inbox/Sub/loop"));
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        Run("Inbox", layout);
        EXPECT_EQ(ItemCount(), 2);
        EXPECT_EQ(Progress(), 2);
        window_->StatusBar()->SetValue(0);
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(BatchWalk, ATargetInsideTheSourceIsConvertedButForTheRunsOutputFolders) {
    // The target's own messages and folders are the user's: only the
    // outputs in it are passed over, on the first run and on a rerun.
    struct Case {
        const char* what;
        Layout layout;
        const char* target;  // as chosen
        std::map<std::string, std::string> converted;  // below Mail: subject
    };
    const Case cases[] = {
        {"mirror layout, target Mail/Inbox", Layout::Mirror, "Mail/Inbox",
         {{"Inbox/Mail_conv/a.emlx", "a"}, {"Inbox/Mail_conv/b.emlx", "b"},
          {"Inbox/Mail_conv/Inbox/c.emlx", "c"}, {"Inbox/Mail_conv/Inbox/d.emlx", "d"},
          {"Inbox/Mail_conv/Inbox/Old/e.emlx", "e"}}},
        {"mailbox layout, target Mail/Inbox", Layout::Mailbox, "Mail/Inbox",
         {{"Inbox/Mail_converted/Mail.mbox/Messages/a.emlx", "a"}, {"Inbox/Mail_converted/Mail.mbox/Messages/b.emlx", "b"},
          {"Inbox/Mail_converted/Mail/Inbox.mbox/Messages/c.emlx", "c"},
          {"Inbox/Mail_converted/Mail/Inbox.mbox/Messages/d.emlx", "d"},
          {"Inbox/Mail_converted/Mail/Inbox/Old.mbox/Messages/e.emlx", "e"}}},
        {"Mail-structure layout, target Mail/Inbox", Layout::MailStructure, "Mail/Inbox",
         {{"Inbox/Mail_converted/Mail.mbox/a.emlx", "a"}, {"Inbox/Mail_converted/Mail.mbox/b.emlx", "b"},
          {"Inbox/Mail_converted/Mail/Inbox.mbox/c.emlx", "c"}, {"Inbox/Mail_converted/Mail/Inbox.mbox/d.emlx", "d"},
          {"Inbox/Mail_converted/Mail/Inbox/Old.mbox/e.emlx", "e"}}},
        {"mirror layout, target chosen through a link", Layout::Mirror, "LinkToInbox",
         {{"Inbox/Mail_conv/a.emlx", "a"}, {"Inbox/Mail_conv/b.emlx", "b"},
          {"Inbox/Mail_conv/Inbox/c.emlx", "c"}, {"Inbox/Mail_conv/Inbox/d.emlx", "d"},
          {"Inbox/Mail_conv/Inbox/Old/e.emlx", "e"}}},
        {"mailbox layout, the source itself as the target", Layout::Mailbox, "Mail",
         {{"Mail_converted/Mail.mbox/Messages/a.emlx", "a"}, {"Mail_converted/Mail.mbox/Messages/b.emlx", "b"},
          {"Mail_converted/Mail/Inbox.mbox/Messages/c.emlx", "c"},
          {"Mail_converted/Mail/Inbox.mbox/Messages/d.emlx", "d"},
          {"Mail_converted/Mail/Inbox/Old.mbox/Messages/e.emlx", "e"}}},
    };
    fs::create_directories(Path("Mail/Inbox"));
    fs::create_directory_symlink(Path("Mail/Inbox"), Path("LinkToInbox"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        deep_tree::RemoveTree(Path("Mail"));
        for (const char* name : {"a", "b", "Inbox/c", "Inbox/d", "Inbox/Old/e"}) Write(std::string("Mail/") + name + ".eml", Message(fs::path(name).filename()));
        for (const char* run : {"first run", "rerun"}) {
            SCOPED_TRACE(run);
            window_->StatusBar()->SetValue(0);
            Run("Mail", c.layout, c.target);
            EXPECT_EQ(ItemCount(), 5);
            EXPECT_EQ(Progress(), 5);
            std::map<std::string, std::string> converted;
            for (const auto& entry : fs::recursive_directory_iterator(Path("Mail")))
                if (entry.path().extension() == ".emlx")
                    converted[fs::relative(entry.path(), Path("Mail")).generic_string()] = ReadEmlx(entry.path()).subject;
            EXPECT_EQ(converted, c.converted);
            EXPECT_TRUE(dialogs_->alerts.empty());
        }
    }
}

TEST_F(BatchWalk, ALevelWritingWhereTheRunHasWrittenAlreadyReplacesNoneOfItsFiles) {
    // On a volume that folds letter case, the sibling folders "Work" and
    // "work" share one output folder; a bind mount makes that on this one.
    Write("Inbox/Work/a.eml", Message("Work a"));
    Write("Inbox/Work/b.eml", Message("Work b"));
    Write("Inbox/work/a.eml", Message("work a"));
    fs::create_directories(Path("Out/Inbox_conv/Work"));
    fs::create_directories(Path("Out/Inbox_conv/work"));
    if (::mount(Path("Out/Inbox_conv/Work").c_str(), Path("Out/Inbox_conv/work").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no bind mount may be made here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{Path("Out/Inbox_conv/work")};
    Write("Out/Inbox_conv/Work/a 2.emlx", "left by an earlier run");
    Write("Out/Inbox_conv/Work/c.emlx", "left by an earlier run too");
    const std::map<std::string, std::string> expected = {
        {"a.emlx", "Work a"}, {"b.emlx", "Work b"}, {"a 2.emlx", "work a"}, {"c.emlx", ""}};
    for (const char* run : {"first", "again"}) {
        SCOPED_TRACE(run);
        Run("Inbox", Layout::Mirror);
        EXPECT_TRUE(dialogs_->alerts.empty());
        std::map<std::string, std::string> present;
        for (const auto& entry : fs::directory_iterator(Path("Out/Inbox_conv/Work")))
            present[entry.path().filename().string()] = ReadEmlx(entry.path()).subject;
        EXPECT_EQ(present, expected);
        EXPECT_EQ(Progress(), 3);
        window_->StatusBar()->SetValue(0);
    }
}

TEST_F(BatchWalk, AFolderBesideItsOwnMailboxNameLosesNoMessage) {
    // "A.mbox" is the mailbox folder of "A" and the plain folder of "A.mbox".
    Write("Inbox/A/a.eml", Message("A a"));
    Write("Inbox/A.mbox/a.eml", Message("A.mbox a"));
    Write("Inbox/A.mbox/Messages/a.eml", Message("Messages a"));
    for (Layout layout : {Layout::Mailbox, Layout::MailStructure}) {
        SCOPED_TRACE(static_cast<int>(layout));
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out"));
        Run("Inbox", layout);
        Strings subjects;
        for (const auto& entry : fs::recursive_directory_iterator(Path("Out")))
            if (entry.path().extension() == ".emlx") subjects.push_back(ReadEmlx(entry.path()).subject);
        std::sort(subjects.begin(), subjects.end());
        EXPECT_EQ(subjects, (Strings{"A a", "A.mbox a", "Messages a"}));
        EXPECT_TRUE(dialogs_->alerts.empty());
    }
}

TEST_F(BatchWalk, AnEmptySourceMakesOnlyTheTopLevelFolders) {
    fs::create_directories(Path("Empty"));
    Write("Empty/.DS_Store", "x");
    Run("Empty", Layout::Mailbox);
    EXPECT_EQ(ItemCount(), 0);
    EXPECT_EQ(made_, (Strings{"Empty_converted", "Empty_converted/Empty.mbox", "Empty_converted/Empty",
                              "Empty_converted/Empty.mbox/Messages"}));
}

TEST_F(BatchWalk, ClosingTheWindowOrQuittingStopsTheWalkBetweenEntries) {
    for (int i = 0; i < 5; ++i) Write("Inbox/m" + std::to_string(i) + ".eml", Message(std::to_string(i)));
    onCreate_ = [this](const std::string& made) {
        if (made == "Inbox_conv/m1.emlx") window_->Close();
    };
    Run("Inbox", Layout::Mirror);
    EXPECT_EQ(Progress(), 2);  // m0 and m1, each written whole
    EXPECT_FALSE(fs::exists(Path("Out/Inbox_conv/m2.emlx")));

    // Quitting is for good, so it is tried in a child process.
    window_ = GetMainWindowInstance();
    fs::remove_all(Path("Out/Inbox_conv"));
    QCoreApplication::processEvents();  // nothing queued to paint is left for the child
    const pid_t child = ::fork();
    if (child == 0) {
        // Painting needs threads that a forked child does not have.
        window_->Widget()->hide();
        onCreate_ = [](const std::string& made) {
            if (made == "Inbox_conv/m2.emlx") fw::QuitApplication(0);
        };
        Run("Inbox", Layout::Mirror);
        ::_exit(Progress() == 3 && !fs::exists(Path("Out/Inbox_conv/m3.emlx")) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(BatchWalk, EveryOutputReadsAsAppleMailReadsIt) {
    MakeWorkedExample();
    Write("Inbox/Work/binary.eml", std::string("From: <x&y>\r\nSubject: \xff\x00\x01 bin\r\n\r\n\x00\xfe", 36));
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        made_.clear();
        Run("Inbox", layout);
        int outputs = 0;
        for (const std::string& m : made_) {
            if (m.size() < 5 || m.compare(m.size() - 5, 5, ".emlx") != 0) continue;
            SCOPED_TRACE(m);
            ++outputs;
            const EmlxFile file = ReadEmlx(Path("Out/" + m));
            ASSERT_EQ(file.error, "");
            const std::string stem = fs::path(m).stem().string();
            const std::string source = stem == "b" ? "Inbox/b.txt" : stem == "a" ? "Inbox/a.eml" : "Inbox/Work/" + stem + ".eml";
            std::string expected = Read(source);
            expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
            if (!expected.empty() && expected.back() != '\n') expected += '\n';
            EXPECT_EQ(file.message, expected);
            EXPECT_EQ(file.flags, 33815681);
            if (stem == "binary") {
                EXPECT_EQ(file.sender, "<x&y>");
                EXPECT_FALSE(file.dateSent.has_value());
            } else {
                EXPECT_EQ(file.subject, stem);
                EXPECT_EQ(file.dateSent, std::optional<int64_t>(1057049557));
            }
        }
        EXPECT_EQ(outputs, 4);
    }
}

TEST_F(BatchWalk, PipesAndDevicesAreReportedAndTheWalkGoesOn) {
    Write("Inbox/a.eml", Message("a"));
    ASSERT_EQ(::mkfifo(Path("Inbox/pipe.eml").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("Inbox/zero.eml"));
    Write("Inbox/z.eml", Message("z"));
    Run("Inbox", Layout::Mirror);
    EXPECT_EQ(dialogs_->Prompts(), (Strings{"application error in p_ConvertFile", "application error in p_ConvertFile"}));
    EXPECT_EQ(Progress(), 2);
    EXPECT_TRUE(fs::exists(Path("Out/Inbox_conv/z.emlx")));
}

TEST_F(BatchWalk, AFolderKeptBetweenRunsIsListedAfresh) {
    Write("Inbox/a.eml", Message("a"));
    fw::Ref<fw::FolderItem> inbox = fw::FolderItemFromPath(Path("Inbox"));
    fw::Ref<fw::FolderItem> out = fw::FolderItemFromPath(Path("Out"));
    auto run = [&] {
        MainWindowTestAccess::ItemCount(*window_) = 0;
        MainWindowTestAccess::CountItems(*window_, inbox);
        MainWindowTestAccess::Convert(*window_, inbox, out, true);
    };
    run();
    fs::remove(Path("Inbox/a.eml"));
    Write("Inbox/b.eml", Message("b"));
    run();
    EXPECT_EQ(ItemCount(), 1);
    EXPECT_TRUE(fs::exists(Path("Out/Inbox_conv/b.emlx")));
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(BatchWalk, TheCountCoversWhatTheWalkConverts) {
    // Earlier output inside the source, then the source itself as the target, then another target.
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/Sub/s.eml", Message("s"));
    Write("Inbox/Inbox_conv/old.emlx", "left by an earlier run");
    for (const char* target : {"Inbox", "Out", "Inbox"}) {
        SCOPED_TRACE(target);
        window_->StatusBar()->SetValue(0);
        Run("Inbox", Layout::Mirror, target);
        EXPECT_EQ(Progress(), ItemCount());
    }
    for (const char* target : {"Inbox", "Out"}) {
        SCOPED_TRACE(target);
        window_->StatusBar()->SetValue(0);
        Run("Inbox", Layout::Mailbox, target);
        EXPECT_EQ(Progress(), ItemCount());
    }
}

TEST_F(BatchWalk, AnUnreadableFolderIsReportedByTheCountAndItsSiblingsAreCounted) {
    Write("Inbox/A/a.eml", Message("a"));
    Write("Inbox/B/b.eml", Message("b"));
    Write("Inbox/C/c.eml", Message("c"));
    fs::permissions(Path("Inbox/B"), fs::perms::none);
    fs::permissions(root_, fs::perms::all);
    fs::permissions(Path("Inbox"), fs::perms::all);
    for (const char* d : {"A", "C"}) fs::permissions(Path(std::string("Inbox/") + d), fs::perms::all);
    QCoreApplication::processEvents();  // nothing queued to paint is left for the child
    const int result = RunAsNobody([this] {
        window_->Widget()->hide();  // painting needs threads that a forked child does not have
        MainWindowTestAccess::ItemCount(*window_) = 0;
        MainWindowTestAccess::CountItems(*window_, fw::FolderItemFromPath(Path("Inbox")));
        if (dialogs_->Prompts() != Strings{"Exception p_CountItems"}) return 1;
        return ItemCount() == 2 ? 0 : 2;
    });
    fs::permissions(Path("Inbox/B"), fs::perms::owner_all);
    EXPECT_EQ(result, 0);
}

TEST_F(BatchWalk, WhatIsDoneAheadOfAStopIsDroppedAndOutputsComeInOrder) {
    // Enough files for the readers to be well ahead of the writer when Escape comes.
    Strings expected;
    for (int i = 0; i < 200; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "m%03d", i);
        Write(std::string("Inbox/") + name + ".eml", Message(name));
        if (i <= 60) expected.push_back(std::string("Inbox_conv/") + name + ".emlx");
    }
    onCreate_ = [this](const std::string& made) {
        if (made == "Inbox_conv/m060.emlx") Escape(true);
    };
    Run("Inbox", Layout::Mirror);
    Escape(false);
    EXPECT_EQ(made_, [&] {
        Strings all{"Inbox_conv"};
        all.insert(all.end(), expected.begin(), expected.end());
        return all;
    }());
    EXPECT_EQ(Progress(), 61);
    // Nothing else is left in the folder, hidden or not.
    Strings present;
    for (const auto& entry : fs::directory_iterator(Path("Out/Inbox_conv")))
        present.push_back("Inbox_conv/" + entry.path().filename().string());
    std::sort(present.begin(), present.end());
    EXPECT_EQ(present, expected);
    for (const std::string& m : expected) EXPECT_EQ(ReadEmlx(Path("Out/" + m)).error, "") << m;
}

TEST_F(BatchWalk, AnEscapeThatWaitsInTheEventQueueStopsTheWalkSoon) {
    // The walk handles events every few milliseconds, not at every file: a
    // key press queued like the user's still ends it long before its end.
    for (int i = 0; i < 1000; ++i) Write("Inbox/m" + std::to_string(10000 + i) + ".eml", "Subject: s\n");
    bool posted = false;
    onCreate_ = [&](const std::string& made) {
        if (posted || made.size() < 5 || made.compare(made.size() - 5, 5, ".emlx") != 0) return;
        posted = true;
        QCoreApplication::postEvent(window_->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    Run("Inbox", Layout::Mirror);
    Escape(false);
    EXPECT_GE(Progress(), 1);
    EXPECT_LT(Progress(), 1000);
}
