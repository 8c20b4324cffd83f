#pragma once
// Exceptions that no handler of the program took. The framework calls the
// program's code through the program's exception helper, which hands a
// RuntimeException back as an object instead of letting it unwind through the
// framework; whatever comes back, or passes, goes to RuntimeUnhandledException.
#include <exception>

#include "framework/Delegate.h"
#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

// An exception as an object of the framework.
class ExceptionObject : public Object {
public:
    explicit ExceptionObject(std::exception_ptr exception) : exception_(std::move(exception)) {}
    std::exception_ptr Exception() const { return exception_; }
    // The exception's text.
    String Message() const;

private:
    std::exception_ptr exception_;
};

// The text of an exception ("unknown exception" when it carries none).
String ExceptionMessage(const std::exception_ptr& exception);

// Installs the program's exception helper: called with a routine and its
// argument, it runs the routine and returns the RuntimeException it raised as
// an ExceptionObject, or Nil; other exceptions pass on. Nil uninstalls it.
void RuntimeSetExceptionHelper(const Ref<EntryPoint>& helper);

using FrameworkRoutine = void (*)(void* argument);
// Runs the routine through the helper (directly when none is installed): the
// exception it raised, as the helper hands it back; Nil when it raised none.
// Exceptions the helper lets pass reach the caller.
Ref<ExceptionObject> RunThroughExceptionHelper(FrameworkRoutine routine, void* argument);

// The framework's handling of an exception that nothing else took: the
// application's "UnhandledException" event may claim it; otherwise it goes to
// standard error and into an alert with its text, and the application goes
// on. Raised outside the event loop (a start-up that failed), it marks the run
// as failed, so RuntimeExit returns a non-zero exit code. Never raises.
void RuntimeUnhandledException(std::exception_ptr exception) noexcept;

}  // namespace fw
