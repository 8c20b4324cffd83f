#pragma once
// Reading ahead in a batch walk: while the main thread puts one file in place
// and steps the progress, a few worker threads read, convert and write the
// files that come next in the same folder, each without its name yet (where
// files cannot be made without a name, the workers only read and convert,
// and the main thread writes, so that no more than one file under a hidden
// name exists at a time). Nothing the user sees changes: the main thread
// takes each output when its turn comes and puts it under its name as
// before, so outputs come into being in the same order, with the same names.
// What a worker did not do, could not do, or did from a file that has
// changed since is done again on the main thread, which reports what fails.
// What was done ahead is dropped, and its files removed, on a stop, or on a
// failure for want of what the workers hold (handles, room on the disk,
// memory); a file that fails on its own costs no more than it does one
// thread. Only small files are taken ahead, and only so many bytes at a
// time, so that a stop waits for little and the memory, the disk space and
// the handles held ahead stay small. Workers show nothing.
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "engine/ReadAheadQueue.h"
#include "engine/ReadAheadWork.h"
#include "framework/FolderItem.h"

class ReadAheadWorker;

// Inside a catch: whether the failure is one that what the workers hold
// ahead may have caused (no handle, no room on the disk, no memory), so that
// the file done again alone may not fail. Any other failure is the file's own.
bool FailedForWantOfWhatIsHeld();

// The files of one folder from one entry up to the next folder in its
// listing, read ahead while the level's loop goes through them. Dropping it
// stops the reading and drops what was read.
class ReadAheadRun {
public:
    // Entries `first` to `last` of the folder's last listing, converted into
    // `destination`; the folder is not listed again while the run lasts.
    ReadAheadRun(ReadAheadWorker& worker, const fw::FolderItem& folder, const fw::FolderItem& destination,
                 int32_t first, int32_t last);
    ~ReadAheadRun();
    ReadAheadRun(const ReadAheadRun&) = delete;
    ReadAheadRun& operator=(const ReadAheadRun&) = delete;

    // The last entry of a run from `first`: the one before the next entry that
    // may be a folder, or the last of the `count`.
    static int32_t LastOfRun(const fw::FolderItem& folder, int32_t first, int32_t count);

    // Entry `index` (the main thread's `entry`) at its turn. What was done is
    // handed over only when the entry is still the file that was read.
    // Entries are taken in order.
    AheadTurn Take(int32_t index, const fw::FolderItem& entry);

    // The workers read the folder's listing and ask the destination for
    // children; the main thread changes neither while the run lasts.
    const fw::FolderItem& Folder() const { return folder_; }
    const fw::FolderItem& Destination() const { return destination_; }

    // Larger files are done by the main thread at their turn.
    static constexpr uint64_t kLargestAhead = 4u << 20;

private:
    AheadQueue& queue_;
    const fw::FolderItem& folder_;
    const fw::FolderItem& destination_;
};

// A few threads that serve the runs one at a time, as the walk makes them,
// each taking up the next entry of the run.
class ReadAheadWorker {
public:
    // Raises when the threads cannot be started.
    explicit ReadAheadWorker(int32_t threads);
    ~ReadAheadWorker();
    ReadAheadWorker(const ReadAheadWorker&) = delete;
    ReadAheadWorker& operator=(const ReadAheadWorker&) = delete;

    // How many threads the layer lets reading ahead use now (0: none).
    static int32_t ThreadsWanted();
    int32_t Threads() const { return static_cast<int32_t>(threads_.size()); }
    // The worker belongs to the process that started it (a forked child has not got its threads).
    bool Ours() const;
    // The entries of the run being served.
    AheadQueue& Queue() { return queue_; }

private:
    void Serve();
    void End();

    AheadQueue queue_;
    const int pid_;
    std::vector<std::thread> threads_;
};

// What tests see of reading ahead, and their way to hold up or fail a
// worker at an entry. A program installs none.
struct ReadAheadProbe {
    // Called by a worker before it does entry `index` of a run: it may wait,
    // or raise to fail there.
    std::function<void(int32_t index)> beforeWork;
    // Called by the main thread for each file it takes as the workers did it.
    std::function<void()> takenAhead;
};
// Installed while no run is under way; nullptr for none.
void SetReadAheadProbe(const ReadAheadProbe* probe);
