#pragma once
// The open-file limit of the process, and the handles the layer leaves to
// the toolkit. A walk holds folders open at every level and the readers
// ahead hold files open; the toolkit must still get a handle whenever it
// needs one (a new thread's event loop, a window, an alert), or it ends the
// process. So the layer counts the handles it holds itself against a budget
// fixed when a run starts: what the toolkit opens or closes meanwhile, as
// long as it stays within the reserve, changes nothing the run does.
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace fw {

// Handles that no open of the layer takes: a new thread of the toolkit
// needs one for its event loop, a new window or alert a few more.
inline constexpr rlim_t kHandlesKeptFree = 16;

// Raises the soft limit as far as the system allows (once).
void AllowManyHandles();

// The soft limit to set: the hard limit, or where that is unlimited (macOS)
// the most the system gives one process; where the system refuses a figure,
// the highest it takes. `trySet` sets a soft limit and tells whether the
// system took it.
rlim_t RaiseHandleLimit(const struct rlimit& now, std::optional<rlim_t> systemMost,
                        const std::function<bool(rlim_t)>& trySet);

// Fixes the budget for a run that starts now: the layer may hold, beyond
// what it holds now, the soft limit less the handles in use less
// kHandlesKeptFree. Fixed by the first open when no run has fixed it.
void FixHandleBudget();

// Takes one handle of the budget: false when the budget has none left.
bool TakeHandle();
// Gives back a handle taken (closed, or never opened).
void GiveBackHandle();

// Opens a handle of the layer through `open` (which gives a handle, or -1
// with errno set): -1 with errno EMFILE, and `open` not called, when the
// budget has no handle left.
template <class Open>
int OpenCounted(Open&& open) {
    if (!TakeHandle()) {
        errno = EMFILE;
        return -1;
    }
    const int fd = open();
    if (fd < 0) {
        const int error = errno;
        GiveBackHandle();
        errno = error;
    }
    return fd;
}

// Closes a handle that OpenCounted gave; what close gives.
int CloseCounted(int fd);
// Closes a listing opened on a handle that OpenCounted gave.
void CloseCountedListing(DIR* dir);

// The handles the layer holds now (a run gives back all it took).
int64_t HandlesHeld();

}  // namespace fw
