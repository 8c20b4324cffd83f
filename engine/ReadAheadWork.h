#pragma once
// What reading ahead does of one file, and what the main thread gets of it
// at the file's turn.
#include <optional>

#include "engine/EmlxFile.h"

// What a worker did of one file.
struct AheadWork {
    // The output, whole and waiting for its name.
    std::optional<PendingEmlx> written;
    // Where the output could not be made without a name: the file read and
    // converted, for the main thread to write.
    std::optional<EmlxDraft> draft;

    bool Empty() const { return !written && !draft; }
};

// What the main thread gets at a file's turn.
struct AheadTurn {
    // Neither written nor drafted when the main thread is to do the file itself.
    AheadWork work;
    // The worker failed at this file for want of what the workers hold (a
    // handle, room on the disk, memory): what is held ahead may stand in the
    // way of one thread's result, so it is all to be dropped before the file
    // is done again.
    bool workerFailed = false;
};
