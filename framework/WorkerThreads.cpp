#include "framework/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace fw {

namespace {
constexpr int32_t kDefault = -1;
std::atomic<int32_t> chosen{kDefault};
}  // namespace

int32_t WorkerThreads(int32_t most) {
    const int32_t set = chosen.load();
    if (set != kDefault) return set;
    const int32_t processors = static_cast<int32_t>(std::thread::hardware_concurrency());
    return std::clamp(processors - 1, 0, std::max(most, 0));
}

void SetWorkerThreads(std::optional<int32_t> count) { chosen.store(count ? std::max(*count, 0) : kDefault); }

}  // namespace fw
