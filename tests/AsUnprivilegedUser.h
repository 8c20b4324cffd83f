#pragma once
// Runs a check in a forked child that has dropped to the user nobody, so that
// permission bits hold even when the tests run as root.
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr uid_t kNobody = 65534;

// The check's result (0 for success, any small number names a failure), or
// 100 + errno when the child could not drop its privileges, or -1 when it
// did not exit normally.
inline int RunAsNobody(const std::function<int()>& check) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(100 + errno);
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
