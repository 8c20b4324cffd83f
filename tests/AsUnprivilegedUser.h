#pragma once
// Runs a check in a forked child: one that has dropped to the user nobody,
// so that permission bits hold even when the tests run as root, or one with
// a limit of its own.
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr uid_t kNobody = 65534;

// The check's result (0 for success, any small number names a failure), or
// the child's own failure to prepare (100 and above), or -1 when it did not
// exit normally. `prepare` runs in the child first and gives 0 or its code.
inline int RunInChild(const std::function<int()>& check, const std::function<int()>& prepare = nullptr) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (prepare)
            if (const int failed = prepare()) ::_exit(failed);
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// As RunInChild, as the user nobody (100 + errno when the child cannot drop its privileges).
inline int RunAsNobody(const std::function<int()>& check) {
    return RunInChild(check, [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 100 + errno;
        return 0;
    });
}
