#include "engine/ReadAhead.h"

#include <unistd.h>

#include "engine/BatchRules.h"
#include "engine/DateStamp.h"
#include "engine/PropertyListTrailer.h"
#include "framework/WorkerThreads.h"

using namespace fw;

namespace {
// Reading, converting and writing a file takes longer than putting it in
// place: a few workers keep the main thread going.
constexpr int32_t kMostWorkers = 3;

// The files the walk converts, judged as the walk judges them, without a
// look at the disk: what the listing gave as a regular file.
bool ReadsAhead(const Ref<FolderItem>& entry) {
    return entry && entry->ListedAs() == FolderItem::Listed::File && WalkEntryKind(entry) == WalkEntry::File;
}

String TrailerAhead(const String& header) { return BuildPropertyListTrailer(header, UnixTimeStamp); }

// A file that is left to the main thread.
struct NotAhead {};

std::atomic<int64_t> takenAhead{0};
}  // namespace

int64_t ReadAheadRun::TakenAhead() { return takenAhead.load(); }

ReadAheadRun::ReadAheadRun(ReadAheadWorker& worker, const FolderItem& folder, const FolderItem& destination,
                           int32_t first, int32_t last)
    : worker_(worker), folder_(folder), destination_(destination), last_(last), next_(first),
      taken_(first - 1), slots_(kSlots) {
    worker_.Start(*this);
}

// Once no worker is at one of its entries, the outputs left go with the slots.
ReadAheadRun::~ReadAheadRun() { worker_.Stop(*this); }

int32_t ReadAheadRun::LastOfRun(const FolderItem& folder, int32_t first, int32_t count) {
    int32_t last = first;
    for (; last < count; ++last) {
        const Ref<FolderItem> next = folder.ListedItem(last + 1);
        const FolderItem::Listed kind = next ? next->ListedAs() : FolderItem::Listed::Unknown;
        if (kind == FolderItem::Listed::Folder || kind == FolderItem::Listed::Unknown) break;
    }
    return last;
}

bool ReadAheadRun::IsDone(int32_t index) const {
    const Slot& slot = SlotOf(index);
    return slot.state == Slot::State::Done && slot.index == index;
}

void ReadAheadRun::Free(Slot& slot, AheadWork& dropped) {
    dropped = std::move(slot.work);
    slot.work = AheadWork();
    bytesAhead_ -= slot.bytes;
    slot.bytes = 0;
    slot.failed = false;
    slot.state = Slot::State::Free;
}

AheadTurn ReadAheadRun::Take(int32_t index, const FolderItem& entry) {
    AheadTurn turn;
    std::array<AheadWork, kSlots> dropped;  // removed outside the lock
    {
        std::unique_lock<std::mutex> lock(worker_.mutex_);
        taken_ = index;
        // What the walk passed over.
        for (size_t k = 0; k < slots_.size(); ++k) {
            Slot& slot = slots_[k];
            if (slot.state == Slot::State::Done && slot.index < index) Free(slot, dropped[k]);
        }
        worker_.WakeWorkers(*this);
        // Every entry up to a failed one has been taken up: it is waited for.
        // One past a failure is never taken up, and is the main thread's.
        worker_.mainWaitsFor_ = index;
        worker_.WaitOnMain(lock, [&] { return IsDone(index) || worker_.run_ != this || (failed_ && index >= next_); });
        if (IsDone(index)) {
            turn.workerFailed = SlotOf(index).failed;
            Free(SlotOf(index), turn.work);
        }
    }
    // A file edited, replaced or removed since it was read is done again, as one thread would.
    const FolderItem::Snapshot* read = turn.work.written ? &turn.work.written->source
                                       : turn.work.draft ? &turn.work.draft->source
                                                         : nullptr;
    if (read && !entry.Unchanged(*read)) turn.work = AheadWork();
    if (turn.work.written || turn.work.draft) ++takenAhead;
    return turn;
}

int32_t ReadAheadWorker::ThreadsWanted() { return WorkerThreads(kMostWorkers); }

ReadAheadWorker::ReadAheadWorker(int32_t threads) : pid_(::getpid()) {
    try {
        for (int32_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Serve(); });
    } catch (...) {
        End();
        throw;
    }
}

ReadAheadWorker::~ReadAheadWorker() { End(); }

void ReadAheadWorker::End() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    forWorkers_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

