#pragma once
// The entries of the one run that the workers serve at a time, what they
// did of each, and the lock that guards both. The main thread takes each
// entry at its turn; the workers take up the entries that come next, as far
// ahead as they may get. Every wait is for a named condition.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/ReadAheadWork.h"

class ReadAheadRun;

// An entry that a worker has taken up.
struct AheadJob {
    const ReadAheadRun* run;
    int32_t index;
};

// What a worker did of the entry it took up.
struct AheadResult {
    AheadWork work;
    uint64_t bytes = 0;   // of the room ahead, held while the work is
    bool failed = false;  // for want of what the workers hold: no more entries are taken up
};

class AheadQueue {
public:
    // How far ahead the workers may get: files, and bytes of the files held
    // ahead (a worker takes up no more once they reach it).
    static constexpr int32_t kFilesAhead = 32;
    static constexpr uint64_t kBytesAhead = 8u << 20;

    AheadQueue();

    // The main thread's side.
    // Entries `first` to `last` of the run are taken up from now on.
    void Begin(const ReadAheadRun& run, int32_t first, int32_t last);
    // Entry `index` of the run at its turn: waits until the turn is ready.
    // What the walk has passed over is dropped. Entries are taken in order.
    AheadTurn TakeTurn(const ReadAheadRun& run, int32_t index);
    // No entry of the run is taken up any more; returns once no worker is
    // at one, with what was done ahead dropped.
    void End(const ReadAheadRun& run);
    // The workers are to end.
    void Close();

    // A worker's side: the entry to take up next, once there is one; none
    // once the queue is closed.
    std::optional<AheadJob> TakeUp();
    // Records what was done of `job`, then takes up the next entry as TakeUp does.
    std::optional<AheadJob> Finish(const AheadJob& job, AheadResult&& result);

private:
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
    using Lock = std::unique_lock<std::mutex>;

    Slot& SlotOf(int32_t index) { return slots_[static_cast<size_t>(index % kSlots)]; }
    const Slot& SlotOf(int32_t index) const { return slots_[static_cast<size_t>(index % kSlots)]; }

    bool IsDone(int32_t index) const;
    // The conditions waited for, each under the lock.
    // The main thread may take entry `index`: it is done, or it lies past a
    // worker's failure, where no worker takes it up and it is the main thread's.
    bool TurnReady(int32_t index) const;
    bool NoneBusy() const { return busy_ == 0; }
    // A worker may take up the next entry, at most `within` entries beyond the main thread.
    bool MayTakeUp(int32_t within) const;

    template <class Condition>
    void WaitOnMain(Lock& lock, Condition ready);
    void WakeWorkers();
    std::optional<AheadJob> NextJob(Lock& lock);
    // Frees the slot; its work goes to `dropped`, to be removed outside the lock.
    void Free(Slot& slot, AheadWork& dropped);
    // Waits until no worker is busy and frees every slot into `dropped`.
    void Clear(Lock& lock, std::vector<AheadWork>& dropped);

    std::mutex mutex_;
    std::condition_variable forWorkers_, forMain_;
    // The run served, and its entries.
    const ReadAheadRun* run_ = nullptr;
    int32_t last_ = 0;
    int32_t next_ = 0;   // the next entry a worker takes up
    int32_t taken_ = 0;  // the last entry the main thread has asked for
    int busy_ = 0;       // workers at an entry
    uint64_t bytesAhead_ = 0;
    bool failed_ = false;  // a worker failed for want of what is held: no more entries are taken up
    std::vector<Slot> slots_;
    // Who waits.
    int workersWaiting_ = 0;
    bool mainWaiting_ = false;
    int32_t mainWaitsFor_ = 0;
    bool closed_ = false;
};
