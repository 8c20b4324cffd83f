// Batch runs on trees a user's machine may hold: links where output folders
// go, links that cannot be examined, a source inside an earlier run's output,
// a tree deeper than the path limit, a source that goes away, and entries
// that change while the run is under way.
#include "BatchTreeFixture.h"

#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include "AsUnprivilegedUser.h"
#include "DeepTree.h"
#include "EmlxReader.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class HostileTree : public BatchTreeFixture {
protected:
    // Every entry below the folder: files with their bytes, links as
    // "-> target", folders as "(folder)".
    std::map<std::string, std::string> Snapshot(const std::string& relative) const {
        std::map<std::string, std::string> files;
        for (auto it = fs::recursive_directory_iterator(Path(relative)); it != fs::recursive_directory_iterator(); ++it) {
            const std::string name = fs::relative(it->path(), Path(relative)).generic_string();
            if (it->is_symlink()) files[name] = "-> " + fs::read_symlink(it->path()).string();
            else if (it->is_regular_file()) files[name] = Read(relative + "/" + name);
            else if (it->is_directory()) files[name] = "(folder)";
        }
        return files;
    }

    // What a user can tell of a run: the count, the progress, the alerts and
    // the converted files, in the order made.
    std::string Outcome(const Seen& seen) {
        std::string outcome = "count " + std::to_string(ItemCount()) + ", progress " + std::to_string(Progress());
        for (const std::string& alert : seen.alerts) outcome += ", alert " + alert;
        for (const std::string& m : seen.made)
            if (m.size() > 5 && m.compare(m.size() - 5, 5, ".emlx") == 0) outcome += ", " + m;
        return outcome;
    }

    Strings EmlxMade() const {
        Strings outputs;
        for (const std::string& m : made_)
            if (m.size() > 5 && m.compare(m.size() - 5, 5, ".emlx") == 0) outputs.push_back(m);
        return outputs;
    }
};

TEST_F(HostileTree, AnOutputFolderThatIsALinkIsRefusedAtAnyDepth) {
    struct Case {
        const char* what;
        Layout layout;
        const char* realFolder;  // made in the target first, when not empty
        const char* link;        // in the target
        const char* linkTo;      // under the test's root
        Strings converted;
    };
    const Case cases[] = {
        {"the output folder is the source", Layout::Mirror, "", "Inbox_conv", "Inbox", {}},
        {"the container is the source", Layout::MailStructure, "", "Inbox_converted", "Inbox", {}},
        {"a message folder leads outside", Layout::Mailbox, "Inbox_converted/Inbox.mbox",
         "Inbox_converted/Inbox.mbox/Messages", "Outside", {}},
        {"a sub-folder's output leads outside", Layout::Mirror, "Inbox_conv", "Inbox_conv/Sub", "Outside",
         {"Inbox_conv/a.emlx", "Inbox_conv/a 2.emlx"}},
        {"a sub-folder's mailbox leads outside", Layout::Mailbox, "Inbox_converted/Inbox", "Inbox_converted/Inbox/Sub.mbox",
         "Outside", {"Inbox_converted/Inbox.mbox/Messages/a.emlx", "Inbox_converted/Inbox.mbox/Messages/a 2.emlx"}},
    };
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/a.emlx", "an earlier output the user keeps");
    Write("Inbox/Sub/s.eml", Message("s"));
    fs::create_directories(Path("Outside"));
    const auto source = Snapshot("Inbox");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out") / c.realFolder);
        fs::create_directory_symlink(Path(c.linkTo), Path("Out") / c.link);
        made_.clear();
        dialogs_->alerts.clear();
        Run("Inbox", c.layout);
        EXPECT_EQ(dialogs_->Prompts(), Strings{"Exception p_RenameItems"});
        EXPECT_EQ(EmlxMade(), c.converted);
        EXPECT_EQ(Snapshot("Inbox"), source);
        EXPECT_TRUE(fs::is_empty(Path("Outside")));
        EXPECT_TRUE(fs::is_symlink(Path("Out") / c.link));
    }
}

