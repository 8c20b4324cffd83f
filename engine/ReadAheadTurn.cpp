// The walk's side of reading ahead: which workers a run has, and each file
// of a level at its turn, with what was done ahead of it.
#include <memory>

#include "engine/ReadAhead.h"
#include "windows/MainWindow.h"

using namespace fw;

// The workers that read ahead, when the layer allows them; started once per
// window (and again in a forked child, which has not got the threads, or
// when the number allowed has changed). None once a run goes on alone.
ReadAheadWorker* MainWindow::BatchReadAhead() {
    const int32_t threads = ReadAheadWorker::ThreadsWanted();
    if (batchAlone_ || threads == 0) return nullptr;
    if (readAhead_ && !readAhead_->Ours()) new std::shared_ptr<ReadAheadWorker>(std::move(readAhead_));  // not ours to end
    if (readAhead_ && readAhead_->Threads() != threads) readAhead_.reset();
    if (!readAhead_) {
        try {
            readAhead_ = std::make_shared<ReadAheadWorker>(threads);
        } catch (...) {
            return nullptr;  // no threads to be had: the main thread does it all, as it can
        }
    }
    return readAhead_.get();
}

// The batch writer for entry `index`, with what was done ahead of it. The
// files up to the next folder are looked at once, at the first of them, and
// `runLast` keeps the last of them: the main thread does not look ahead
// again at every file.
//
// A worker or the main thread that failed at the file for want of what the
// workers hold (handles, room on the disk, memory) may not fail alone: all
// that is held ahead is dropped, and the file is done again by the main
// thread alone. When it fails alone too, reading ahead goes on after it;
// when it does not, the run goes on alone. A file's own failure (it is gone,
// unreadable, a broken link) is alerted at its turn, as one thread alerts
// it, and reading ahead goes on. Either way the run gives what one thread gives.
void MainWindow::ConvertInTurn(FolderItem& source, int32_t index, int32_t count, const Ref<FolderItem>& entry,
                               const Ref<FolderItem>& destination, std::optional<ReadAheadRun>& run,
                               int32_t& runLast) {
    if (index > runLast) {
        run.reset();
        runLast = ReadAheadRun::LastOfRun(source, index, count);
    }
    if (!run && index < runLast)
        if (ReadAheadWorker* worker = BatchReadAhead()) run.emplace(*worker, source, *destination, index, runLast);
    if (!run) {
        p_ConvertFile(entry, destination);
        return;
    }
    AheadTurn turn = run->Take(index, *entry);
    if (!turn.workerFailed && ConvertBatchFile(entry, destination, std::move(turn.work), true) != BatchFileDone::GivenBack)
        return;
    run.reset();
    batchAlone_ = ConvertBatchFile(entry, destination, AheadWork(), false) == BatchFileDone::Converted;
}
