#include "app/Startup.h"
#include "framework/UnhandledException.h"

fw::Ref<fw::Object> ExceptionHelperCallback(fw::Ptr routine, fw::Ptr argument) {
    try {
        reinterpret_cast<fw::FrameworkRoutine>(routine)(argument);
    } catch (const fw::RuntimeException&) {
        return fw::New<fw::ExceptionObject>(std::current_exception());
    }
    return fw::Nil;
}

void EmptyInitCallback() {}