TEST_F(HostileTree, AnEntryWhoseKindCannotBeLearnedIsAlertedAloneAndItsLevelGoesOn) {
    // a.eml, b.eml (a link whose target cannot be examined), c.eml, d/e.eml:
    // b is counted and handed to the writer, which alerts it alone.
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/c.eml", Message("c"));
    Write("Inbox/d/e.eml", Message("e"));
    Write("Private/x.eml", Message("x"));
    struct LayoutCase {
        Layout layout;
        std::string outcome;
    };
    const std::string one = "count 4, progress 3, alert application error in p_ConvertFile, ";
    const LayoutCase layouts[] = {
        {Layout::Mirror, one + "Inbox_conv/a.emlx, Inbox_conv/c.emlx, Inbox_conv/d/e.emlx"},
        {Layout::Mailbox, one + "Inbox_converted/Inbox.mbox/Messages/a.emlx, Inbox_converted/Inbox.mbox/Messages/c.emlx, "
                                "Inbox_converted/Inbox/d.mbox/Messages/e.emlx"},
        {Layout::MailStructure, one + "Inbox_converted/Inbox.mbox/a.emlx, Inbox_converted/Inbox.mbox/c.emlx, "
                                      "Inbox_converted/Inbox/d.mbox/e.emlx"},
    };
    // Each layout, with the workers reading ahead and with the main thread
    // alone; the first outcome that differs, or none.
    auto firstDifference = [&]() -> std::string {
        for (const LayoutCase& c : layouts)
            for (int32_t workers : {3, 0}) {
                const std::string outcome = Outcome(RunSeen("Inbox", c.layout, workers));
                if (outcome != c.outcome) return std::to_string(workers) + " workers: " + outcome + "\nwanted: " + c.outcome;
            }
        return "";
    };

    // A target whose name is longer than the system allows, for any user.
    fs::create_symlink(Path(std::string(300, 'n')), Path("Inbox/b.eml"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(firstDifference(), "");
    const std::string reasons = testing::internal::GetCapturedStderr();
    const std::string reason = "application error in p_ConvertFile: cannot open " + Path("Inbox/b.eml").string() + ": " +
                               std::strerror(ENAMETOOLONG);
    EXPECT_NE(reasons.find(reason), std::string::npos) << reasons;
    EXPECT_EQ(reasons.find("Exception p_"), std::string::npos) << reasons;

    // A link into a folder the user may not enter.
    fs::remove(Path("Inbox/b.eml"));
    fs::create_symlink(Path("Private/x.eml"), Path("Inbox/b.eml"));
    fs::permissions(Path("Private"), fs::perms::owner_all);
    deep_tree::RemoveTree(Path("Out"));
    fs::create_directories(Path("Out"));
    fs::permissions(Path("Out"), fs::perms::all);
    QCoreApplication::processEvents();  // nothing queued to paint is left for the child
    const int result = RunAsNobody([&] {
        window_->Widget()->hide();  // painting needs threads that a forked child does not have
        const std::string difference = firstDifference();
        if (difference.empty()) return 0;
        std::fprintf(stderr, "as nobody, %s\n", difference.c_str());
        return 1;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(HostileTree, ASourceInsideAnEarlierRunsOutputIsOnlyRead) {
    // The source lies where the run puts its own outputs: its output folder
    // would be the source folder itself. Nothing is written into the source;
    // every message is converted, or alerted by its level.
    struct Case {
        const char* what;
        Layout layout;
        std::string source;  // inside the target, Out
        Strings files;
        Strings made;
        Strings alerts;
        int32_t progress;
    };
    const Strings earlierPlainFolder = {"top.eml", "Sub/m.eml", "Sub.mbox/m.emlx"};
    const Strings refused = {"Exception p_RenameItems"};
    const Case cases[] = {
        {"mirror layout: a folder beside the output", Layout::Mirror, "Out/Inbox_converted/Inbox", earlierPlainFolder,
         {"Inbox_conv", "Inbox_conv/Sub", "Inbox_conv/Sub/m.emlx", "Inbox_conv/Sub.mbox", "Inbox_conv/Sub.mbox/m.emlx",
          "Inbox_conv/top.emlx"},
         {}, 3},
        {"mailbox layout: the top level's plain folder", Layout::Mailbox, "Out/Inbox_converted/Inbox", earlierPlainFolder,
         {}, refused, 0},
        {"Mail-structure layout: the top level's plain folder", Layout::MailStructure, "Out/Inbox_converted/Inbox",
         earlierPlainFolder, {}, refused, 0},
        {"mirror layout: a sub-folder's output", Layout::Mirror, "Out/Inbox_conv/Inbox",
         {"Inbox/i.eml", "Sub/s.eml", "top.eml"}, {"Inbox_conv/Sub", "Inbox_conv/Sub/s.emlx", "Inbox_conv/top.emlx"},
         refused, 2},
        {"Mail-structure layout: a sub-folder's plain folder", Layout::MailStructure, "Out/Inbox_converted/Inbox/Inbox",
         {"Inbox/i.eml", "Sub/s.eml", "top.eml"},
         {"Inbox_converted/Inbox.mbox", "Inbox_converted/Inbox/Sub.mbox", "Inbox_converted/Inbox/Sub",
          "Inbox_converted/Inbox/Sub.mbox/s.emlx", "Inbox_converted/Inbox.mbox/top.emlx"},
         refused, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        deep_tree::RemoveTree(Path("Out"));
        for (const std::string& file : c.files) Write(c.source + "/" + file, Message(file));
        const auto source = Snapshot(c.source);
        made_.clear();
        dialogs_->alerts.clear();
        window_->StatusBar()->SetValue(0);
        testing::internal::CaptureStderr();
        Run(c.source, c.layout);
        const std::string reasons = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Snapshot(c.source), source);
        EXPECT_EQ(made_, c.made);
        EXPECT_EQ(dialogs_->Prompts(), c.alerts);
        EXPECT_EQ(ItemCount(), 3);
        EXPECT_EQ(Progress(), c.progress);
        // The refusal names the source folder on standard error.
        if (!c.alerts.empty()) {
            const std::string reason = "Exception p_RenameItems: cannot use the output folder " + Path(c.source).string() + ":";
            EXPECT_NE(reasons.find(reason), std::string::npos) << reasons;
        }
    }
}

TEST_F(HostileTree, ATreeDeeperThanThePathLimitIsCountedAndConvertedInEachLayout) {
    constexpr int kDepth = 300;
    const std::string name(16, 'd');  // 300 levels of 17 bytes pass 4096
    {
        fs::create_directories(Path("Inbox"));
        deep_tree::Folder level(::open(Path("Inbox").c_str(), O_RDONLY | O_DIRECTORY));
        for (int i = 1; i <= kDepth; ++i) {
            ASSERT_EQ(::mkdirat(level.fd(), name.c_str(), 0755), 0);
            level = deep_tree::Open(level.fd(), name);
            ASSERT_TRUE(deep_tree::WriteFile(level.fd(), "m.eml", Message("level " + std::to_string(i))));
        }
    }
    struct Case {
        Layout layout;
        Strings top;          // the folders in the target above the first level
        std::string levelOf;  // the folder a level's own folder makes for the next level
        Strings filesIn;      // where a level's files go, inside the folder of its parent level
    };
    const Case cases[] = {
        {Layout::Mirror, {"Inbox_conv"}, name, {name}},
        {Layout::Mailbox, {"Inbox_converted", "Inbox"}, name, {name + ".mbox", "Messages"}},
        {Layout::MailStructure, {"Inbox_converted", "Inbox"}, name, {name + ".mbox"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top.front());
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out"));
        made_.clear();
        Run("Inbox", c.layout);
        EXPECT_TRUE(dialogs_->alerts.empty());
        EXPECT_EQ(ItemCount(), kDepth);
        EXPECT_EQ(Progress(), kDepth);
        EXPECT_EQ(EmlxMade().size(), size_t(kDepth));
        // The deepest output, reached through folder handles.
        Strings deepest = c.top;
        for (int i = 1; i < kDepth; ++i) deepest.push_back(c.levelOf);
        deepest.insert(deepest.end(), c.filesIn.begin(), c.filesIn.end());
        deep_tree::Folder folder = deep_tree::OpenPath(Path("Out"), deepest);
        ASSERT_TRUE(folder);
        const EmlxFile file = ParseEmlx(deep_tree::ReadFile(folder.fd(), "m.emlx"));
        ASSERT_EQ(file.error, "");
        EXPECT_EQ(file.subject, "level 300");
    }
}

TEST_F(HostileTree, ChangesDuringTheRunAreEachReportedOnceWithTheirReasonAndTheRestConverted) {
    // In byte order: a (converted first), b (vanishes), c (becomes a link), d
    // (is edited), e, the folder x (deleted), f. The changes come once the
    // workers have had time to read b, c and d ahead: what the user sees is
    // what one thread gives.
    for (const char* n : {"a", "b", "c", "d", "e", "f"}) Write(std::string("Inbox/") + n + ".eml", Message(n));
    Write("Inbox/x/y.eml", Message("y"));
    Write("secret.txt", "From: not@yours\n\nnot to be read as c");
    onCreate_ = [this](const std::string& made) {
        if (made != "Inbox_conv/a.emlx") return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        fs::remove(Path("Inbox/b.eml"));
        fs::remove(Path("Inbox/c.eml"));
        fs::create_symlink(Path("secret.txt"), Path("Inbox/c.eml"));
        std::ofstream(Path("Inbox/d.eml"), std::ios::binary | std::ios::app) << "edited\n";
        fs::remove_all(Path("Inbox/x"));
    };
    for (int32_t workers : {3, 0}) {
        SCOPED_TRACE(workers);
        for (const char* n : {"b", "c"}) {
            fs::remove(Path(std::string("Inbox/") + n + ".eml"));
            Write(std::string("Inbox/") + n + ".eml", Message(n));
        }
        Write("Inbox/d.eml", Message("d"));
        Write("Inbox/x/y.eml", Message("y"));
        testing::internal::CaptureStderr();
        const Seen seen = RunSeen("Inbox", Layout::Mirror, workers);
        const std::string reasons = testing::internal::GetCapturedStderr();
        EXPECT_EQ(seen.alerts, (Strings{"application error in p_ConvertFile", "application error in p_ConvertFile",
                                        "Exception p_RenameItems"}));
        EXPECT_EQ(EmlxMade(), (Strings{"Inbox_conv/a.emlx", "Inbox_conv/d.emlx", "Inbox_conv/e.emlx", "Inbox_conv/f.emlx"}));
        EXPECT_NE(seen.files.at("Inbox_conv/d.emlx").find("edited\n"), std::string::npos);
        EXPECT_EQ(ItemCount(), 7);
        EXPECT_EQ(Progress(), 4);
        EXPECT_EQ(Read("secret.txt"), "From: not@yours\n\nnot to be read as c");
        EXPECT_EQ(Read("Inbox/a.eml") + Read("Inbox/e.eml"), Message("a") + Message("e"));
        // Each alert's place and reason, on standard error.
        for (const std::string& expected :
             {"application error in p_ConvertFile: cannot open " + Path("Inbox/b.eml").string() + ": No such file or directory",
              "application error in p_ConvertFile: cannot open " + Path("Inbox/c.eml").string() + ": " + std::strerror(ELOOP),
              "Exception p_RenameItems: cannot list " + Path("Inbox/x").string() + ": No such file or directory"})
            EXPECT_NE(reasons.find(expected), std::string::npos) << expected << "\nnot in:\n" << reasons;
    }
}

TEST_F(HostileTree, ASourceFolderThatHasGoneIsReportedNotWalkedAsEmpty) {
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        dialogs_->alerts.clear();
        made_.clear();
        Run("Gone", layout);
        EXPECT_EQ(dialogs_->Prompts(), (Strings{"Exception p_CountItems", "Exception p_RenameItems"}));
        EXPECT_EQ(ItemCount(), 0);
        EXPECT_TRUE(EmlxMade().empty());
    }
    // A file where the folder was is no folder either.
    Write("NotAFolder", "x");
    dialogs_->alerts.clear();
    Run("NotAFolder", Layout::Mirror);
    EXPECT_EQ(dialogs_->Prompts(), (Strings{"Exception p_CountItems", "Exception p_RenameItems"}));
}
