#pragma once
// A source tree and a target folder on disk, a real main window, and a log of
// every entry the run makes, in the order made.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DeepTree.h"
#include "MainWindowAccess.h"
#include "ScriptedDialogs.h"
#include "engine/ReadAhead.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "framework/WorkerThreads.h"

class BatchTreeFixture : public ::testing::Test {
protected:
    enum class Layout { Mirror, Mailbox, MailStructure };

    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("quelmar-batch-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        deep_tree::RemoveTree(root_);
        std::filesystem::create_directories(root_ / "Out");
        window_ = GetMainWindowInstance();
        fw::SetCreationObserver([this](const std::filesystem::path& p) {
            made_.push_back(p.lexically_relative(root_ / "Out").generic_string());
            if (onCreate_) onCreate_(made_.back());
        });
        probe_.takenAhead = [this] { ++takenAhead_; };
        SetReadAheadProbe(&probe_);
    }

    void TearDown() override {
        fw::SetWorkerThreads(std::nullopt);
        fw::SetCreationObserver(nullptr);
        SetReadAheadProbe(nullptr);
        fw::SetBackgroundTaskObserver(nullptr);
        if (window_) window_->Close();
        window_.Release();
        deep_tree::RemoveTree(root_);
    }

    std::filesystem::path Path(const std::string& relative) const { return root_ / relative; }

    void Write(const std::string& relative, const std::string& content) {
        std::filesystem::create_directories(Path(relative).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }

    std::string Read(const std::string& relative) const {
        std::ifstream in(Path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static std::string Message(const std::string& subject) {
        return "From: a@example.com\r\nTo: b@example.com\r\nSubject: " + subject +
               "\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nBody of " + subject + "\r\n";
    }

    // Counts and walks as the "Batch Convert" handler does.
    void Run(const std::string& source, Layout layout, const std::string& target = "Out") {
        fw::Ref<fw::FolderItem> src = fw::FolderItemFromPath(Path(source));
        fw::Ref<fw::FolderItem> dst = fw::FolderItemFromPath(Path(target));
        MainWindow& w = *window_;
        MainWindowTestAccess::SourceFolder(w) = src;
        MainWindowTestAccess::TargetFolder(w) = dst;
        w.StatusBar()->SetValue(0);
        MainWindowTestAccess::ItemCount(w) = 0;
        MainWindowTestAccess::CountItems(w, src);
        w.StatusBar()->SetMaximum(MainWindowTestAccess::ItemCount(w));
        switch (layout) {
        case Layout::Mirror: MainWindowTestAccess::Convert(w, src, dst, true); break;
        case Layout::Mailbox: MainWindowTestAccess::ConvertMBox(w, src, dst, true); break;
        case Layout::MailStructure: MainWindowTestAccess::ConvertMailStructure(w, src, dst, true); break;
        }
    }

    // All of a run that the user can tell: the entries made, in order; every
    // file below the target with its bytes (a link as "-> target"); the
    // progress line after each entry; the alerts.
    struct Seen {
        std::vector<std::string> made;
        std::map<std::string, std::string> files;
        std::vector<std::string> progress;
        std::vector<std::string> alerts;
        int64_t takenAhead = 0;  // files the main thread took as the workers had done them
    };

    // A run with that many workers reading ahead (0: the main thread
    // alone), into the target emptied first.
    Seen RunSeen(const std::string& source, Layout layout, int32_t workers, const std::string& target = "Out") {
        for (const auto& entry : std::filesystem::directory_iterator(Path(target))) std::filesystem::remove_all(entry);
        fw::SetWorkerThreads(workers);
        made_.clear();
        dialogs_->alerts.clear();
        window_->StatusText()->SetText("-");
        Seen seen;
        const int64_t takenBefore = takenAhead_;
        fw::SetBackgroundTaskObserver([&] {
            seen.progress.push_back(std::to_string(Progress()) + " " + window_->StatusText()->Text().ToUTF8());
        });
        Run(source, layout, target);
        fw::SetBackgroundTaskObserver(nullptr);
        seen.made = made_;
        seen.alerts = dialogs_->Prompts();
        seen.takenAhead = takenAhead_ - takenBefore;
        for (auto it = std::filesystem::recursive_directory_iterator(Path(target));
             it != std::filesystem::recursive_directory_iterator(); ++it) {
            const std::string name = std::filesystem::relative(it->path(), Path(target)).generic_string();
            if (it->is_symlink()) seen.files[name] = "-> " + std::filesystem::read_symlink(it->path()).string();
            else if (it->is_regular_file()) seen.files[name] = Read(target + "/" + name);
            else seen.files[name] = "(folder)";
        }
        return seen;
    }

    static void ExpectSameRun(const Seen& oneThread, const Seen& readAhead) {
        EXPECT_EQ(oneThread.made, readAhead.made);
        EXPECT_EQ(oneThread.files, readAhead.files);
        EXPECT_EQ(oneThread.progress, readAhead.progress);
        EXPECT_EQ(oneThread.alerts, readAhead.alerts);
    }

    void Escape(bool down) {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(window_->Widget(), &event);
    }

    int32_t ItemCount() { return MainWindowTestAccess::ItemCount(*window_); }
    int32_t Progress() { return window_->StatusBar()->Value(); }

    std::filesystem::path root_;
    fw::Ref<MainWindow> window_;
    std::vector<std::string> made_;
    std::function<void(const std::string&)> onCreate_;
    // What the workers did: the files the main thread took as they did them,
    // and a test's own way to hold up or fail a worker (beforeWork).
    ReadAheadProbe probe_;
    int64_t takenAhead_ = 0;
    ScopedDialogs dialogs_;
};
