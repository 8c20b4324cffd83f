// A folder where files fail on their own, converted through a real main
// window, offscreen, with the main thread alone and with three workers
// reading ahead, paired in one process: each round runs both, taking turns
// at going first. Each failing file's alert is answered at once.
// Usage: failing_files_bench SOURCE TARGET ROUNDS
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BatchRun.h"
#include "PrintingDialogs.h"
#include "framework/FolderItem.h"
#include "framework/WorkerThreads.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

struct Timed {
    double seconds;
    int32_t converted;
};

// One run in the mirror layout with that many workers, into the emptied target.
Timed ConvertOnce(MainWindow& window, const Ref<FolderItem>& source, const std::filesystem::path& target,
                  int32_t workers) {
    for (const auto& entry : std::filesystem::directory_iterator(target)) std::filesystem::remove_all(entry);
    SetWorkerThreads(workers);
    const auto start = std::chrono::steady_clock::now();
    RunBatch(window, source, FolderItemFromPath(target), "p_Convert");
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), window.StatusBar()->Value()};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET ROUNDS\n", argv[0]);
        return 2;
    }
    StartBenchRuntime(argv);
    Ref<FolderItem> source = FolderItemFromPath(argv[1]);
    const std::filesystem::path target = argv[2];
    const int rounds = std::max(1, std::stoi(argv[3]));
    Ref<MainWindow> window = GetMainWindowInstance();
    window->Show();
    ConvertOnce(*window, source, target, 0);  // warms the caches and the window
    std::vector<double> times[2];  // the main thread alone, three workers
    int32_t converted[2] = {0, 0};
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (round + turn) % 2;
            const Timed run = ConvertOnce(*window, source, target, which ? 3 : 0);
            times[which].push_back(run.seconds);
            converted[which] = run.converted;
        }
        std::printf("round %d: one thread %.3f s, three workers %.3f s\n", round + 1, times[0].back(), times[1].back());
    }
    const double alone = Median(times[0]), ahead = Median(times[1]);
    std::printf("medians of %d: one thread %.3f s (%d converted), three workers %.3f s (%d converted): %.2fx\n",
                rounds, alone, converted[0], ahead, converted[1], ahead / alone);
    window->Close();
    return converted[0] == converted[1] ? 0 : 1;
}
