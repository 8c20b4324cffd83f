#include "framework/HandleLimit.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#ifdef __APPLE__
#include <sys/sysctl.h>
#endif

namespace fw {

namespace {

// The handles the layer holds, and the most it may hold in this run (-1
// until a budget is fixed).
std::atomic<int64_t> held{0};
std::atomic<int64_t> most{-1};
std::mutex fixing;

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

// The handles the process has open now, whoever opened them; `limit` when
// not even the listing's own can be had.
rlim_t HandlesInUse(rlim_t limit) {
    DIR* dir = ::opendir("/dev/fd");
    if (!dir) {
        if (errno == EMFILE || errno == ENFILE) return limit;
        rlim_t open = 0;  // no /dev/fd: each handle asked after
        for (rlim_t fd = 0; fd < limit && fd <= INT_MAX; ++fd) open += ::fcntl(static_cast<int>(fd), F_GETFD) != -1;
        return open;
    }
    rlim_t open = 0;
    while (const dirent* entry = ::readdir(dir)) open += entry->d_name[0] != '.';
    ::closedir(dir);
    return open - 1;  // the listing's own
}

void FixBudgetNow() {
    AllowManyHandles();
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        most.store(INT64_MAX);
        return;
    }
    const rlim_t used = HandlesInUse(limit.rlim_cur) + kHandlesKeptFree;
    const rlim_t room = limit.rlim_cur > used ? limit.rlim_cur - used : 0;
    most.store(held.load() + static_cast<int64_t>(std::min<rlim_t>(room, INT64_MAX / 2)));
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
}

void FixHandleBudget() {
    const std::lock_guard<std::mutex> lock(fixing);
    FixBudgetNow();
}

bool TakeHandle() {
    if (most.load() < 0) {
        const std::lock_guard<std::mutex> lock(fixing);
        if (most.load() < 0) FixBudgetNow();
    }
    for (int64_t now = held.load();;) {
        if (now >= most.load()) return false;
        if (held.compare_exchange_weak(now, now + 1)) return true;
    }
}

void GiveBackHandle() { held.fetch_sub(1); }

int CloseCounted(int fd) {
    const int closed = ::close(fd);
    GiveBackHandle();  // gone whatever close says
    return closed;
}

void CloseCountedListing(DIR* dir) {
    ::closedir(dir);
    GiveBackHandle();
}

int64_t HandlesHeld() { return held.load(); }

}  // namespace fw
