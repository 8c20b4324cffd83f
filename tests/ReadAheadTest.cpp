// Reading ahead changes nothing the user can tell: the same tree converted
// by the main thread alone and with workers reading ahead gives the same
// outputs, byte for byte, made in the same order, with the same progress
// after every entry and the same alerts.
#include "BatchTreeFixture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "AsUnprivilegedUser.h"
#include "StandardError.h"
#include "engine/ReadAhead.h"
#include "framework/Exceptions.h"
#include "framework/FolderHandle.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class ReadAhead : public BatchTreeFixture {
protected:
    void HideForChild() {
        window_->Widget()->hide();  // painting needs threads that a forked child does not have
        QCoreApplication::processEvents();
    }
};

TEST_F(ReadAhead, GivesWhatOneThreadGivesInEveryLayout) {
    // More files than the workers may be ahead, broken up by folders, with
    // what the walk handles each in its own way among them.
    for (int i = 0; i < 80; ++i) Write("Inbox/m" + std::to_string(100 + i) + ".eml", Message(std::to_string(i)));
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/a.txt", Message("a text"));  // the same output name
    Write("Inbox/c.oml", Message("c"));
    Write("Inbox/.hidden.eml", Message("hidden"));
    Write("Inbox/empty.eml", "");
    Write("Inbox/mac.eml", "From: old@mac\rSubject: cr\r\rbody\r");
    std::string big = Message("big");
    while (big.size() <= ReadAheadRun::kLargestAhead) big += "a line of the body of a large message\r\n";
    Write("Inbox/n-big.eml", big);  // left to the main thread
    fs::create_symlink(Path("Inbox/a.eml"), Path("Inbox/n-link.eml"));
    fs::create_symlink(Path("Inbox/missing.eml"), Path("Inbox/n-dangling.eml"));
    ASSERT_EQ(::mkfifo(Path("Inbox/n-pipe.eml").c_str(), 0600), 0);
    for (int i = 0; i < 40; ++i) Write("Inbox/Sub/s" + std::to_string(10 + i) + ".eml", Message("s" + std::to_string(i)));
    Write("Inbox/Sub/Deeper/d.eml", Message("d"));
    Write("Inbox/z.eml", Message("z"));
    for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const Seen oneThread = RunSeen("Inbox", layout, 0);
        ASSERT_EQ(oneThread.alerts, std::vector<std::string>(2, "application error in p_ConvertFile"));
        EXPECT_EQ(oneThread.takenAhead, 0);
        for (const int32_t workers : {3, 1}) {
            const Seen readAhead = RunSeen("Inbox", layout, workers);
            ExpectSameRun(oneThread, readAhead);
            EXPECT_GT(readAhead.takenAhead, 0) << workers << " workers did nothing";
        }
    }
}

TEST_F(ReadAhead, AKilledRunLeavesAtMostOneHiddenFileWhereFilesCannotGoWithoutAName) {
    // Where every output is made under a hidden name, as on macOS, a crash
    // leaves what is under one for good: no more than one thread leaves.
    const std::string body(20000, 'b');
    for (int i = 0; i < 600; ++i) Write("Inbox/m" + std::to_string(1000 + i) + ".eml", Message(std::to_string(i)) + body);
    window_->Widget()->hide();  // painting needs threads that a forked child does not have
    QCoreApplication::processEvents();
    const pid_t child = ::fork();
    if (child == 0) {
        // Naming a file without a name fails once: from then on files get hidden names.
        fw::SetUnnamedFileNaming([](int, int, const char*) {
            errno = ENOENT;
            return false;
        });
        fw::SetWorkerThreads(3);
        // A slow disk: the run is surely under way when it is killed.
        onCreate_ = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); };
        Run("Inbox", Layout::Mirror);
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    // Watched while it runs, and killed halfway.
    const auto count = [&](size_t& hidden, size_t& outputs) {
        hidden = outputs = 0;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(Path("Out/Inbox_conv"), error)) {
            const std::string name = entry.path().filename().string();
            (name[0] == '.' ? hidden : outputs) += 1;
        }
    };
    size_t mostHidden = 0, hidden = 0, outputs = 0;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        count(hidden, outputs);
        mostHidden = std::max(mostHidden, hidden);
        if (outputs >= 300) {
            ::kill(child, SIGKILL);
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            break;
        }
    }
    EXPECT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
    count(hidden, outputs);
    EXPECT_LE(hidden, 1u);
    EXPECT_LE(mostHidden, 1u);
}

namespace {
// Whether what `fail` raises is a failure for want of what is held ahead.
bool ForWantOfWhatIsHeld(const std::function<void()>& fail) {
    try {
        fail();
    } catch (...) {
        return FailedForWantOfWhatIsHeld();
    }
    ADD_FAILURE() << "nothing failed";
    return false;
}

// The system's error number of what `fail` raises, or -1.
int ErrorNumberRaised(const std::function<void()>& fail) {
    try {
        fail();
    } catch (const fw::IOException& e) {
        return e.ErrorNumber();
    } catch (...) {
    }
    return -1;
}
}  // namespace

