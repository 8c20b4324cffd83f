#include "framework/UnhandledException.h"

#include <cstdio>

#include "framework/Application.h"
#include "framework/CallTrace.h"
#include "framework/Dialogs.h"
#include "framework/EventDispatch.h"

namespace fw {

namespace {
Ref<EntryPoint>& Helper() {
    static Ref<EntryPoint> helper;
    return helper;
}

// The application's own handler claims the exception when it returns True.
bool ClaimedByApplication(const std::exception_ptr& exception) {
    Ref<Application> app = getAppObject();
    if (app.IsNil()) return false;
    Value claimed;
    if (!app->RaiseEvent("UnhandledException", {Ref<Object>(New<ExceptionObject>(exception))}, &claimed))
        return false;
    return std::holds_alternative<bool>(claimed) && std::get<bool>(claimed);
}
}  // namespace

String ExceptionMessage(const std::exception_ptr& exception) {
    try {
        if (exception) std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        return String(e.what());
    } catch (...) {
    }
    return String("unknown exception");
}

String ExceptionObject::Message() const { return ExceptionMessage(exception_); }

void RuntimeSetExceptionHelper(const Ref<EntryPoint>& helper) {
    if (helper) TraceCall("RuntimeSetExceptionHelper");
    Helper() = helper;
}

Ref<ExceptionObject> RunThroughExceptionHelper(FrameworkRoutine routine, void* argument) {
    if (Helper().IsNil()) {
        routine(argument);
        return Nil;
    }
    const Value returned = Helper()->Call({reinterpret_cast<Ptr>(routine), argument});
    return ValueTraits<Ref<ExceptionObject>>::From(returned);
}

void RuntimeUnhandledException(std::exception_ptr exception) noexcept {
    const std::string text = ExceptionMessage(exception).ToUTF8();
    try {
        TraceCall("RuntimeUnhandledException", text);
        KeepEscapedException(exception);
        if (!EventLoopRunning()) MarkRunFailed();
        if (ClaimedByApplication(exception)) return;
    } catch (...) {
        // the application's own handler failed: the exception is reported all the same
    }
    std::fprintf(stderr, "Quelmar: unhandled exception: %s\n", text.c_str());
    try {
        VB_RuntimeMsgBox(String(text), 0, String("Unhandled exception"));
    } catch (...) {
        RuntimeBeep();
    }
}

}  // namespace fw
