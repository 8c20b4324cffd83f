#pragma once
// Reading ahead in a batch walk: while the main thread puts one file in place
// and steps the progress, a few worker threads read, convert and write the
// files that come next in the same folder, each without its name yet.
// Nothing the user sees changes: the main thread takes
// each output when its turn comes and puts it under its name as before, so
// outputs come into being in the same order, with the same names; whatever
// a worker could not do is done again on the main thread, which reports
// it; whatever was done ahead is dropped, and its files removed, on a stop.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/EmlxFile.h"
#include "framework/FolderItem.h"

class ReadAheadWorker;

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

    bool Covers(int32_t index) const { return index >= first_ && index <= last_; }
    // The output of entry `index`, once it is written; none when the worker
    // did not convert it, or could not. Entries are taken in order.
    std::optional<PendingEmlx> Take(int32_t index);

private:
    friend class ReadAheadWorker;
    ReadAheadWorker& worker_;
    const fw::FolderItem& folder_;
    const fw::FolderItem& destination_;
    const int32_t first_, last_;
    // Under the workers' lock:
    int32_t next_;   // the next entry a worker takes up
    int32_t taken_;  // the last entry the main thread has asked for
    std::map<int32_t, std::optional<PendingEmlx>> done_;  // done and not yet taken
    int busy_ = 0;   // workers at an entry of this run
};

// A few threads that serve the runs one at a time, as the walk makes them,
// each taking up the next entry of the run.
class ReadAheadWorker {
public:
    ReadAheadWorker();
    ~ReadAheadWorker();
    ReadAheadWorker(const ReadAheadWorker&) = delete;
    ReadAheadWorker& operator=(const ReadAheadWorker&) = delete;

    // Whether reading ahead helps here: another processor to read on.
    static bool Worthwhile();
    // The worker belongs to the process that started it (a forked child has not got its thread).
    bool Ours() const;

private:
    friend class ReadAheadRun;
    void Serve();
    void Start(ReadAheadRun& run);
    void Stop(ReadAheadRun& run);
    bool MayReadMore(const ReadAheadRun& run) const;
    bool MayResume(const ReadAheadRun& run) const;
    void WaitOnMain(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done);

    std::mutex mutex_;
    std::condition_variable forWorkers_, forMain_;
    int workersWaiting_ = 0;
    bool mainWaiting_ = false;
    int32_t mainWaitsFor_ = 0;
    ReadAheadRun* run_ = nullptr;
    bool ending_ = false;
    const int pid_;
    std::vector<std::thread> threads_;
};
