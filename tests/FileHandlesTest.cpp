// Batch runs where file handles run short: the limit of open files raised as
// far as the system allows, reading ahead that gives what one thread gives
// however few handles are left, handles the toolkit takes or gives back
// during a run that change nothing, and a tree deeper than the handles
// allow, whose levels that cannot be opened are alerted while the toolkit
// keeps the handles it needs. Each lowered limit is a forked child's own.
#include "BatchTreeFixture.h"

#include <dirent.h>
#include <glib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <fcntl.h>
#include <sys/resource.h>

#include "AsUnprivilegedUser.h"
#include "framework/HandleLimit.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

// The handles the process has open.
rlim_t OpenHandles() {
    rlim_t open = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir)) open += entry->d_name[0] != '.';
        ::closedir(dir);
        --open;  // the listing's own
    }
    return open;
}

// How many more handles the process could open now.
rlim_t FreeHandles() {
    std::vector<int> opened;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) opened.push_back(fd);
    for (int fd : opened) ::close(fd);
    return opened.size();
}

// Lowers the limit, soft and hard, to the handles open now and `more`.
int LimitHandlesTo(rlim_t more) {
    const rlim_t limit = OpenHandles() + more;
    const struct rlimit lowered = {limit, limit};
    return ::setrlimit(RLIMIT_NOFILE, &lowered) == 0 ? 0 : 100;
}

}  // namespace

