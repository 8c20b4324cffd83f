// Reading ahead changes nothing the user can tell: the same tree converted
// by the main thread alone and with workers reading ahead gives the same
// outputs, byte for byte, made in the same order, with the same progress
// after every entry and the same alerts.
#include "BatchTreeFixture.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "engine/ReadAhead.h"
#include "framework/FolderHandle.h"

namespace fs = std::filesystem;

class ReadAhead : public BatchTreeFixture {};

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
