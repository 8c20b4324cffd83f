// The whole start-up and shut-down, run in this process: the order of the
// steps, a failed start-up, the application events that reach no code of the
// program, the main window with its menu bar, and the ways to quit.
#include "Sanitizers.h"
#include "UserInput.h"  // first: it decides how QTest delivers clicks

#include <algorithm>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileOpenEvent>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

#include "CallRecorder.h"
#include "ScriptedDialogs.h"
#include "StandardError.h"
#include "StartedProgram.h"
#include "app/App.h"
#include "app/AppMenue.h"
#include "app/DocumentType.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/EventDispatch.h"
#include "framework/Menu.h"
#include "framework/Window.h"
#include "windows/AboutWindow.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

constexpr int32_t kWatchdogExitCode = 99;

// Runs ApplicationMain. `whenOpen` runs in the event loop once "Open" has
// been handled (by default it quits); a watchdog ends a run that hangs.
class StartupRun : public ::testing::Test {
protected:
    int32_t Run(std::function<void()> whenOpen = [] { QuitApplication(0); }) {
        QObject thisRun;  // what is queued for this run goes with it
        recorder_.onCall = [&](const std::string& operation, const std::string& detail) {
            if (operation == "Application.RaiseEvent" && detail == "Open") QTimer::singleShot(0, &thisRun, whenOpen);
            if (operation == "RuntimeRun")
                QTimer::singleShot(10000, &thisRun, [] { QuitApplication(kWatchdogExitCode); });
            if (fail_) fail_(operation, detail);
        };
        const int32_t exitCode = ApplicationMain();
        recorder_.onCall = nullptr;
        return exitCode;
    }

    // Makes the operation with that detail fail.
    void Fail(const std::string& operation, const std::string& detail) {
        fail_ = [operation, detail](const std::string& op, const std::string& d) {
            if (op == operation && d == detail) throw RuntimeException("made to fail: " + operation);
        };
    }

    // Also when a test ends before it takes its own away.
    void TearDown() override { SetHandlerObserver(nullptr); }

    static Ref<MainWindow> OpenMainWindow() {
        Ref<Window> w = RuntimeGetImplicitWindow("MainWindow.MainWindow");
        return w ? DynamicCast<MainWindow>(w) : Ref<MainWindow>();
    }

    ScopedDialogs dialogs_;
    CallRecorder recorder_;
    std::function<void(const std::string&, const std::string&)> fail_;
};

}  // namespace

