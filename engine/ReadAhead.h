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
// changed since is done again on the main thread, which reports what fails;
// what was done ahead is dropped, and its files removed, on a stop or a
// failure. Only small files are taken ahead, and only so many bytes at a
// time, so that a stop waits for little and the memory, the disk space and
// the handles held ahead stay small. Workers show nothing.
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/EmlxFile.h"
#include "framework/FolderItem.h"

class ReadAheadWorker;

// What a worker did of one file.
struct AheadWork {
    // The output, whole and waiting for its name.
    std::optional<PendingEmlx> written;
    // Where the output could not be made without a name: the file read and
    // converted, for the main thread to write.
    std::optional<EmlxDraft> draft;
};

// What the main thread gets at a file's turn.
struct AheadTurn {
    // Neither written nor drafted when the main thread is to do the file itself.
    AheadWork work;
    // The worker failed at this file (a read, a write, no handle left): what
    // is held ahead may stand in the way of one thread's result, so it is
    // all to be dropped before the file is done again.
    bool workerFailed = false;
};

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

    // How many files, in this process, the main thread has taken as the
    // workers had done them (tests tell by it that the workers did work).
    static int64_t TakenAhead();

    // How far ahead the workers may get: files, and bytes of the files held
    // ahead (a worker takes up no more once they reach it).
    static constexpr int32_t kFilesAhead = 32;
    static constexpr uint64_t kBytesAhead = 8u << 20;
    // Larger files are done by the main thread at their turn.
    static constexpr uint64_t kLargestAhead = 4u << 20;

private:
    friend class ReadAheadWorker;
    // One entry being done or done ahead; the slot of an entry is its index
    // modulo the number of slots, so that recording a result needs no memory.
    struct Slot {
        enum class State : uint8_t { Free, Busy, Done };
        State state = State::Free;
        int32_t index = 0;
        uint64_t bytes = 0;  // of the room ahead, held until the work is taken or dropped
        AheadWork work;
        bool failed = false;
    };
    static constexpr int32_t kSlots = kFilesAhead + 1;
    Slot& SlotOf(int32_t index) { return slots_[static_cast<size_t>(index % kSlots)]; }
    const Slot& SlotOf(int32_t index) const { return slots_[static_cast<size_t>(index % kSlots)]; }
    bool IsDone(int32_t index) const;
    // Frees the slot; its work goes to `dropped`, to be removed outside the lock.
    void Free(Slot& slot, AheadWork& dropped);

    ReadAheadWorker& worker_;
    const fw::FolderItem& folder_;
    const fw::FolderItem& destination_;
    const int32_t last_;
    // Under the workers' lock:
    int32_t next_;   // the next entry a worker takes up
    int32_t taken_;  // the last entry the main thread has asked for
    int busy_ = 0;   // workers at an entry of this run
    uint64_t bytesAhead_ = 0;
    bool failed_ = false;  // a worker failed: no more entries are taken up
    std::vector<Slot> slots_;  // kSlots, off the stack: a level of the walk holds its run there
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

private:
    friend class ReadAheadRun;
    void Serve();
    void ConvertAhead(ReadAheadRun& run, int32_t index, AheadWork& work, uint64_t& bytes, bool& failed) noexcept;
    void Start(ReadAheadRun& run);
    void Stop(ReadAheadRun& run);
    void End();
    bool MayReadMore(const ReadAheadRun& run, int32_t within) const;
    void WakeWorkers(const ReadAheadRun& run);
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
