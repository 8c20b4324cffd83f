// Outputs where the space runs out: each is whole or absent, and a rerun that
// fails leaves the earlier output as it was. A small file system of its own
// when the test may mount one; a file size limit always.
#include "BatchTreeFixture.h"

#include <chrono>
#include <csignal>
#include <map>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <thread>

#include "AsUnprivilegedUser.h"
#include "EmlxReader.h"
#include "framework/FileCalls.h"

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class FullDisk : public BatchTreeFixture {
protected:
    void TearDown() override {
        if (mounted_) ::umount2(Path("Small").c_str(), MNT_DETACH);
        BatchTreeFixture::TearDown();
    }

    // A file system of that size (256 KB) at Small, in place of the one
    // there; false when this process may not mount one.
    bool MountSmall(const std::string& size = "256k") {
        if (mounted_) ::umount2(Path("Small").c_str(), MNT_DETACH);
        fs::create_directories(Path("Small"));
        mounted_ = ::mount("tmpfs", Path("Small").c_str(), "tmpfs", 0, ("size=" + size + ",mode=0755").c_str()) == 0;
        return mounted_;
    }

    // Fills what space is left with a file of its own.
    void Fill(const std::string& folder) {
        std::ofstream filler(Path(folder + "/filler"), std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) filler.flush();
    }

    static std::string Sized(const std::string& subject, size_t bytes) {
        std::string message = Message(subject);
        while (message.size() < bytes) message += "a line of the body, with its end\r\n";
        return message;
    }

    // The message part Mail reads from the output of this source.
    static std::string MessagePart(std::string source) {
        std::string part;
        for (size_t i = 0; i < source.size(); ++i)
            if (source[i] != '\r') part += source[i];
        return part;
    }

    // What is wrong with the folder's entries: a hidden one left, or an
    // output that does not hold its whole message. Empty when nothing is.
    std::string Check(const std::string& folder, const std::string& sourceFolder) const {
        std::string wrong;
        for (const auto& entry : fs::directory_iterator(Path(folder))) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.') wrong += name + " left behind; ";
            if (entry.path().extension() != ".emlx") continue;
            const EmlxFile file = ReadEmlx(entry.path());
            if (!file.error.empty()) wrong += name + ": " + file.error + "; ";
            else if (file.message != MessagePart(Read(sourceFolder + "/" + entry.path().stem().string() + ".eml")))
                wrong += name + " does not hold its message; ";
        }
        return wrong;
    }

    std::map<std::string, std::string> Contents(const std::string& folder) const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Path(folder))) files[entry.path().string()] = ReadFileBytes(entry.path());
        return files;
    }

    size_t Outputs(const std::string& folder) const {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(Path(folder))) n += entry.path().extension() == ".emlx";
        return n;
    }

    bool mounted_ = false;
};

TEST_F(FullDisk, ABatchLeavesNoEmptyOrTruncatedOutputAndAFailedRerunKeepsTheEarlierOnes) {
    if (!MountSmall()) GTEST_SKIP() << "no file system may be mounted here; the file size limit test shows the same";
    for (int i = 0; i < 40; ++i) Write("Inbox/m" + std::to_string(10 + i) + ".eml", Sized(std::to_string(i), 12000));
    Run("Inbox", Layout::Mirror, "Small");
    const size_t written = Outputs("Small/Inbox_conv");
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 40u);
    EXPECT_EQ(dialogs_->Prompts(), Strings(40 - written, "application error in p_ConvertFile"));
    EXPECT_EQ(Progress(), static_cast<int32_t>(written));
    EXPECT_EQ(Check("Small/Inbox_conv", "Inbox"), "");

    // The rerun fails for every file; what the first run wrote stays whole.
    const auto before = Contents("Small/Inbox_conv");
    Fill("Small");
    dialogs_->alerts.clear();
    window_->StatusBar()->SetValue(0);
    Run("Inbox", Layout::Mirror, "Small");
    EXPECT_EQ(dialogs_->Prompts(), Strings(40, "application error in p_ConvertFile"));
    EXPECT_EQ(Contents("Small/Inbox_conv"), before);
}

TEST_F(FullDisk, ReadingAheadWritesWhatOneThreadWritesWhenTheSpaceRunsOut) {
    // Files read ahead hold space until their turn: they must not take it
    // from a file one thread would have written.
    const struct {
        const char* what;
        const char* size;
        size_t first;  // the size of the first file; 40 of 200 KB follow
    } cases[] = {
        {"a large file first, done by the main thread", "10m", 6u << 20},
        {"small files only, the workers' writes fail", "3m", 200u << 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!MountSmall(c.size)) GTEST_SKIP() << "no file system may be mounted here";
        deep_tree::RemoveTree(Path("Inbox"));
        Write("Inbox/f00.eml", Sized("first", c.first));
        for (int i = 1; i <= 40; ++i) Write("Inbox/f" + std::to_string(10 + i) + ".eml", Sized(std::to_string(i), 200u << 10));
        const Seen oneThread = RunSeen("Inbox", Layout::Mirror, 0, "Small");
        ASSERT_FALSE(oneThread.alerts.empty());  // the space did run out
        ASSERT_EQ(oneThread.files.count("Inbox_conv/f00.emlx"), 1u);
        const Seen readAhead = RunSeen("Inbox", Layout::Mirror, 3, "Small");
        EXPECT_EQ(oneThread.made, readAhead.made);
        EXPECT_EQ(oneThread.progress, readAhead.progress);
        EXPECT_EQ(oneThread.alerts, readAhead.alerts);
        EXPECT_TRUE(oneThread.files == readAhead.files);  // not printed: megabytes
        EXPECT_EQ(Check("Small/Inbox_conv", "Inbox"), "");
    }
}

