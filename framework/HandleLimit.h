#pragma once
// The open-file limit of the process, and the handles the layer leaves to
// the toolkit. A walk holds folders open at every level and the readers
// ahead hold files open; the toolkit must still get a handle whenever it
// needs one (a painting thread's event loop, a window, an alert), or it
// ends the process.
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace fw {

// Handles that no open of the layer takes: the toolkit's painting thread
// needs one for its event loop, a new window or alert a few more.
inline constexpr rlim_t kHandlesKeptFree = 16;

// Raises the soft limit as far as the system allows (once), and reads the
// limit again at every call, so that a limit lowered meanwhile is kept to.
void AllowManyHandles();

// The soft limit to set: the hard limit, or where that is unlimited (macOS)
// the most the system gives one process; where the system refuses a figure,
// the highest it takes. `trySet` sets a soft limit and tells whether the
// system took it.
rlim_t RaiseHandleLimit(const struct rlimit& now, std::optional<rlim_t> systemMost,
                        const std::function<bool(rlim_t)>& trySet);

// A handle the layer has just opened: `fd` itself, or, when keeping it would
// leave the process fewer than kHandlesKeptFree handles, -1 with errno
// EMFILE (the handle is closed). -1 stays -1.
int WithinHandleReserve(int fd);

}  // namespace fw