TEST_F(StartupRun, RunsItsStepsInOrderAndExitsWithTheCodeOfTheQuit) {
    bool shown = false;
    const int32_t exitCode = Run([&] {
        shown = OpenMainWindow() && OpenMainWindow()->Widget()->isVisible();
        QuitApplication(0);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(InOrder(recorder_.calls, {
                                             "RuntimeInit",
                                             "RuntimeSetExceptionHelper",
                                             "RuntimeInitExternalClasses",
                                             "RuntimeLoadPlugin BevelButtonPlugin",
                                             "RuntimeLookupPluginEntrypoint BevelButton",
                                             "RuntimeNewObject FileType",
                                             "RuntimeRegisterFileType text/eml",
                                             "RuntimeNewObject App",
                                             "RuntimeInvoke App.Constructor",
                                             "RuntimeRegisterAppObject App",
                                             "Application._AddMenuHandler AboutMenue",
                                             "Application.MenuBar.Set AppMenue.AppMenue",
                                             "RunFrameworkInitialization",
                                             "RuntimeRun",
                                             "Application.RaiseEvent Open",
                                             "RuntimeNewObject MainWindow.MainWindow",
                                             "Application.RaiseEvent Close",
                                             "RuntimeDestroyObject FileType",
                                             "RuntimeExit",
                                             "RuntimeDestroyObject App",  // and with it the bar it shows
                                             "RuntimeDestroyObject AppMenue.AppMenue",
                                         }));
    EXPECT_EQ(recorder_.Starting("Application.RaiseEvent Open").size(), 1u);
    EXPECT_EQ(DocumentFileType, Nil);
    EXPECT_EQ(getAppObject(), Nil);
    EXPECT_TRUE(OpenWindows().empty());
    EXPECT_TRUE(dialogs_->alerts.empty());
}

// Registers every class and runs the module initialisers: 0 when they come in
// their order, else 1. The steps go to standard error.
int RegisterAndCheckTheOrder() {
    CallRecorder registrations;
    InitializeClassesAndModules();
    std::vector<std::string> steps;
    for (const std::string& call : registrations.calls)
        if (call.rfind("RuntimeNewClass ", 0) == 0 || call.rfind("InitializeModule ", 0) == 0) steps.push_back(call);
    const std::vector<std::string> expected = {
        // The framework's classes, in the framework's order (each after what it builds on).
        "RuntimeNewClass Application", "RuntimeNewClass Window", "RuntimeNewClass Control",
        "RuntimeNewClass RectControl", "RuntimeNewClass Label", "RuntimeNewClass TextField",
        "RuntimeNewClass PushButton", "RuntimeNewClass CheckBox", "RuntimeNewClass ProgressBar",
        "RuntimeNewClass TabPanel", "RuntimeNewClass Timer", "RuntimeNewClass MenuItem",
        "RuntimeNewClass MenuBar", "RuntimeNewClass QuitMenuItem", "RuntimeNewClass FileType",
        // Then the program's own.
        "InitializeModule DocumentTypeModuleInit",
        "InitializeModule App", "RuntimeNewClass App",
        "InitializeModule AboutWindow", "RuntimeNewClass AboutWindow.AboutWindow",
        "InitializeModule AboutWindow._wrapper_CloseTimer", "RuntimeNewClass AboutWindow._wrapper_CloseTimer",
        "InitializeModule MainWindow", "RuntimeNewClass MainWindow.MainWindow",
        "InitializeModule WarnWindow", "RuntimeNewClass WarnWindow.WarnWindow",
        "InitializeModule AppMenue", "RuntimeNewClass AppMenue.AppMenue",
        "InitializeModule AppMenueModuleInit",
    };
    for (const std::string& step : steps) std::fprintf(stderr, "%s\n", step.c_str());
    return steps == expected ? 0 : 1;
}

TEST_F(StartupRun, RegistersTheFrameworksClassesThenTheProgramsInOrder) {
    // Registration runs once per process, so it is watched in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(RegisterAndCheckTheOrder()), ::testing::ExitedWithCode(0), "");
}

TEST_F(StartupRun, AFailureWhileTheDocumentTypeIsMadeEndsTheRunWithoutTheApplication) {
    Fail("RuntimeRegisterFileType", "text/eml");
    ::testing::internal::CaptureStderr();
    const int32_t exitCode = Run();
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(exitCode, 0);
    EXPECT_NE(stderrText.find("made to fail: RuntimeRegisterFileType"), std::string::npos) << stderrText;
    EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"made to fail: RuntimeRegisterFileType"});
    for (const char* skipped : {"RuntimeNewObject App", "Application._AddMenuHandler AboutMenue",
                                "RunFrameworkInitialization", "RuntimeRun"})
        EXPECT_FALSE(recorder_.Saw(skipped)) << skipped;
    EXPECT_TRUE(InOrder(recorder_.calls, {"RuntimeUnhandledException made to fail: RuntimeRegisterFileType",
                                          "RuntimeDestroyObject FileType", "RuntimeExit"}));
    EXPECT_EQ(DocumentFileType, Nil);
    EXPECT_TRUE(OpenWindows().empty());
    (void)TakeEscapedException();
}