TEST_F(FullDisk, WhatTheWorkersHoldIsDroppedBeforeAFileTheyFailedForWantOfRoomIsDoneAgain) {
#ifndef QUELMAR_UNNAMED_FILES
    GTEST_SKIP() << "where files cannot go without a name, the workers hold no room on the disk";
#endif
    if (!MountSmall("1m")) GTEST_SKIP() << "no file system may be mounted here";
    // The second file takes five times the room of each other one; one
    // thread writes it and four more.
    constexpr size_t kSize = 100u << 10;
    Write("Inbox/f10.eml", Sized("first", kSize));
    Write("Inbox/f11.eml", Sized("large", 5 * kSize));
    for (int i = 2; i < 40; ++i) Write("Inbox/f" + std::to_string(10 + i) + ".eml", Sized(std::to_string(i), kSize));
    const Seen oneThread = RunSeen("Inbox", Layout::Mirror, 0, "Small");
    ASSERT_FALSE(oneThread.alerts.empty());
    ASSERT_EQ(oneThread.files.count("Inbox_conv/f11.emlx"), 1u);
    // The second file is done ahead only once the files after it have filled
    // the disk (less than two of them fit in what is left, and what the
    // others may still give back is less than the second file needs): it
    // fails for want of the room they hold, which is the second file's once
    // what they hold is dropped.
    bool filled = false;
    probe_.beforeWork = [&](int32_t index) {
        if (index != 2) return;
        for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             !filled && std::chrono::steady_clock::now() < until;) {
            struct statvfs room;
            filled = ::statvfs(Path("Small").c_str(), &room) == 0 && room.f_bavail * room.f_frsize < 2 * kSize;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    const Seen readAhead = RunSeen("Inbox", Layout::Mirror, 3, "Small");
    ASSERT_TRUE(filled) << "the workers did not fill the disk";
    EXPECT_EQ(oneThread.made, readAhead.made);
    EXPECT_EQ(oneThread.progress, readAhead.progress);
    EXPECT_EQ(oneThread.alerts, readAhead.alerts);
    EXPECT_TRUE(oneThread.files == readAhead.files);  // not printed: megabytes
}

TEST_F(FullDisk, TheSingleConversionLeavesNoTruncatedOutputAndKeepsTheEarlierOne) {
    if (!MountSmall()) GTEST_SKIP() << "no file system may be mounted here; the file size limit test shows the same";
    const std::string first = Sized("first", 20000);
    Write("Small/m.eml", first);
    window_->SourceFile = fw::FolderItemFromPath(Path("Small/m.eml"));
    ASSERT_TRUE(MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile));
    const std::string earlier = Read("Small/m.emlx");
    Fill("Small");
    Write("Small/m.eml", Sized("second", 20000));  // the same size: it fits where the first was
    EXPECT_TRUE(MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile).IsNil());
    EXPECT_EQ(dialogs_->Prompts(), Strings{"application error in p_ConvertSingleFile"});
    EXPECT_EQ(Read("Small/m.emlx"), earlier);
    EXPECT_EQ(ReadEmlx(Path("Small/m.emlx")).message, MessagePart(first));
    fs::remove(Path("Small/m.emlx"));
    fs::remove(Path("Small/filler"));
    Fill("Small");
    EXPECT_TRUE(MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile).IsNil());
    EXPECT_FALSE(fs::exists(Path("Small/m.emlx")));
    EXPECT_EQ(Check("Small", "Small"), "");
}

TEST_F(FullDisk, AFileSizeLimitGivesTheSameWholeOrAbsentOutputs) {
    Write("Inbox/big.eml", Sized("big", 40000));
    Write("Inbox/small.eml", Sized("small", 2000));
    Write("Inbox/wide.eml", Sized("wide", 40000));
    Write("Single/big.eml", Sized("single", 40000));
    window_->SourceFile = fw::FolderItemFromPath(Path("Single/big.eml"));
    ASSERT_TRUE(MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile));
    const std::string earlier = Read("Single/big.emlx");
    Write("Single/big.eml", Sized("single again", 40000));

    window_->Widget()->hide();  // painting needs threads that a forked child does not have
    QCoreApplication::processEvents();
    const int result = RunInChild(
        [&] {
            Run("Inbox", Layout::Mirror);
            if (dialogs_->Prompts() != Strings(2, "application error in p_ConvertFile")) return 1;
            if (Outputs("Out/Inbox_conv") != 1 || !Check("Out/Inbox_conv", "Inbox").empty()) return 2;
            if (MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile)) return 3;
            if (Read("Single/big.emlx") != earlier) return 4;
            return 0;
        },
        [] {
            std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
            const struct rlimit limit = {16384, 16384};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : 100;
        });
    EXPECT_EQ(result, 0);
    for (const auto& entry : fs::directory_iterator(Path("Single")))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}
