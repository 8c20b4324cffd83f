#include "engine/ReadAhead.h"

#include <algorithm>
#include <unistd.h>

#include "engine/BatchRules.h"
#include "engine/PropertyListTrailer.h"

using namespace fw;

namespace {
// How far the worker may get ahead: enough to keep it busy, little enough
// that what it holds (a file open each) stays small.
constexpr int32_t kFilesAhead = 32;
// Reading, converting and writing a file takes longer than putting it in
// place: a few workers keep the main thread going.
constexpr unsigned kWorkers = 3;

// The files the walk converts, judged as the walk judges them, without a
// look at the disk: what the listing gave as a regular file.
bool ReadsAhead(const FolderItem& entry) {
    return entry.ListedAs() == FolderItem::Listed::File && entry.Visible() && !IsPassedOverFile(entry);
}
}  // namespace

ReadAheadRun::ReadAheadRun(ReadAheadWorker& worker, const FolderItem& folder, const FolderItem& destination,
                           int32_t first, int32_t last)
    : worker_(worker), folder_(folder), destination_(destination), first_(first), last_(last), next_(first),
      taken_(first - 1) {
    worker_.Start(*this);
}

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

std::optional<PendingEmlx> ReadAheadRun::Take(int32_t index) {
    std::optional<PendingEmlx> written;
    std::map<int32_t, std::optional<PendingEmlx>> passedOver;  // dropped outside the lock: that removes files
    {
        std::unique_lock<std::mutex> lock(worker_.mutex_);
        taken_ = index;
        while (!done_.empty() && done_.begin()->first < index) passedOver.insert(done_.extract(done_.begin()));
        if (worker_.workersWaiting_ > 0 && worker_.MayResume(*this)) worker_.forWorkers_.notify_all();
        // Waits while the entry is not done yet.
        worker_.mainWaitsFor_ = index;
        worker_.WaitOnMain(lock, [&] { return done_.count(index) > 0 || worker_.run_ != this; });
        if (const auto it = done_.find(index); it != done_.end()) {
            written = std::move(it->second);
            done_.erase(it);
        }
    }
    return written;
}

ReadAheadWorker::ReadAheadWorker() : pid_(::getpid()) {
    const unsigned processors = std::thread::hardware_concurrency();
    const unsigned workers = std::clamp(processors > 1 ? processors - 1 : 1u, 1u, kWorkers);
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { Serve(); });
}

ReadAheadWorker::~ReadAheadWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    forWorkers_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

bool ReadAheadWorker::Worthwhile() { return std::thread::hardware_concurrency() > 1; }

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

bool ReadAheadWorker::MayReadMore(const ReadAheadRun& run) const {
    return run.next_ <= run.last_ && run.next_ - run.taken_ <= kFilesAhead;
}

// Once the workers are as far ahead as they may be, they go on when half of
// that has been taken, not at every file: the threads wake each other seldom.
bool ReadAheadWorker::MayResume(const ReadAheadRun& run) const {
    return run.next_ <= run.last_ && run.next_ - run.taken_ <= kFilesAhead / 2;
}

void ReadAheadWorker::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!ending_ && !(run_ && MayReadMore(*run_))) {
            ++workersWaiting_;
            forWorkers_.wait(lock, [&] { return ending_ || (run_ && MayResume(*run_)); });
            --workersWaiting_;
        }
        if (ending_) return;
        ReadAheadRun& run = *run_;
        const int32_t index = run.next_++;
        ++run.busy_;
        lock.unlock();
        std::optional<PendingEmlx> written;
        // The main thread reads the folder's listing and the destination
        // too, but changes neither while the run lasts; this entry's items
        // are the worker's until they are handed over.
        if (Ref<FolderItem> entry = run.folder_.ListedItem(index); entry && ReadsAhead(*entry)) {
            try {
                EmlxDraft draft = ReadEmlxDraft(*entry, BuildPropertyListTrailer);
                written = WriteEmlxPending(run.destination_.Child(EmlxFileName(entry->Name())), draft);
            } catch (...) {
                written.reset();  // done again on the main thread, which reports it
            }
        }
        lock.lock();
        --run.busy_;
        run.done_.emplace(index, std::move(written));
        if (mainWaiting_ && (index == mainWaitsFor_ || run.busy_ == 0)) forMain_.notify_one();
    }
}
