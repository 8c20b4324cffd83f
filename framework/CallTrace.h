#pragma once
// The program's use of the framework, observable. The operations that set the
// application up, run it and shut it down report themselves here before they
// act: their name ("RuntimeRegisterAppObject") and a detail (a class name, an
// item name). An observer that raises makes that operation fail with its
// exception, as if the framework had raised it.
#include <functional>
#include <string>

namespace fw {

using CallObserver = std::function<void(const std::string& operation, const std::string& detail)>;

// Installs an observer (empty for none) and returns the one it replaces.
CallObserver SetCallObserver(CallObserver observer);
void TraceCall(const char* operation, const std::string& detail = std::string());

}  // namespace fw