TEST(ReadAheadFailure, OnlyAShortageOfHandlesRoomOrMemoryIsForWantOfWhatIsHeld) {
    const struct {
        const char* what;
        std::function<void()> fail;
        bool held;
    } cases[] = {
        {"no handle left", [] { throw fw::IOException("", EMFILE); }, true},
        {"no handle left in the system", [] { throw fw::IOException("", ENFILE); }, true},
        {"no room", [] { throw fw::IOException("", ENOSPC); }, true},
        {"no room within the quota", [] { throw fw::IOException("", EDQUOT); }, true},
        {"larger than a file may be", [] { throw fw::IOException("", EFBIG); }, true},
        {"no memory for the system", [] { throw fw::IOException("", ENOMEM); }, true},
        {"no memory", [] { throw std::bad_alloc(); }, true},
        {"gone", [] { throw fw::IOException("", ENOENT); }, false},
        {"not allowed", [] { throw fw::IOException("", EACCES); }, false},
        {"a link loop", [] { throw fw::IOException("", ELOOP); }, false},
        {"too long a name", [] { throw fw::IOException("", ENAMETOOLONG); }, false},
        {"no reason from the system", [] { throw fw::IOException("the output is its own source"); }, false},
        {"not a file failure", [] { throw fw::NilObjectException(); }, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ForWantOfWhatIsHeld(c.fail), c.held) << c.what;
}

TEST(ReadAheadFailure, TheLayerRaisesWithTheSystemsErrorNumber) {
    const fs::path folder = fs::temp_directory_path() / ("quelmar-errno-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto trailer = [](const fw::String&) { return fw::String(); };
    EXPECT_EQ(ErrorNumberRaised([&] { ReadEmlxDraft(*fw::FolderItemFromPath(folder / "gone.eml"), trailer); }), ENOENT);
    // Past the file size limit, in a child whose limit it is.
    std::ofstream(folder / "m.eml") << std::string(40000, 'm');
    const int raised = RunInChild(
        [&] {
            EmlxDraft draft = ReadEmlxDraft(*fw::FolderItemFromPath(folder / "m.eml"), trailer);
            return ErrorNumberRaised([&] {
                WriteEmlxFile(fw::FolderItemFromPath(folder / "m.emlx"), *fw::FolderItemFromPath(folder / "m.eml"), draft);
            });
        },
        [] {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit = {16384, 16384};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : 100;
        });
    EXPECT_EQ(raised, EFBIG);
    fs::remove_all(folder);
}

TEST_F(ReadAhead, FilesThatFailOnTheirOwnAreAlertedAsOneThreadAlertsThemAndNothingDoneAheadIsDoneAgain) {
    // Broken links, a link loop, a link whose target's name is too long and
    // a file the user may not read, among messages of one folder.
    for (int i = 0; i < 40; ++i) Write("Inbox/m" + std::to_string(100 + i) + ".eml", Message(std::to_string(i)));
    fs::create_symlink(Path("Inbox/gone.eml"), Path("Inbox/m104-gone.eml"));
    fs::create_symlink("m109-loop.eml", Path("Inbox/m109-loop.eml"));
    fs::create_symlink(Path(std::string(300, 'n')), Path("Inbox/m114-long.eml"));
    Write("Inbox/m119-locked.eml", Message("locked"));
    fs::permissions(Path("Inbox/m119-locked.eml"), fs::perms::none);
    fs::create_symlink(Path("Inbox/gone2.eml"), Path("Inbox/m124-gone.eml"));
    fs::permissions(Path("Out"), fs::perms::all);

    // The entries the workers take up, as often as they take each up. Each
    // output waits until they have got two entries past it, so that what
    // follows a failing file has been done ahead by the time the main thread
    // comes to the failure.
    std::mutex mutex;
    std::condition_variable changed;
    std::map<int32_t, int> takenUp;
    probe_.beforeWork = [&](int32_t index) {
        std::lock_guard<std::mutex> lock(mutex);
        ++takenUp[index];
        changed.notify_all();
    };
    Strings listing;
    for (const auto& entry : fs::directory_iterator(Path("Inbox"))) listing.push_back(entry.path().filename().string());
    std::sort(listing.begin(), listing.end());
    const auto count = static_cast<int32_t>(listing.size());
    const auto waitForTheWorkers = [&](const std::string& made) {
        const std::string name = fs::path(made).filename().string();
        if (fs::path(name).extension() != ".emlx") return;
        const auto at = std::find(listing.begin(), listing.end(), fs::path(name).stem().string() + ".eml");
        const int32_t past = std::min<int32_t>(static_cast<int32_t>(at - listing.begin()) + 3, count);
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(2), [&] { return takenUp.count(past) > 0; });
    };

    HideForChild();
    const int result = RunAsNobody([&] {
        for (Layout layout : {Layout::Mirror, Layout::Mailbox, Layout::MailStructure}) {
            Seen oneThread, readAhead;
            const Strings alone = ProgramLinesOnStderr([&] { oneThread = RunSeen("Inbox", layout, 0); });
            takenUp.clear();
            onCreate_ = waitForTheWorkers;
            const Strings ahead = ProgramLinesOnStderr([&] { readAhead = RunSeen("Inbox", layout, 3); });
            onCreate_ = nullptr;
            const auto fail = [&](int code, const char* what) {
                std::fprintf(stderr, "layout %d: %s\n", static_cast<int>(layout), what);
                return code;
            };
            if (oneThread.alerts != Strings(5, "application error in p_ConvertFile") || alone.size() != 5)
                return fail(1, "one thread does not alert each failing file once");
            if (readAhead.made != oneThread.made || readAhead.files != oneThread.files) return fail(2, "other outputs");
            if (readAhead.progress != oneThread.progress) return fail(3, "other progress");
            if (readAhead.alerts != oneThread.alerts || ahead != alone) return fail(4, "other alerts or reasons");
            if (readAhead.takenAhead == 0) return fail(5, "the workers did nothing");
            for (const auto& entry : takenUp)
                if (entry.second != 1) return fail(6, "an entry done ahead was done again after a failure");
        }
        return 0;
    });
    EXPECT_EQ(result, 0) << "what differs is on standard error";
}

TEST_F(ReadAhead, AFailureForWantOfRoomStopsTheWorkersAndNoTurnWaitsForAnEntryPastIt) {
    for (int i = 0; i < 10; ++i) Write("Inbox/m" + std::to_string(i) + ".eml", Message(std::to_string(i)));
    fs::create_directories(Path("Out/Inbox"));
    // Entry 1 fails for want of room while the two other workers are at
    // entries 2 and 3, which go on once the turns have been taken. All of it
    // is left behind, on purpose, should a turn wait for good.
    struct Scene {
        fw::Ref<fw::FolderItem> folder, destination;
        std::mutex mutex;
        std::condition_variable changed;
        std::set<int32_t> begun;
        bool turnsTaken = false, over = false;
        int inProbe = 0, outcome = 0;
        std::optional<ReadAheadWorker> worker;
    };
    auto* scene = new Scene;
    scene->folder = fw::FolderItemFromPath(Path("Inbox"));
    const int32_t count = scene->folder->Count();
    scene->destination = fw::FolderItemFromPath(Path("Out/Inbox"));
    probe_.beforeWork = [scene](int32_t index) {
        std::unique_lock<std::mutex> lock(scene->mutex);
        ++scene->inProbe;
        struct Leave {
            Scene* scene;
            ~Leave() {
                --scene->inProbe;
                scene->changed.notify_all();
            }
        } leave{scene};
        scene->begun.insert(index);
        scene->changed.notify_all();
        if (index == 1) {
            scene->changed.wait(lock, [&] { return scene->begun.count(2) && scene->begun.count(3); });
            throw fw::IOException("no room", ENOSPC);
        }
        if (index <= 3) scene->changed.wait(lock, [&] { return scene->turnsTaken; });
    };
    scene->worker.emplace(3);
    // The turns, on a thread of their own that the test does not wait for beyond a deadline.
    std::thread turns([scene, count] {
        int outcome = 0;
        {
            ReadAheadRun run(*scene->worker, *scene->folder, *scene->destination, 1, count);
            if (!run.Take(1, *scene->folder->Item(1)).workerFailed) outcome = 1;
            // No worker takes up an entry past the failure: its turn is the main thread's at once.
            const AheadTurn past = run.Take(5, *scene->folder->Item(5));
            if (past.workerFailed || !past.work.Empty()) outcome = 2;
            std::lock_guard<std::mutex> lock(scene->mutex);
            scene->turnsTaken = true;
            scene->changed.notify_all();
        }
        std::lock_guard<std::mutex> lock(scene->mutex);
        if (!outcome && scene->begun != std::set<int32_t>{1, 2, 3}) outcome = 3;
        scene->outcome = outcome;
        scene->over = true;
        scene->changed.notify_all();
    });
    std::unique_lock<std::mutex> lock(scene->mutex);
    if (!scene->changed.wait_for(lock, std::chrono::seconds(10), [&] { return scene->over; })) {
        // The workers leave the probe before it goes; the turn stays stuck.
        scene->turnsTaken = true;
        scene->changed.notify_all();
        scene->changed.wait_for(lock, std::chrono::seconds(10), [&] { return scene->inProbe == 0; });
        SetReadAheadProbe(nullptr);
        turns.detach();
        FAIL() << "the turn past the failure waited for good";
    }
    lock.unlock();
    turns.join();
    EXPECT_EQ(scene->outcome, 0) << "1: the failure was not handed over; 2: work past the failure; 3: the workers "
                                    "went on after the failure";
    delete scene;
}
