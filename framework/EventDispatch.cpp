#include "framework/EventDispatch.h"

#include "framework/UnhandledException.h"

namespace fw {

namespace {
std::exception_ptr& Escaped() {
    static std::exception_ptr escaped;
    return escaped;
}

void RunRaise(void* raise) { (*static_cast<const std::function<void()>*>(raise))(); }
}  // namespace

void DeliverEvent(const std::function<void()>& raise) noexcept {
    try {
        Ref<ExceptionObject> raised = RunThroughExceptionHelper(&RunRaise, const_cast<std::function<void()>*>(&raise));
        if (raised) RuntimeUnhandledException(raised->Exception());
    } catch (...) {
        RuntimeUnhandledException(std::current_exception());
    }
}

std::exception_ptr TakeEscapedException() {
    std::exception_ptr e = Escaped();
    Escaped() = nullptr;
    return e;
}

void KeepEscapedException(std::exception_ptr exception) { Escaped() = std::move(exception); }

}  // namespace fw
