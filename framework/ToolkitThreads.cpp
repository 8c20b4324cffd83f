#include "framework/ToolkitThreads.h"

#include <QSemaphore>
#include <QThreadPool>

namespace fw {

namespace {
constexpr int kToolkitThreads = 1;
}  // namespace

void SettleToolkitThreads() {
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(kToolkitThreads);
    pool->setExpiryTimeout(-1);
    // Started now, while handles are plenty, and waited for.
    QSemaphore started;
    for (int i = 0; i < kToolkitThreads; ++i) pool->start([&started] { started.release(); });
    started.acquire(kToolkitThreads);
}

}  // namespace fw
