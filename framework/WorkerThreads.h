#pragma once
// How many threads beside the main thread a program may use for work it can
// do ahead. Tests set the number, so that one thread and several can be
// compared on the same work.
#include <cstdint>
#include <optional>

namespace fw {

// The number set, or else one fewer than the processors, at most `most`:
// none on a machine with one processor.
int32_t WorkerThreads(int32_t most);
// 0: the main thread alone. None: the default again.
void SetWorkerThreads(std::optional<int32_t> count);

}  // namespace fw
