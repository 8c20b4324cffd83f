#pragma once
// The program as a user meets it: the application object, the main window,
// scripted choosers and alerts, every warning dialog answered, and a scratch
// folder on disk.
#include "UserInput.h"  // first: it decides how QTest delivers clicks

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "windows/MainWindow.h"

// Drops every paint of this process from now on. A forked child must not
// paint: Qt draws with helper threads that the child does not have.
inline void StopPainting() {
    struct NoPainting : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            return e->type() == QEvent::Paint || e->type() == QEvent::UpdateRequest;
        }
    };
    qApp->installEventFilter(new NoPainting());
}

// Where the tests leave what a person should look at: build/test-output.
inline QString TestOutputFolder() {
    const QString folder = QCoreApplication::applicationDirPath() + "/../test-output";
    QDir().mkpath(folder);
    return folder;
}

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::filesystem::temp_directory_path() /
                ("quelmar-program-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
        fw::RuntimeRegisterAppObject(fw::New<fw::Application>());
        fw::CloseOpenWindows();
        window_ = GetMainWindowInstance();
    }

    void TearDown() override {
        fw::SetCreationObserver(nullptr);
        fw::SetBackgroundTaskObserver(nullptr);
        window_.Release();
        // The test's run ends as the program's does: the windows closed, the
        // application object gone, and no quit, exit code or failure left over
        // (the handlers run without the event loop, where an exception that
        // escapes one marks the run failed, as at start-up).
        fw::RuntimeExit();
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_, ec))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }

    std::filesystem::path Path(const std::string& relative) const { return root_ / relative; }
    fw::Ref<fw::FolderItem> Item(const std::string& relative) const { return fw::FolderItemFromPath(Path(relative)); }
    void Write(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories(Path(relative).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    void Click(const fw::Ref<fw::RectControl>& control) { ::Click(*window_, control); }

    static std::string Message(const std::string& subject) {
        return "From: a@example.com\r\nTo: b@example.com\r\nSubject: " + subject +
               "\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nBody of " + subject + "\r\n";
    }

    std::filesystem::path root_;
    ScopedDialogs dialogs_;
    WarningAnswerer answers_;
    fw::Ref<MainWindow> window_;
};
