// Messages too large for the memory the process may have: each is alerted
// alone, leaves no output, and what goes to standard error names its file,
// in both writers. Each lowered limit is a forked child's own.
#include "Sanitizers.h"
#include "BatchTreeFixture.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

#include "AsUnprivilegedUser.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

namespace {

constexpr size_t kMB = 1u << 20;

// The address space the process has mapped now.
size_t MappedNow() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) * 1024;
    return 0;
}

// A message of that size that takes no room on disk: NUL bytes, no line end.
void MakeSparse(const fs::path& path, size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, size);
}

}  // namespace

class LowMemory : public BatchTreeFixture {
protected:
    void SetUp() override {
        BatchTreeFixture::SetUp();
        window_->Widget()->hide();  // painting needs threads that a forked child does not have
        QCoreApplication::processEvents();
    }
};

TEST_F(LowMemory, AMessageTooLargeForTheMemoryIsAlertedAndNamedOnStandardError) {
    if (kUnderSanitizer) GTEST_SKIP() << "a sanitizer's allocator ends the process where memory runs out";
    const struct {
        const char* what;
        size_t size;
        size_t room;  // address space the child may map beyond what it has
        bool unread;  // no room to read it: the line says how much it holds
    } cases[] = {
        {"200 MB, no room to read it", 200 * kMB, 100 * kMB, true},
        {"1 GB, no room to read it", 1024 * kMB, 100 * kMB, true},
        {"200 MB, read, with no room for what is made of it", 200 * kMB, 300 * kMB, false},
    };
    Write("Inbox/a.eml", Message("a"));
    Write("Inbox/c.eml", Message("c"));
    const std::string reasons = Path("reasons.txt").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MakeSparse(Path("Inbox/b.eml"), c.size);
        MakeSparse(Path("Single/big.eml"), c.size);
        window_->SourceFile = fw::FolderItemFromPath(Path("Single/big.eml"));
        const int result = RunInChild(
            [&] {
                Run("Inbox", Layout::Mirror);
                if (dialogs_->Prompts() != Strings{"application error in p_ConvertFile"}) return 1;
                Strings outputs;
                for (const auto& entry : fs::directory_iterator(Path("Out/Inbox_conv")))
                    outputs.push_back(entry.path().filename().string());
                std::sort(outputs.begin(), outputs.end());
                if (outputs != Strings{"a.emlx", "c.emlx"}) return 2;  // and no hidden file
                if (MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile)) return 3;
                if (dialogs_->Prompts() != Strings{"application error in p_ConvertFile", "application error in p_ConvertSingleFile"})
                    return 4;
                for (const auto& entry : fs::directory_iterator(Path("Single")))
                    if (entry.path().filename() != "big.eml") return 5;
                return 0;
            },
            [&] {
                if (!std::freopen(reasons.c_str(), "w", stderr)) return 101;
                const rlim_t most = MappedNow() + c.room;
                const struct rlimit limit = {most, most};
                return ::setrlimit(RLIMIT_AS, &limit) == 0 ? 0 : 102;
            });
        const std::string told = Read("reasons.txt");
        EXPECT_EQ(result, 0) << told;
        // One line for each writer, naming the file it could not convert.
        Strings lines;
        std::istringstream in(told);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Quelmar: ", 0) == 0) lines.push_back(line);
        ASSERT_EQ(lines.size(), 2u) << told;
        EXPECT_EQ(lines[0].rfind("Quelmar: application error in p_ConvertFile: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(Path("Inbox/b.eml").string()), std::string::npos) << lines[0];
        EXPECT_EQ(lines[1].rfind("Quelmar: application error in p_ConvertSingleFile: ", 0), 0u) << lines[1];
        EXPECT_NE(lines[1].find(Path("Single/big.eml").string()), std::string::npos) << lines[1];
        if (c.unread) {
            for (const std::string& line : lines)
                EXPECT_NE(line.find(" " + std::to_string(c.size) + " bytes "), std::string::npos) << line;
        }
        deep_tree::RemoveTree(Path("Out"));
        fs::create_directories(Path("Out"));
    }
}

TEST_F(LowMemory, AMessageWhoseTrailerCannotBeMadeIsNamedOnStandardError) {
    if (kUnderSanitizer) GTEST_SKIP() << "a sanitizer's allocator ends the process where memory runs out";
    // A subject of 100 MB: with room to read the message but not to make its
    // trailer, the trailer's own catch-all alerts, and its line names the
    // message; the file is written without its trailer.
    constexpr size_t kSubject = 100 * kMB;
    Write("Single/huge.eml", "Subject: " + std::string(kSubject, 'x') + "\n\nbody\n");
    window_->SourceFile = fw::FolderItemFromPath(Path("Single/huge.eml"));
    const std::string reasons = Path("reasons.txt").string();
    const int result = RunInChild(
        [&] {
            if (!MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile)) return 1;
            if (dialogs_->Prompts() != Strings{"Exception in p_GetPList"}) return 2;
            return 0;
        },
        [&] {
            if (!std::freopen(reasons.c_str(), "w", stderr)) return 101;
            const rlim_t most = MappedNow() + 300 * kMB;
            const struct rlimit limit = {most, most};
            return ::setrlimit(RLIMIT_AS, &limit) == 0 ? 0 : 102;
        });
    const std::string told = Read("reasons.txt");
    EXPECT_EQ(result, 0) << told;
    const std::string line = "Quelmar: Exception in p_GetPList: " + Path("Single/huge.eml").string() + ": ";
    EXPECT_EQ(told.rfind(line, 0), 0u) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_TRUE(fs::exists(Path("Single/huge.emlx")));
}
