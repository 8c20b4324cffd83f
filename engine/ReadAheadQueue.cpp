#include "engine/ReadAheadQueue.h"

#include <array>

AheadQueue::AheadQueue() : slots_(kSlots) {}

bool AheadQueue::IsDone(int32_t index) const {
    const Slot& slot = SlotOf(index);
    return slot.state == Slot::State::Done && slot.index == index;
}

// Every entry up to a failed one has been taken up, and is waited for.
bool AheadQueue::TurnReady(int32_t index) const { return IsDone(index) || (failed_ && index >= next_); }

bool AheadQueue::MayTakeUp(int32_t within) const {
    return run_ && !failed_ && next_ <= last_ && next_ - taken_ <= within &&
           SlotOf(next_).state == Slot::State::Free && bytesAhead_ < kBytesAhead;
}

template <class Condition>
void AheadQueue::WaitOnMain(Lock& lock, Condition ready) {
    if (ready()) return;
    mainWaiting_ = true;
    forMain_.wait(lock, ready);
    mainWaiting_ = false;
}

// Once the workers are as far ahead as they may be, they go on when half of
// that has been taken, not at every file: the threads wake each other
// seldom. One is woken, and it wakes the next while there is more to take up.
void AheadQueue::WakeWorkers() {
    if (workersWaiting_ > 0 && MayTakeUp(kFilesAhead / 2)) forWorkers_.notify_one();
}

void AheadQueue::Free(Slot& slot, AheadWork& dropped) {
    dropped = std::move(slot.work);
    slot.work = AheadWork();
    bytesAhead_ -= slot.bytes;
    slot.bytes = 0;
    slot.failed = false;
    slot.state = Slot::State::Free;
}

void AheadQueue::Clear(Lock& lock, std::vector<AheadWork>& dropped) {
    mainWaitsFor_ = 0;  // woken only once the last worker is done
    WaitOnMain(lock, [this] { return NoneBusy(); });
    dropped.resize(slots_.size());
    for (size_t k = 0; k < slots_.size(); ++k) Free(slots_[k], dropped[k]);
}

void AheadQueue::Begin(const ReadAheadRun& run, int32_t first, int32_t last) {
    std::vector<AheadWork> dropped;  // removed outside the lock
    Lock lock(mutex_);
    if (run_) Clear(lock, dropped);  // another run's, which has not ended
    run_ = &run;
    last_ = last;
    next_ = first;
    taken_ = first - 1;
    failed_ = false;
    forWorkers_.notify_all();
}

// The run is left only once no worker is at one of its entries: the run's
// folder and listing may go as soon as this returns.
void AheadQueue::End(const ReadAheadRun& run) {
    std::vector<AheadWork> dropped;  // removed outside the lock
    Lock lock(mutex_);
    if (run_ != &run) return;
    run_ = nullptr;
    Clear(lock, dropped);
}

void AheadQueue::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    forWorkers_.notify_all();
}

AheadTurn AheadQueue::TakeTurn(const ReadAheadRun& run, int32_t index) {
    AheadTurn turn;
    std::array<AheadWork, kSlots> dropped;  // removed outside the lock
    Lock lock(mutex_);
    if (run_ != &run) return turn;
    taken_ = index;
    // What the walk passed over.
    for (size_t k = 0; k < slots_.size(); ++k) {
        Slot& slot = slots_[k];
        if (slot.state == Slot::State::Done && slot.index < index) Free(slot, dropped[k]);
    }
    WakeWorkers();
    mainWaitsFor_ = index;
    WaitOnMain(lock, [&] { return TurnReady(index); });
    if (IsDone(index)) {
        turn.workerFailed = SlotOf(index).failed;
        Free(SlotOf(index), turn.work);
    }
    return turn;
}

std::optional<AheadJob> AheadQueue::NextJob(Lock& lock) {
    if (!closed_ && !MayTakeUp(kFilesAhead)) {
        ++workersWaiting_;
        forWorkers_.wait(lock, [this] { return closed_ || MayTakeUp(kFilesAhead / 2); });
        --workersWaiting_;
    }
    if (closed_) return std::nullopt;
    const int32_t index = next_++;
    Slot& slot = SlotOf(index);
    slot.state = Slot::State::Busy;
    slot.index = index;
    ++busy_;
    WakeWorkers();
    return AheadJob{run_, index};
}

std::optional<AheadJob> AheadQueue::TakeUp() {
    Lock lock(mutex_);
    return NextJob(lock);
}

std::optional<AheadJob> AheadQueue::Finish(const AheadJob& job, AheadResult&& result) {
    Lock lock(mutex_);
    --busy_;
    failed_ = failed_ || result.failed;
    Slot& slot = SlotOf(job.index);
    slot.work = std::move(result.work);
    slot.failed = result.failed;
    slot.bytes = slot.work.Empty() ? 0 : result.bytes;
    bytesAhead_ += slot.bytes;
    slot.state = Slot::State::Done;
    // An entry the walk has gone past is never taken: dropped here.
    AheadWork passed;
    if (job.index < taken_) {
        Free(slot, passed);
        WakeWorkers();
    }
    if (mainWaiting_ && (job.index == mainWaitsFor_ || NoneBusy())) forMain_.notify_one();
    if (!passed.Empty()) {
        lock.unlock();
        passed = AheadWork();
        lock.lock();
    }
    return NextJob(lock);
}
