#include "framework/HandleLimit.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>
#include <unistd.h>
#ifdef __APPLE__
#include <sys/sysctl.h>
#endif

namespace fw {

namespace {

// The soft limit as last read; 0 until it is.
std::atomic<rlim_t> softLimit{0};

// The most handles the system gives one process, where the hard limit does
// not say (macOS gives RLIM_INFINITY there and refuses it as a soft limit).
std::optional<rlim_t> SystemMostHandles() {
#ifdef __APPLE__
    int most = 0;
    size_t size = sizeof most;
    if (::sysctlbyname("kern.maxfilesperproc", &most, &size, nullptr, 0) == 0 && most > 0)
        return static_cast<rlim_t>(most);
#endif
#ifdef OPEN_MAX
    return static_cast<rlim_t>(OPEN_MAX);
#else
    return std::nullopt;
#endif
}

void ReadLimit() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) softLimit.store(limit.rlim_cur);
}

}  // namespace

rlim_t RaiseHandleLimit(const struct rlimit& now, std::optional<rlim_t> systemMost,
                        const std::function<bool(rlim_t)>& trySet) {
    rlim_t wanted = now.rlim_max;
    if (systemMost && (wanted == RLIM_INFINITY || wanted > *systemMost)) wanted = *systemMost;
    if (wanted == RLIM_INFINITY || wanted <= now.rlim_cur) return now.rlim_cur;
    if (trySet(wanted)) return wanted;
    // The highest figure taken, between the limit now (taken) and the one refused.
    rlim_t taken = now.rlim_cur, refused = wanted;
    while (refused - taken > 1) {
        const rlim_t middle = taken + (refused - taken) / 2;
        (trySet(middle) ? taken : refused) = middle;
    }
    return taken;
}

// A walk keeps the folders on its way open, several per level of the tree:
// as many handles as the system allows, so that depth has no limit of ours.
void AllowManyHandles() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct rlimit now;
        if (::getrlimit(RLIMIT_NOFILE, &now) != 0) return;
        RaiseHandleLimit(now, SystemMostHandles(), [&](rlim_t soft) {
            const struct rlimit wanted = {soft, now.rlim_max};
            return ::setrlimit(RLIMIT_NOFILE, &wanted) == 0;
        });
    });
    ReadLimit();
}

int WithinHandleReserve(int fd) {
    if (fd < 0) return fd;
    if (softLimit.load() == 0) AllowManyHandles();
    const rlim_t limit = softLimit.load();
    if (limit == RLIM_INFINITY || static_cast<rlim_t>(fd) + kHandlesKeptFree < limit) return fd;
    ::close(fd);
    errno = EMFILE;
    return -1;
}

}  // namespace fw