TEST_F(StartupRun, AMainWindowThatFailsIsReportedAndWithNoWindowToQuitFromTheRunEndsAsFailed) {
    const struct {
        const char* what;
        const char* operation;
    } failures[] = {
        {"the window cannot be made", "RuntimeNewObject"},
        {"its Open, with the menu bar on it", "Window.Open"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.what);
        dialogs_->alerts.clear();
        recorder_.calls.clear();
        Fail(failure.operation, "MainWindow.MainWindow");
        bool stillRunning = false;
        int32_t exitCode = -1;
        const std::vector<std::string> reasons = ProgramLinesOnStderr([&] {
            exitCode = Run([&] {
                QTimer::singleShot(50, [&] {
                    stillRunning = EventLoopRunning();
                    QuitApplication(0);
                });
            });
        });
        // The alert, with its text as it stands, and the reason beside it.
        EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"Exception in InitApp"});
        EXPECT_EQ(reasons, std::vector<std::string>{"Quelmar: Exception in InitApp: made to fail: " +
                                                    std::string(failure.operation)});
        EXPECT_FALSE(recorder_.Saw("RuntimeUnhandledException made to fail: " + std::string(failure.operation)));
        if (PlatformHasGlobalMenuBar()) {
            // The application goes on, its menu bar still there to quit from.
            EXPECT_TRUE(stillRunning);
            EXPECT_EQ(exitCode, 0);
        } else {
            // Nothing is left to quit from: once the alert is answered, the run ends as failed.
            EXPECT_FALSE(stillRunning);
            EXPECT_NE(exitCode, 0);
            EXPECT_NE(exitCode, kWatchdogExitCode);
        }
    }
}

TEST_F(StartupRun, OpenDocumentAndNewDocumentRunNoCodeOfTheProgram) {
    const std::filesystem::path message =
        std::filesystem::temp_directory_path() / ("quelmar-open-" + std::to_string(::getpid()) + ".eml");
    std::ofstream(message) << "From: a@b\r\n\r\nbody\r\n";
    std::vector<std::string> handlers;
    bool bound = true;
    const int32_t exitCode = Run([&] {
        SetHandlerObserver([&](const std::string& member) {
            // The framework calls into the program through the exception helper, which only wraps.
            if (member != "ExceptionHelperCallback") handlers.push_back(member);
        });
        QFileOpenEvent dropped(QString::fromStdString(message.string()));
        QCoreApplication::sendEvent(QCoreApplication::instance(), &dropped);
        GetAppInstance()->NewDocument();
        bound = GetAppInstance()->RaiseEvent("OpenDocument", {Ref<Object>(FolderItemFromPath(message))}) ||
                GetAppInstance()->RaiseEvent("NewDocument");
        SetHandlerObserver(nullptr);
        QuitApplication(0);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(recorder_.Saw("Application.OpenDocument " + message.string())) << "the file never reached the app";
    EXPECT_TRUE(recorder_.Saw("Application.NewDocument"));
    EXPECT_FALSE(bound);
    EXPECT_TRUE(handlers.empty());
    EXPECT_EQ(recorder_.Starting("RuntimeNewObject MainWindow.MainWindow").size(), 1u) << "a window opened for it";
    EXPECT_FALSE(std::filesystem::exists(message.parent_path() / (message.stem().string() + ".emlx")));
    EXPECT_TRUE(dialogs_->alerts.empty());
    std::filesystem::remove(message);
}

TEST_F(StartupRun, TheMainWindowShowsTheMenuBarAboveItsUncoveredContent) {
    QRect barGeometry, tabsGeometry;
    int widgetHeight = 0, height = 0, actions = 0;
    Run([&] {
        Ref<MainWindow> window = OpenMainWindow();
        auto* bar = window->Widget()->findChild<QMenuBar*>();
        if (bar) {
            barGeometry = bar->geometry();
            actions = int(bar->actions().size());
        }
        widgetHeight = window->Widget()->height();
        height = window->Height();
        tabsGeometry = window->TabPanel1()->Widget()->geometry();
        QuitApplication(0);
    });
    ASSERT_GT(barGeometry.height(), 0);
    EXPECT_EQ(barGeometry.topLeft(), QPoint(0, 0));
    EXPECT_EQ(barGeometry.width(), 448);
    EXPECT_EQ(actions, 2);
    EXPECT_EQ(height, 306);
    EXPECT_EQ(widgetHeight, 306 + barGeometry.height());
    EXPECT_EQ(tabsGeometry.topLeft(), QPoint(10, 5 + barGeometry.height())) << "content under the bar";
}

TEST_F(StartupRun, ClosingTheMainWindowOrChoosingQuitEndsTheRunWithCodeZero) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"the window's close box", [] { OpenMainWindow()->Widget()->close(); }},
        {"the window manager's close request", [] { RequestClose(OpenMainWindow()->Widget()); }},
        {"File > Quit", [] { GetAppMenueInstance()->Child("FileMenu")->Child("FileQuit")->QtAction()->trigger(); }},
    };
    for (const auto& [way, quit] : ways) {
        SCOPED_TRACE(way);
        bool quitAtOnce = false;
        const int32_t exitCode = Run([&, quit = quit] {
            quit();
            quitAtOnce = QuitRequested();
        });
        EXPECT_EQ(exitCode, 0);
        EXPECT_TRUE(quitAtOnce);
    }
}

