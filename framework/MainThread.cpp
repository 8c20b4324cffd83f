#include "framework/MainThread.h"

#include <thread>

#include "framework/Exceptions.h"

namespace fw {

namespace {
// Static initialisation runs on the thread that starts the process.
const std::thread::id kMainThread = std::this_thread::get_id();
}  // namespace

bool OnMainThread() { return std::this_thread::get_id() == kMainThread; }

void RequireMainThread() {
    if (!OnMainThread()) throw ThreadAccessingUIException();
}

}  // namespace fw
