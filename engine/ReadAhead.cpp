#include "engine/ReadAhead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <new>
#include <unistd.h>

#include "engine/BatchRules.h"
#include "engine/DateStamp.h"
#include "engine/PropertyListTrailer.h"
#include "framework/Exceptions.h"
#include "framework/WorkerThreads.h"

using namespace fw;

namespace {
// Reading, converting and writing a file takes longer than putting it in
// place: a few workers keep the main thread going.
constexpr int32_t kMostWorkers = 3;

std::atomic<const ReadAheadProbe*> probe{nullptr};

// What the files held ahead take from the process and the disk: handles,
// room on the disk (a quota, the largest file allowed), memory.
constexpr std::array<int, 6> kWantsOfWhatIsHeld = {EMFILE, ENFILE, ENOSPC, EDQUOT, EFBIG, ENOMEM};

// The files the walk converts, judged as the walk judges them, without a
// look at the disk: what the listing gave as a regular file.
bool ReadsAhead(const Ref<FolderItem>& entry) {
    return entry && entry->ListedAs() == FolderItem::Listed::File && WalkEntryKind(entry) == WalkEntry::File;
}

String TrailerAhead(const String& header) { return BuildPropertyListTrailer(header, UnixTimeStamp); }

// A file that is left to the main thread.
struct NotAhead {};

// A file is done ahead as the main thread would do it, but where its output
// cannot be made without a name it is only read and converted: its hidden
// name is the main thread's to give, one file at a time. A failure for want
// of what the workers hold stops the run; the main thread does any file
// that failed here at its turn, as one thread does it.
AheadResult ConvertAhead(const AheadJob& job) noexcept {
    AheadResult result;
    try {
        if (const ReadAheadProbe* watching = probe.load())
            if (watching->beforeWork) watching->beforeWork(job.index);
        const Ref<FolderItem> entry = job.run->Folder().ListedItem(job.index);
        if (!ReadsAhead(entry)) return result;
        EmlxDraft draft = ReadEmlxDraft(*entry, TrailerAhead, [&](uint64_t size) {
            if (size > ReadAheadRun::kLargestAhead) throw NotAhead();
            result.bytes = size;
        });
        result.work.written = WriteEmlxWithoutName(job.run->Destination().Child(EmlxFileName(entry->Name())), draft);
        if (!result.work.written) result.work.draft = std::move(draft);
    } catch (const NotAhead&) {
        result.work = AheadWork();
    } catch (...) {
        result.work = AheadWork();
        result.failed = FailedForWantOfWhatIsHeld();
    }
    return result;
}
}  // namespace

bool FailedForWantOfWhatIsHeld() {
    try {
        throw;
    } catch (const IOException& e) {
        return std::find(kWantsOfWhatIsHeld.begin(), kWantsOfWhatIsHeld.end(), e.ErrorNumber()) != kWantsOfWhatIsHeld.end();
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

void SetReadAheadProbe(const ReadAheadProbe* watching) { probe.store(watching); }

ReadAheadRun::ReadAheadRun(ReadAheadWorker& worker, const FolderItem& folder, const FolderItem& destination,
                           int32_t first, int32_t last)
    : queue_(worker.Queue()), folder_(folder), destination_(destination) {
    queue_.Begin(*this, first, last);
}

ReadAheadRun::~ReadAheadRun() { queue_.End(*this); }

int32_t ReadAheadRun::LastOfRun(const FolderItem& folder, int32_t first, int32_t count) {
    int32_t last = first;
    for (; last < count; ++last) {
        const Ref<FolderItem> next = folder.ListedItem(last + 1);
        const FolderItem::Listed kind = next ? next->ListedAs() : FolderItem::Listed::Unknown;
        if (kind == FolderItem::Listed::Folder || kind == FolderItem::Listed::Unknown) break;
    }
    return last;
}

AheadTurn ReadAheadRun::Take(int32_t index, const FolderItem& entry) {
    AheadTurn turn = queue_.TakeTurn(*this, index);
    // A file edited, replaced or removed since it was read is done again, as one thread would.
    const FolderItem::Snapshot* read = turn.work.written ? &turn.work.written->source
                                       : turn.work.draft ? &turn.work.draft->source
                                                         : nullptr;
    if (read && !entry.Unchanged(*read)) turn.work = AheadWork();
    if (!turn.work.Empty())
        if (const ReadAheadProbe* watching = probe.load())
            if (watching->takenAhead) watching->takenAhead();
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
    queue_.Close();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

bool ReadAheadWorker::Ours() const { return ::getpid() == pid_; }

// A job's items are the worker's until they are handed over.
void ReadAheadWorker::Serve() {
    for (std::optional<AheadJob> job = queue_.TakeUp(); job;) job = queue_.Finish(*job, ConvertAhead(*job));
}
