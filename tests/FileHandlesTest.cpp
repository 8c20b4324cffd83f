// Batch runs where file handles run short: the limit of open files raised as
// far as the system allows, reading ahead that gives what one thread gives
// however few handles are left, and a tree deeper than the handles allow,
// whose levels that cannot be opened are alerted while the toolkit keeps
// the handles it needs. Each lowered limit is a forked child's own.
#include "BatchTreeFixture.h"

#include <dirent.h>
#include <glib.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>
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
    // Handles left to the run beyond those the toolkit keeps: one thread needs a few.
    for (const rlim_t left : {10, 16, 24}) {
        for (Layout layout : {Layout::Mirror, Layout::Mailbox}) {
            SCOPED_TRACE(std::to_string(left) + " handles, layout " + std::to_string(static_cast<int>(layout)));
            const int result = RunInChild(
                [&] {
                    const Seen oneThread = RunSeen("Inbox", layout, 0);
                    size_t outputs = 0;
                    for (const auto& file : oneThread.files) outputs += fs::path(file.first).extension() == ".emlx";
                    if (outputs != 66 || !oneThread.alerts.empty()) return 1;
                    for (int run = 0; run < 3; ++run) {
                        const Seen readAhead = RunSeen("Inbox", layout, 3);
                        if (readAhead.alerts != oneThread.alerts) return 2;
                        if (readAhead.made != oneThread.made || readAhead.progress != oneThread.progress) return 3;
                        if (readAhead.files != oneThread.files) return 4;
                    }
                    return 0;
                },
                [&] { return LimitHandlesTo(fw::kHandlesKeptFree + left); });
            EXPECT_EQ(result, 0);
        }
    }
}

// What the toolkit holds may not change with the load of the machine: near
// the limit, a run with workers (which keep the machine busy) would find
// fewer handles than one without, and give another result.
TEST_F(FileHandles, TheToolkitHoldsAsManyHandlesWhileItPaintsOnABusyMachine) {
    const rlim_t before = OpenHandles();
    window_->Widget()->show();
    const auto paint = [&](int times) {
        for (int i = 0; i < times; ++i) {
            window_->StatusText()->SetText(std::to_string(i));
            window_->Widget()->repaint();
            QCoreApplication::processEvents();
        }
    };
    std::atomic<bool> busy{true};
    std::vector<std::thread> load;
    for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
        load.emplace_back([&] { while (busy.load()) {} });
    paint(300);
    busy = false;
    for (std::thread& thread : load) thread.join();
    EXPECT_EQ(OpenHandles(), before);
}

TEST_F(FileHandles, ATreeDeeperThanTheHandlesAllowConvertsWhatItCanAndAlertsTheRest) {
    constexpr int kDepth = 150;
    {
        std::string path = "Inbox";
        for (int i = 1; i <= kDepth; ++i) {
            path += "/d";
            Write(path + "/m.eml", Message("level " + std::to_string(i)));
        }
    }
    const std::string reasons = Path("reasons.txt").string();
    for (Layout layout : {Layout::Mirror, Layout::MailStructure}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const int result = RunInChild(
            [&] {
                // Where the run holds the most handles, the toolkit can still
                // have its own: an event loop of its own for a new thread.
                bool toolkitLives = true;
                dialogs_->onAlert = [&](const RecordedAlert&) {
                    toolkitLives = toolkitLives && FreeHandles() >= fw::kHandlesKeptFree;
                    g_main_context_unref(g_main_context_new());  // ends the process when it gets no handle
                };
                Run("Inbox", layout);
                if (!toolkitLives) return 1;
                // The count's level, the walk's level, and the file beside the
                // walk's level that then finds no handle either.
                const Strings alerts = dialogs_->Prompts();
                if (alerts.size() < 2 || alerts.size() > 3) return 2;
                if (alerts[0] != "Exception p_CountItems" || alerts[1] != "Exception p_RenameItems") return 2;
                if (alerts.size() == 3 && alerts[2] != "application error in p_ConvertFile") return 2;
                // The levels from the top down, as far as the handles go.
                const int converted = Progress();
                if (converted < 10 || converted >= ItemCount() || ItemCount() >= kDepth) return 3;
                // Nothing else: no hidden file of an output that found no handle.
                int found = 0;
                for (const auto& entry : fs::recursive_directory_iterator(Path("Out"))) {
                    if (entry.is_directory()) continue;
                    if (entry.path().filename() != "m.emlx") return 5;
                    ++found;
                }
                return found == converted ? 0 : 4;
            },
            [&] {
                if (!std::freopen(reasons.c_str(), "w", stderr)) return 101;
                return LimitHandlesTo(fw::kHandlesKeptFree + 120);
            });
        // Each level or file that could not be opened, with its place and reason.
        const std::string told = Read("reasons.txt");
        EXPECT_EQ(result, 0) << told;
        std::istringstream lines(told);
        int reported = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("Quelmar: ", 0) != 0) continue;
            ++reported;
            EXPECT_NE(line.find(Path("").string()), std::string::npos) << line;
            EXPECT_NE(line.find("/d/d/d/"), std::string::npos) << line;
            EXPECT_NE(line.find(std::string(": ") + std::strerror(EMFILE)), std::string::npos) << line;
        }
        EXPECT_GE(reported, 2);
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out"));
    }
}