TEST_F(StartupRun, AnExceptionThatEscapesAHandlerIsShownAndTheApplicationGoesOn) {
    bool stillRunning = false;
    const int32_t exitCode = Run([&] {
        GetAppInstance()->_AddMenuHandler("EditCopy", New<EntryPoint>([](const std::vector<Value>&) -> Value {
                                              throw NilObjectException("the handler failed");
                                          }));
        GetAppMenueInstance()->Child("EditMenu")->Child("EditCopy")->QtAction()->trigger();
        stillRunning = EventLoopRunning() && !QuitRequested();
        QuitApplication(0);
    });
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(exitCode, 0) << "a handler's exception is no failure of the run";
    EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"the handler failed"});
    EXPECT_TRUE(recorder_.Saw("RuntimeUnhandledException the handler failed"));
    (void)TakeEscapedException();
}

namespace {

// A menu item that records when its own action runs: after a menu handler of
// its name that did not claim the choice.
class WatchedMenuItem : public MenuItem {
public:
    bool Action() override {
        aboutOpenAtAction = !RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil();
        ran = true;
        return false;
    }
    bool ran = false;
    bool aboutOpenAtAction = true;
};

bool BarHasItemNamed(const MenuItem& menu, const std::string& name) {
    for (int32_t i = 0; i < menu.Count(); ++i)
        if (menu.Item(i)->Name().ToUTF8() == name || BarHasItemNamed(*menu.Item(i), name)) return true;
    return false;
}

}  // namespace

