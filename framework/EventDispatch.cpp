#include "framework/EventDispatch.h"

#include <QtGlobal>

#include "framework/Application.h"

namespace fw {

namespace {
std::exception_ptr& Escaped() {
    static std::exception_ptr escaped;
    return escaped;
}
}  // namespace

void DeliverEvent(const std::function<void()>& raise) noexcept {
    try {
        raise();
    } catch (...) {
        try {
            throw;
        } catch (const std::exception& e) {
            qWarning("Quelmar: unhandled exception in an event handler: %s", e.what());
        } catch (...) {
            qWarning("Quelmar: unhandled exception in an event handler");
        }
        if (!Escaped()) Escaped() = std::current_exception();
        QuitApplication(1);
    }
}

std::exception_ptr TakeEscapedException() {
    std::exception_ptr e = Escaped();
    Escaped() = nullptr;
    return e;
}

void RethrowEscapedException() {
    if (std::exception_ptr e = TakeEscapedException()) std::rethrow_exception(e);
}

}  // namespace fw
