#include "framework/EventDispatch.h"

#include "framework/UnhandledException.h"
#include "framework/Window.h"

namespace fw {

namespace {
std::exception_ptr& Escaped() {
    static std::exception_ptr escaped;
    return escaped;
}

void RunRaise(void* raise) { (*static_cast<const std::function<void()>*>(raise))(); }

int g_handlerDepth = 0;
}  // namespace

void DeliverEvent(const std::function<void()>& raise) noexcept {
    ++g_handlerDepth;
    try {
        Ref<ExceptionObject> raised = RunThroughExceptionHelper(&RunRaise, const_cast<std::function<void()>*>(&raise));
        if (raised) RuntimeUnhandledException(raised->Exception());
    } catch (...) {
        RuntimeUnhandledException(std::current_exception());
    }
    --g_handlerDepth;
    try {
        ShowDialogsLeftUnshown();  // that the handler built and never showed
    } catch (...) {
        RuntimeUnhandledException(std::current_exception());
    }
}

int HandlerDepth() { return g_handlerDepth; }

std::exception_ptr TakeEscapedException() {
    std::exception_ptr e = Escaped();
    Escaped() = nullptr;
    return e;
}

void KeepEscapedException(std::exception_ptr exception) { Escaped() = std::move(exception); }

}  // namespace fw