TEST_F(StartupRun, TheAboutMenuHandlerReturnsFalseOnlyOnceTheAboutWindowHasClosed) {
    Ref<WatchedMenuItem> chosen;
    bool shownModally = false, inBar = true;
    qint64 byItself = 0, byClick = 0;
    Value returned;
    Run([&] {
        inBar = BarHasItemNamed(*GetAppInstance()->MenuBar(), "AboutMenue");
        // Bound to the item name: choosing an item of that name shows the About
        // window modally and comes back when its timer has closed it.
        chosen = New<WatchedMenuItem>();
        chosen->SetName("AboutMenue");
        QTimer::singleShot(500, qApp, [&] {
            Ref<Window> about = RuntimeGetImplicitWindow("AboutWindow.AboutWindow");
            shownModally = about && about->Widget()->isVisible() && QApplication::activeModalWidget() == about->Widget();
        });
        QElapsedTimer clock;
        clock.start();
        GetAppInstance()->MenuItemChosen(*chosen);
        byItself = clock.elapsed();

        // A click closes it at once.
        QTimer::singleShot(200, qApp, [] {
            if (Ref<Window> about = RuntimeGetImplicitWindow("AboutWindow.AboutWindow"))
                QTest::mouseClick(about->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
        });
        clock.restart();
        returned = RuntimeInvoke(*GetAppInstance(), "_AboutMenue_Action");
        byClick = clock.elapsed();
        QuitApplication(0);
    });
    EXPECT_FALSE(inBar) << "no item of the bar is named AboutMenue";
    EXPECT_TRUE(shownModally);
    EXPECT_GE(byItself, 2900);
    EXPECT_LT(byItself, 10000);
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(chosen->ran) << "the handler claimed the choice: it returned True";
    EXPECT_FALSE(chosen->aboutOpenAtAction) << "the handler returned before the About window closed";
    EXPECT_LT(byClick, 2900);
    ASSERT_TRUE(std::holds_alternative<bool>(returned));
    EXPECT_FALSE(std::get<bool>(returned));
    EXPECT_TRUE(RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil());
}

TEST_F(StartupRun, ARunThatAnExceptionEndedExitsWithANonZeroCode) {
    ::testing::internal::CaptureStderr();
    const int32_t exitCode = Run([] { throw RuntimeException("the loop itself failed"); });
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(exitCode, 0);
    EXPECT_FALSE(EventLoopRunning());
    EXPECT_NE(stderrText.find("the loop itself failed"), std::string::npos) << stderrText;
    EXPECT_TRUE(InOrder(recorder_.calls, {"RuntimeUnhandledException the loop itself failed", "RuntimeExit"}));
    (void)TakeEscapedException();
}

TEST_F(StartupRun, TheEntryTableHoldsEveryClassMemberAndPropertyThePlugInsRegister) {
    Run();
    // The start-up's table: the lookups that follow its allocation (the main
    // window looks its picture buttons' class up again later).
    std::vector<std::string> lookups;
    const auto& calls = recorder_.calls;
    auto it = std::find_if(calls.begin(), calls.end(),
                           [](const std::string& c) { return c.rfind("RuntimeAllocatePluginEntrypointsTable", 0) == 0; });
    ASSERT_NE(it, calls.end());
    for (++it; it != calls.end() && it->rfind("RuntimeLookupPluginEntrypoint ", 0) == 0; ++it) lookups.push_back(*it);
    for (const char* name : {"BevelButton", "BevelButton.Caption", "BevelButton.Icon", "BevelButton.CaptionPlacement",
                             "BevelButton.AcceptFocus", "BevelButton.ButtonType"})
        EXPECT_TRUE(recorder_.Saw(std::string("RuntimeLookupPluginEntrypoint ") + name)) << name;
    EXPECT_FALSE(recorder_.Saw("RuntimeLookupPluginEntrypoint BevelButton.Left")) << "RectControl's, not the plug-in's";
    EXPECT_EQ(std::set<std::string>(lookups.begin(), lookups.end()).size(), lookups.size()) << "looked up twice";
    EXPECT_TRUE(recorder_.Saw("RuntimeAllocatePluginEntrypointsTable " + std::to_string(lookups.size())));
}

// Where the system gives no thread, or too little memory for the toolkit's
// threads, the program either comes up or ends at once with a message and a
// non-zero exit: it never hangs without a window and without a word.
TEST(StartingTheProgram, WithoutTheThreadsOrMemoryItNeedsItEndsWithAMessageAndNeverHangs) {
    if (::geteuid() != 0) GTEST_SKIP() << "starting the program as another user under a limit needs root";
    if (kUnderSanitizer) GTEST_SKIP() << "a sanitizer's own memory and threads do not fit under these limits";
    using started_program::Outcome;
    constexpr rlim_t kMB = 1u << 20;
    const struct Case {
        const char* what;
        started_program::Limit limit;
        bool mustComeUp;
    } cases[] = {
        {"nothing lowered", {}, true},
        {"no thread to be had", {RLIMIT_NPROC, 0}, false},
        {"one thread to be had", {RLIMIT_NPROC, 1}, false},
        {"100 MB of address space", {RLIMIT_AS, 100 * kMB}, false},
        {"140 MB of address space", {RLIMIT_AS, 140 * kMB}, false},
        {"200 MB of address space", {RLIMIT_AS, 200 * kMB}, false},
    };
    const started_program::Scratch scratch(std::filesystem::temp_directory_path() /
                                           ("quelmar-startup-" + std::to_string(::getpid())));
    const std::string program = scratch.CopyOf(QUELMAR_EXECUTABLE);
    const std::filesystem::path errors = scratch.path / "errors.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const started_program::Run run = started_program::Start(program, c.limit, errors, std::chrono::seconds(30));
        ASSERT_NE(run.outcome, Outcome::Hung) << run.errors;
        if (c.mustComeUp) {
            EXPECT_EQ(run.outcome, Outcome::CameUp) << run.errors;
        }
        if (run.outcome == Outcome::Ended) {
            ASSERT_TRUE(WIFEXITED(run.status)) << "ended by signal " << WTERMSIG(run.status) << "\n" << run.errors;
            EXPECT_NE(WEXITSTATUS(run.status), 0) << run.errors;
            EXPECT_LT(WEXITSTATUS(run.status), 120) << "the child could not start the program";
            EXPECT_NE(run.errors.find("Quelmar: cannot start: "), std::string::npos) << run.errors;
        }
    }
}
