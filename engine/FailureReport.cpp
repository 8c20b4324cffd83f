#include "engine/FailureReport.h"

#include <cstdio>
#include <exception>
#include <string>

#include "framework/Dialogs.h"
#include "windows/ErrorAlert.h"

namespace {

void PrintCaughtFailure(const fw::String& alert) {
    std::string reason = "unknown failure";
    try {
        throw;
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
    }
    std::fprintf(stderr, "Quelmar: %s: %s\n", alert.ToUTF8().c_str(), reason.c_str());
    std::fflush(stderr);
}

}  // namespace

void AlertCaughtFailure(const fw::String& alert) {
    PrintCaughtFailure(alert);
    fw::RuntimeMsgBox(alert);
}

void ShowCaughtError(const fw::String& alert) {
    PrintCaughtFailure(alert);
    Msg_ShowError(alert);
}