TEST(HandleLimit, IsRaisedAsFarAsTheSystemAllows) {
    const struct Case {
        const char* what;
        rlim_t soft, hard;
        std::optional<rlim_t> systemMost;
        rlim_t mostTaken;  // the system refuses more than this
        rlim_t expected;
    } cases[] = {
        {"to the hard limit", 1024, 524288, std::nullopt, RLIM_INFINITY, 524288},
        {"already there", 4096, 4096, std::nullopt, RLIM_INFINITY, 4096},
        {"no hard limit (macOS): the system's most per process", 256, RLIM_INFINITY, 24576, 24576, 24576},
        {"no hard limit, and less taken than the system says", 256, RLIM_INFINITY, 24576, 10240, 10240},
        {"a hard limit above the system's most", 256, 100000, 12288, 12288, 12288},
        {"nothing more taken", 256, RLIM_INFINITY, 24576, 256, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int asked = 0;
        const rlim_t set = fw::RaiseHandleLimit({c.soft, c.hard}, c.systemMost, [&](rlim_t soft) {
            ++asked;
            EXPECT_NE(soft, RLIM_INFINITY);
            return soft <= c.mostTaken;
        });
        EXPECT_EQ(set, c.expected);
        EXPECT_LE(asked, 64);
    }
}

class FileHandles : public BatchTreeFixture {
protected:
    void SetUp() override {
        BatchTreeFixture::SetUp();
        window_->Widget()->hide();  // painting needs threads that a forked child does not have
        QCoreApplication::processEvents();
    }
};

TEST_F(FileHandles, WithFewHandlesLeftReadingAheadGivesWhatOneThreadGives) {
    for (int i = 0; i < 60; ++i) Write("Inbox/m" + std::to_string(10 + i) + ".eml", Message(std::to_string(i)));
    for (int i = 0; i < 6; ++i) fs::create_symlink("m" + std::to_string(20 + i) + ".eml", Path("Inbox/n" + std::to_string(i) + ".eml"));
    // After the files, a folder one level down, which needs handles more.
    for (int i = 0; i < 5; ++i) Write("Inbox/zz/z" + std::to_string(i) + ".eml", Message("z" + std::to_string(i)));
    // Handles left to the run beyond those the toolkit keeps. With the
    // fewest, one thread itself converts the files of Inbox but finds no
    // handle for those of the folder below, and alerts each of them; there
    // a worker may find no handle for its first file either, and the run
    // goes on with the main thread alone.
    const struct {
        Layout layout;
        rlim_t left;
        size_t oneThreadAlerts;
        bool workersTakeAhead;
    } limits[] = {
        {Layout::Mirror, 5, 5, false},  {Layout::Mailbox, 9, 5, false}, {Layout::Mirror, 16, 0, true},
        {Layout::Mailbox, 16, 0, true}, {Layout::Mirror, 24, 0, true},  {Layout::Mailbox, 24, 0, true},
    };
    for (const auto& limit : limits) {
        SCOPED_TRACE(std::to_string(limit.left) + " handles, layout " + std::to_string(static_cast<int>(limit.layout)));
        const int result = RunInChild(
            [&] {
                const Seen oneThread = RunSeen("Inbox", limit.layout, 0);
                size_t outputs = 0;
                for (const auto& file : oneThread.files) outputs += fs::path(file.first).extension() == ".emlx";
                if (oneThread.alerts != Strings(limit.oneThreadAlerts, "application error in p_ConvertFile")) return 1;
                if (outputs != 71 - limit.oneThreadAlerts) return 1;
                int64_t takenAhead = 0;
                for (int run = 0; run < 3; ++run) {
                    const Seen readAhead = RunSeen("Inbox", limit.layout, 3);
                    if (readAhead.alerts != oneThread.alerts) return 2;
                    if (readAhead.made != oneThread.made || readAhead.progress != oneThread.progress) return 3;
                    if (readAhead.files != oneThread.files) return 4;
                    takenAhead += readAhead.takenAhead;
                }
                // The workers did read files ahead, with few handles left.
                return takenAhead > 0 || !limit.workersTakeAhead ? 0 : 5;
            },
            [&] { return LimitHandlesTo(fw::kHandlesKeptFree + limit.left); });
        EXPECT_EQ(result, 0);
    }
}

namespace {

// A tree of `depth` levels below Inbox, one message in each.
void MakeDeepTree(const std::function<void(const std::string&, const std::string&)>& write, int depth) {
    std::string path = "Inbox";
    for (int i = 1; i <= depth; ++i) {
        path += "/d";
        write(path + "/m.eml", "Subject: level " + std::to_string(i) + "\r\n\r\nbody\r\n");
    }
}

// Handles that the toolkit opens and closes of its own accord.
class ToolkitHandles {
public:
    ~ToolkitHandles() { Close(); }
    void Open(int count) {
        for (int i = 0; i < count; ++i) held_.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }
    void Close() {
        for (int fd : held_) ::close(fd);
        held_.clear();
    }

private:
    std::vector<int> held_;
};

}  // namespace

// The handles the toolkit takes or gives back in the middle of a run, as
// long as it stays within what is kept for it, change nothing the run does:
// the run counts its own handles against what it was given when it started.
TEST_F(FileHandles, WhatTheToolkitOpensOrClosesDuringARunChangesNoResult) {
    MakeDeepTree([&](const std::string& path, const std::string& content) { Write(path, content); }, 150);
    constexpr int kToolkitTakes = static_cast<int>(fw::kHandlesKeptFree) - 4;
    const struct {
        const char* what;
        int heldAtStart;  // by the toolkit as the run starts
        int change;       // by the toolkit once the run has begun
    } cases[] = {
        {"the toolkit opens handles", 0, kToolkitTakes},
        {"the toolkit closes handles", kToolkitTakes, -kToolkitTakes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int result = RunInChild(
            [&] {
                ToolkitHandles toolkit;
                toolkit.Open(c.heldAtStart);
                const Seen quiet = RunSeen("Inbox", Layout::Mirror, 3);
                if (quiet.alerts.empty()) return 1;  // the run does reach the limit
                // Once the run has made its first folder, on its way down.
                bool changed = false;
                onCreate_ = [&](const std::string&) {
                    if (changed) return;
                    changed = true;
                    if (c.change > 0) toolkit.Open(c.change);
                    else toolkit.Close();
                };
                const Seen busy = RunSeen("Inbox", Layout::Mirror, 3);
                onCreate_ = nullptr;
                if (!changed) return 2;
                if (busy.alerts != quiet.alerts) return 3;
                if (busy.made != quiet.made || busy.progress != quiet.progress) return 4;
                return busy.files == quiet.files ? 0 : 5;
            },
            [&] { return LimitHandlesTo(fw::kHandlesKeptFree + 120); });
        EXPECT_EQ(result, 0);
    }
}

TEST_F(FileHandles, ATreeDeeperThanTheHandlesAllowConvertsWhatItCanAndAlertsTheRest) {
    constexpr int kDepth = 150;
    MakeDeepTree([&](const std::string& path, const std::string& content) { Write(path, content); }, kDepth);
    // 120 handles for the run. The count holds one for Inbox and each level
    // on its way down and lists each with one more: 118 levels. The walk
    // holds two a level (the source and its output folder) beside those of
    // the target, Inbox and the top output folder: 58 levels, and a file is
    // read before its output is made. In the Mail-structure layout a level's
    // files go to a folder of their own: the file of the deepest level finds
    // no handle.
    const struct {
        Layout layout;
        Strings alerts;
        int converted;
    } cases[] = {
        {Layout::Mirror, {"Exception p_CountItems", "Exception p_RenameItems"}, 58},
        {Layout::MailStructure,
         {"Exception p_CountItems", "Exception p_RenameItems", "application error in p_ConvertFile"},
         57},
    };
    const std::string reasons = Path("reasons.txt").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        const int result = RunInChild(
            [&] {
                // Where the run holds the most handles, the toolkit can still
                // have its own: an event loop of its own for a new thread.
                bool toolkitLives = true;
                dialogs_->onAlert = [&](const RecordedAlert&) {
                    toolkitLives = toolkitLives && FreeHandles() >= fw::kHandlesKeptFree;
                    g_main_context_unref(g_main_context_new());  // ends the process when it gets no handle
                };
                const int64_t heldBefore = fw::HandlesHeld();
                Run("Inbox", c.layout);
                if (!toolkitLives) return 1;
                if (dialogs_->Prompts() != c.alerts) return 2;
                if (ItemCount() != 118 || Progress() != c.converted) return 3;
                // Nothing else: no hidden file of an output that found no handle.
                int found = 0;
                for (const auto& entry : fs::recursive_directory_iterator(Path("Out"))) {
                    if (entry.is_directory()) continue;
                    if (entry.path().filename() != "m.emlx") return 4;
                    ++found;
                }
                if (found != c.converted) return 5;
                // Every handle the run took is given back once its folders go.
                MainWindowTestAccess::SourceFolder(*window_) = nullptr;
                MainWindowTestAccess::TargetFolder(*window_) = nullptr;
                return fw::HandlesHeld() == heldBefore ? 0 : 6;
            },
            [&] {
                if (!std::freopen(reasons.c_str(), "w", stderr)) return 101;
                return LimitHandlesTo(fw::kHandlesKeptFree + 120);
            });
        const std::string told = Read("reasons.txt");
        EXPECT_EQ(result, 0) << told;
        // Each level or file that could not be opened, with its place and reason.
        std::istringstream lines(told);
        size_t reported = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("Quelmar: ", 0) != 0) continue;
            ++reported;
            EXPECT_NE(line.find(Path("").string()), std::string::npos) << line;
            EXPECT_NE(line.find("/d/d/d/"), std::string::npos) << line;
            EXPECT_NE(line.find(std::string(": ") + std::strerror(EMFILE)), std::string::npos) << line;
        }
        EXPECT_EQ(reported, c.alerts.size());
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out"));
    }
}
