#pragma once
// The toolkit's own threads, settled once at start-up.

namespace fw {

// The toolkit paints parts of its pictures on a pool of threads, and each of
// them holds a handle for its event loop. Left alone, the pool grows when the
// machine is busy and shrinks after a pause, so the handles it holds change
// in the middle of a batch run, at moments no one chooses: near the open-file
// limit a run would then give another result each time, and one with the
// workers reading ahead (which keep the machine busy) another than one
// without. So the pool gets one thread, started now and kept for good.
void SettleToolkitThreads();

}  // namespace fw
