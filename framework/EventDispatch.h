#pragma once
// Events that the event loop delivers (a click, a key, a timer) run their
// handlers through DeliverEvent. An exception that leaves such a handler must
// not unwind through Qt: it is kept, the event loop is ended, and RuntimeRun
// raises it to its caller, the start-up's guard.
#include <exception>
#include <functional>

namespace fw {

void DeliverEvent(const std::function<void()>& raise) noexcept;

// The exception that ended the event loop, taken (null when there was none).
std::exception_ptr TakeEscapedException();
// Raises the kept exception, if any; RuntimeRun calls it when the loop ends.
void RethrowEscapedException();

}  // namespace fw
