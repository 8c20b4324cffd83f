#pragma once
// A scratch folder, a real main window and scripted alerts, for the tests of
// the ".emlx" writers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

#include "EmlxReader.h"
#include "MainWindowAccess.h"
#include "ScriptedDialogs.h"
#include "framework/FolderItem.h"

class EmlxFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("quelmar-emlx-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        window_ = GetMainWindowInstance();
    }

    void TearDown() override {
        if (window_) window_->Close();
        window_.Release();
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root_, ec);
    }

    std::filesystem::path Path(const std::string& relative) const { return root_ / relative; }
    fw::Ref<fw::FolderItem> Item(const std::string& relative) const { return fw::FolderItemFromPath(Path(relative)); }

    void Write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::create_directories(Path(relative).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& relative) const { return ReadFileBytes(Path(relative)); }

    // Converts the file as "Convert" does: the window's SourceFile is the source.
    fw::Ref<fw::FolderItem> ConvertSingle(const std::string& relative) {
        window_->SourceFile = Item(relative);
        return MainWindowTestAccess::ConvertSingleFile(*window_, window_->SourceFile);
    }
    void ConvertIntoFolder(const std::string& source, const std::string& folder) {
        MainWindowTestAccess::ConvertFile(*window_, Item(source), Item(folder));
    }

    // The Finder information of a file as the layer keeps it: type at 0, creator at 4.
    static void SetCodes(const std::filesystem::path& path, const std::string& type, const std::string& creator) {
        std::string info(32, '\0');
        info.replace(0, type.size(), type);
        info.replace(4, creator.size(), creator);
        ASSERT_EQ(0, ::setxattr(path.c_str(), "user.com.apple.FinderInfo", info.data(), info.size(), 0));
    }
    static bool HasFinderInfo(const std::filesystem::path& path) {
        return ::getxattr(path.c_str(), "user.com.apple.FinderInfo", nullptr, 0) > 0;
    }

    std::filesystem::path root_;
    ScopedDialogs dialogs_;
    fw::Ref<MainWindow> window_;
};

// The message of a sound ".emlx" file, or a failure naming what Mail would not read.
inline ::testing::AssertionResult ReadsAsEmlx(const EmlxFile& file) {
    if (file.error.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << file.error;
}
