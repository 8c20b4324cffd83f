#pragma once
// The real program, started on the offscreen platform as an unprivileged
// user of its own with a lowered limit, and watched until it has come up,
// has ended, or has hung past a time.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>


namespace started_program {

// The user the program runs as: one of the test's own, which no other process
// runs as, so that a limit of processes counts the program's tasks alone
// (other tests drop to nobody meanwhile).
inline constexpr uid_t kProgramUser = 65533;

// The tasks (threads included) that run as the user now: the count that the
// limit of processes holds against.
inline rlim_t TasksOf(uid_t user) {
    rlim_t tasks = 0;
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::ifstream status(std::string("/proc/") + entry->d_name + "/status");
        uid_t real = 0;
        bool ours = false;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Uid:", 0) == 0) ours = std::istringstream(line.substr(4)) >> real && real == user;
            if (ours && line.rfind("Threads:", 0) == 0) tasks += std::stoul(line.substr(8));
        }
    }
    ::closedir(proc);
    return tasks;
}

// Whether the process's main thread waits for events now: its event loop
// has nothing left to do (a toolkit that waits for a thread waits on a lock).
inline bool WaitsForEvents(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
    long call = -1;
    if (!(in >> call)) return false;
#ifdef SYS_poll
    if (call == SYS_poll) return true;
#endif
    return call == SYS_ppoll || call == SYS_pselect6;
}

// A folder of the test's own, removed with all in it when the test ends
// however it ends, with a copy of the application's folder (the executable
// in bin/, the pictures beside it) where another user may run it: the build
// may lie in a folder that only root may enter, such as a clone in /root.
struct Scratch {
    explicit Scratch(std::filesystem::path at) : path(std::move(at)) {
        namespace fs = std::filesystem;
        fs::remove_all(path);
        fs::create_directories(path);
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // The copy's executable.
    std::string CopyOf(const std::string& program) const {
        namespace fs = std::filesystem;
        const fs::path application = fs::path(program).parent_path().parent_path();
        fs::copy(application, path / application.filename(), fs::copy_options::recursive);
        return (path / application.filename() / fs::relative(program, application)).string();
    }

    const std::filesystem::path path;
};

enum class Outcome { CameUp, Ended, Hung };

struct Run {
    Outcome outcome = Outcome::Hung;
    int status = 0;      // as waitpid gives it
    std::string errors;  // what it wrote to standard error
};

// A limit for the child: `resource` set to `value`, or for the number of
// processes to that user's tasks now and `value` more.
struct Limit {
    int resource = -1;  // none
    rlim_t value = 0;
};

// Starts `program` as that user under the limit and watches it: it has come up
// once its event loop has waited for half a second on end; then it is asked
// to end (SIGTERM). One that neither comes up nor ends within `timeout` has hung.
inline Run Start(const std::string& program, const Limit& limit, const std::filesystem::path& errorsFile,
                 std::chrono::seconds timeout) {
    rlim_t value = limit.value;
    if (limit.resource == RLIMIT_NPROC) value += TasksOf(kProgramUser) + 1;  // the child itself
    const int errors = ::open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    char* const envp[] = {const_cast<char*>("QT_QPA_PLATFORM=offscreen"), const_cast<char*>("HOME=/nonexistent"),
                          nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe between a fork and an exec.
        const int quiet = ::open("/dev/null", O_RDWR);
        ::dup2(quiet, 0);
        ::dup2(quiet, 1);
        ::dup2(errors, 2);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kProgramUser) != 0 || ::setuid(kProgramUser) != 0) ::_exit(120);
        const struct rlimit lowered = {value, value};
        if (limit.resource >= 0 && ::setrlimit(limit.resource, &lowered) != 0) ::_exit(121);
        ::execve(program.c_str(), argv, envp);
        ::_exit(122);
    }
    ::close(errors);
    Run run;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    constexpr auto kSample = std::chrono::milliseconds(20);
    int waiting = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &run.status, WNOHANG) == pid) {
            run.outcome = Outcome::Ended;
            break;
        }
        waiting = WaitsForEvents(pid) ? waiting + 1 : 0;
        if (waiting * kSample >= std::chrono::milliseconds(500)) {
            run.outcome = Outcome::CameUp;
            ::kill(pid, SIGTERM);
            ::waitpid(pid, &run.status, 0);
            break;
        }
        std::this_thread::sleep_for(kSample);
    }
    if (run.outcome == Outcome::Hung) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &run.status, 0);
    }
    std::ifstream in(errorsFile);
    run.errors.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

}  // namespace started_program
