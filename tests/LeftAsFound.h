#pragma once
// Each test leaves the program as it found it, so the suite gives the same
// result run whole, shuffled or repeated as it does one test per process.
// This listener takes what a test could leave behind before the test and
// again after it, and fails the test that changed something, saying what.
// The first test it fails is the one that left it; a later one may be failed
// for putting it back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/Application.h"
#include "framework/CallTrace.h"
#include "framework/Delegate.h"
#include "framework/Dialogs.h"
#include "framework/EventDispatch.h"
#include "framework/FolderItem.h"
#include "framework/Keyboard.h"
#include "framework/Window.h"
#include "framework/WorkerThreads.h"

extern char** environ;

namespace left_as_found {

using State = std::map<std::string, std::string>;

// Whether the observer installed by `set` is there; it is put back as it was.
template <class Setter>
std::string Installed(Setter set) {
    auto observer = set(nullptr);
    const bool installed = static_cast<bool>(observer);
    set(std::move(observer));
    return installed ? "installed" : "none";
}

inline void TakeLayer(State& state) {
    state["quit requested"] = fw::QuitRequested() ? "yes" : "no";
    state["exit code of the run"] = std::to_string(fw::RunExitCode());
    state["event loop running"] = fw::EventLoopRunning() ? "yes" : "no";
    state["handlers running"] = std::to_string(fw::HandlerDepth());
    std::exception_ptr escaped = fw::TakeEscapedException();
    state["exception escaped and not taken"] = escaped ? "yes" : "no";
    fw::KeepEscapedException(escaped);
    char provider[32];
    std::snprintf(provider, sizeof provider, "%p", static_cast<void*>(&fw::Dialogs()));
    state["dialog provider"] = provider;
    state["background-task observer"] = Installed(fw::SetBackgroundTaskObserver);
    state["creation observer"] = Installed(fw::SetCreationObserver);
    state["handler observer"] = Installed(fw::SetHandlerObserver);
    state["call observer"] = Installed(fw::SetCallObserver);
    state["worker threads"] = std::to_string(fw::WorkerThreads(1 << 20));
    state["Escape held"] = fw::getKeyboardObject()->AsyncKeyDown(fw::kVirtualKeyEscape) ? "yes" : "no";
    fw::Ref<fw::Application> app = fw::getAppObject();
    state["application object"] = app.IsNil() ? "none" : app->Class() ? app->Class()->name : "unnamed";
    std::string windows;
    for (const fw::Ref<fw::Window>& w : fw::OpenWindows()) windows += (w->Class() ? w->Class()->name : "?") + " ";
    state["open windows"] = windows;
    std::string shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) shown += "\"" + w->windowTitle().toStdString() + "\" ";
    state["windows on the screen"] = shown;
    state["modal window"] = QApplication::activeModalWidget() ? "one" : "none";
    state["quit when the last window closes"] = QApplication::quitOnLastWindowClosed() ? "yes" : "no";
}

inline void TakeProcess(State& state) {
    for (char** e = environ; *e; ++e) {
        const std::string variable = *e;
        const size_t equals = variable.find('=');
        state["environment variable " + variable.substr(0, equals)] =
            equals == std::string::npos ? std::string() : variable.substr(equals + 1);
    }
    std::error_code error;
    state["current folder"] = std::filesystem::current_path(error).string();
    const mode_t creationMask = ::umask(0);
    ::umask(creationMask);
    state["umask"] = std::to_string(creationMask);
    for (const auto& [name, resource] : std::map<std::string, int>{
             {"open files", RLIMIT_NOFILE}, {"file size", RLIMIT_FSIZE}, {"address space", RLIMIT_AS},
             {"data", RLIMIT_DATA}, {"stack", RLIMIT_STACK}, {"processes", RLIMIT_NPROC}, {"core", RLIMIT_CORE},
             {"cpu", RLIMIT_CPU}}) {
        struct rlimit limit {};
        ::getrlimit(resource, &limit);
        state["limit of " + name] = std::to_string(limit.rlim_cur) + "/" + std::to_string(limit.rlim_max);
    }
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) != 0) continue;
#ifdef __linux__
        action.sa_flags &= ~0x04000000;  // SA_RESTORER: the C library's own, added to whatever is set
#endif
        // GMime's first use ignores SIGPIPE for good (its gpgme does), in
        // whichever test first reads a date with it.
        if (signal == SIGPIPE && action.sa_handler == SIG_DFL) action.sa_handler = SIG_IGN;
        char handler[48];
        std::snprintf(handler, sizeof handler, "%p %x", reinterpret_cast<void*>(action.sa_handler),
                      static_cast<unsigned>(action.sa_flags));
        state["handler of signal " + std::to_string(signal)] = handler;
    }
    sigset_t blocked;
    ::pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
    std::string mask;
    for (int signal = 1; signal < NSIG; ++signal)
        if (sigismember(&blocked, signal)) mask += std::to_string(signal) + " ";
    state["signals blocked"] = mask;
#ifdef __linux__
    // Handles to files and folders; the toolkit's threads come and go with
    // handles of their own (event loops), and threads of their own names.
    std::string handles;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        std::set<std::string> open;
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.' || std::atoi(fd->d_name) == ::dirfd(fds)) continue;
            char target[4096];
            const ssize_t length = ::readlinkat(::dirfd(fds), fd->d_name, target, sizeof target - 1);
            if (length > 0 && target[0] == '/') open.insert(std::string(fd->d_name) + " " + std::string(target, length));
        }
        ::closedir(fds);
        for (const std::string& fd : open) handles += fd + "\n  ";
    }
    state["handles open to files and folders"] = handles;
    // The threads that no one has named: the program's own, the main one included.
    const auto nameOf = [](const std::string& task) {
        std::ifstream comm("/proc/self/task/" + task + "/comm");
        std::string name;
        std::getline(comm, name);
        return name;
    };
    const std::string mainName = nameOf(std::to_string(::getpid()));
    int threads = 0;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* task = ::readdir(tasks))
            if (task->d_name[0] != '.' && nameOf(task->d_name) == mainName) ++threads;
        ::closedir(tasks);
    }
    state["threads of the program's own"] = std::to_string(threads);
#endif
    // The tests name their scratch "quelmar-<what>-<process>", then "-" or "." and more, or nothing.
    const std::string ours = "-" + std::to_string(::getpid());
    std::set<std::string> scratch;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), error)) {
        const std::string name = entry.path().filename().string();
        const size_t at = name.find(ours);
        const size_t after = at + ours.size();
        if (name.rfind("quelmar-", 0) == 0 && at != std::string::npos &&
            (after == name.size() || name[after] == '-' || name[after] == '.'))
            scratch.insert(name);
    }
    std::string names;
    for (const std::string& name : scratch) names += name + " ";
    state["scratch in the temporary folder"] = names;
}

class Listener : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { before_ = Take(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        State after = Take();
        for (const auto& [what, was] : before_) after.emplace(what, "(none)");
        for (const auto& [what, now] : after) {
            const auto was = before_.find(what);
            const std::string before = was == before_.end() ? "(none)" : was->second;
            if (now != before)
                ADD_FAILURE() << "the test left " << what << " changed: it was\n  " << before << "\nand is\n  " << now;
        }
    }

private:
    static State Take() {
        State state;
        TakeLayer(state);
        TakeProcess(state);
        return state;
    }
    State before_;
};

}  // namespace left_as_found
