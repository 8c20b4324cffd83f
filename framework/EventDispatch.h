#pragma once
// Events that the event loop delivers (a click, a key, a timer, a menu
// choice) run their handlers through DeliverEvent. An exception that leaves
// such a handler must not unwind through Qt, nor end the application: it goes
// to RuntimeUnhandledException, which reports it, and the loop goes on.
#include <exception>
#include <functional>

namespace fw {

void DeliverEvent(const std::function<void()>& raise) noexcept;
// How many delivered handlers are running now, one inside the other (0 outside any).
int HandlerDepth();

// The last exception that no handler took, taken (null when there was none).
std::exception_ptr TakeEscapedException();
void KeepEscapedException(std::exception_ptr exception);

}  // namespace fw