bool ReadAheadWorker::Ours() const { return ::getpid() == pid_; }

void ReadAheadWorker::Start(ReadAheadRun& run) {
    std::lock_guard<std::mutex> lock(mutex_);
    run_ = &run;
    forWorkers_.notify_all();
}

// The run is left only once no worker is at one of its entries: the run's
// folder and listing may go as soon as this returns.
void ReadAheadWorker::Stop(ReadAheadRun& run) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (run_ == &run) run_ = nullptr;
    mainWaitsFor_ = 0;
    WaitOnMain(lock, [&] { return run.busy_ == 0; });
}

void ReadAheadWorker::WaitOnMain(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done) {
    if (done()) return;
    mainWaiting_ = true;
    forMain_.wait(lock, done);
    mainWaiting_ = false;
}

// Whether a worker may take up the next entry, at most `within` entries
// beyond the main thread.
bool ReadAheadWorker::MayReadMore(const ReadAheadRun& run, int32_t within) const {
    return !run.failed_ && run.next_ <= run.last_ && run.next_ - run.taken_ <= within &&
           run.SlotOf(run.next_).state == ReadAheadRun::Slot::State::Free && run.bytesAhead_ < ReadAheadRun::kBytesAhead;
}

// Once the workers are as far ahead as they may be, they go on when half of
// that has been taken, not at every file: the threads wake each other seldom.
void ReadAheadWorker::WakeWorkers(const ReadAheadRun& run) {
    if (workersWaiting_ > 0 && MayReadMore(run, ReadAheadRun::kFilesAhead / 2)) forWorkers_.notify_all();
}

// A file is done ahead as the main thread would do it, but where its output
// cannot be made without a name it is only read and converted: its hidden
// name is the main thread's to give, one file at a time. Everything that
// fails here, even for want of memory or of a handle, is the worker's failure.
void ReadAheadWorker::ConvertAhead(ReadAheadRun& run, int32_t index, AheadWork& work, uint64_t& bytes,
                                   bool& failed) noexcept {
    try {
        // The main thread reads the folder's listing and the destination
        // too, but changes neither while the run lasts; this entry's items
        // are the worker's until they are handed over.
        const Ref<FolderItem> entry = run.folder_.ListedItem(index);
        if (!ReadsAhead(entry)) return;
        EmlxDraft draft = ReadEmlxDraft(*entry, TrailerAhead, [&](uint64_t size) {
            if (size > ReadAheadRun::kLargestAhead) throw NotAhead();
            bytes = size;
        });
        work.written = WriteEmlxWithoutName(run.destination_.Child(EmlxFileName(entry->Name())), draft);
        if (!work.written) work.draft = std::move(draft);
    } catch (const NotAhead&) {
        work = AheadWork();
    } catch (...) {
        work = AheadWork();
        failed = true;
    }
}

void ReadAheadWorker::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!ending_ && !(run_ && MayReadMore(*run_, ReadAheadRun::kFilesAhead))) {
            ++workersWaiting_;
            forWorkers_.wait(lock, [&] { return ending_ || (run_ && MayReadMore(*run_, ReadAheadRun::kFilesAhead / 2)); });
            --workersWaiting_;
        }
        if (ending_) return;
        ReadAheadRun& run = *run_;
        const int32_t index = run.next_++;
        ReadAheadRun::Slot& slot = run.SlotOf(index);
        slot.state = ReadAheadRun::Slot::State::Busy;
        slot.index = index;
        ++run.busy_;
        lock.unlock();
        AheadWork work;
        uint64_t bytes = 0;
        bool failed = false;
        ConvertAhead(run, index, work, bytes, failed);
        lock.lock();
        --run.busy_;
        run.failed_ = run.failed_ || failed;
        slot.work = std::move(work);
        slot.failed = failed;
        slot.bytes = slot.work.written || slot.work.draft ? bytes : 0;
        run.bytesAhead_ += slot.bytes;
        slot.state = ReadAheadRun::Slot::State::Done;
        // An entry the walk has gone past is never taken: dropped here.
        AheadWork passed;
        if (index < run.taken_) {
            run.Free(slot, passed);
            WakeWorkers(run);
        }
        if (mainWaiting_ && (index == mainWaitsFor_ || run.busy_ == 0)) forMain_.notify_one();
        if (passed.written || passed.draft) {
            lock.unlock();
            passed = AheadWork();
            lock.lock();
        }
    }
}
