#include "windows/ErrorAlert.h"

#include <cstdio>
#include <exception>

#include "framework/Dialogs.h"
#include "framework/UnhandledException.h"

void Msg_ShowError(const fw::String& Message) {
    try {
        (void)fw::VB_RuntimeMsgBox(Message, 0, fw::String());
    } catch (...) {
        fw::RuntimeBeep();
    }
}

void ReportCaughtException(const fw::String& text) {
    const std::string reason = fw::ExceptionMessage(std::current_exception()).ToUTF8();
    std::fprintf(stderr, "Quelmar: %s: %s\n", text.ToUTF8().c_str(), reason.c_str());
    std::fflush(stderr);
}

void ShowCaughtError(const fw::String& text) {
    ReportCaughtException(text);
    Msg_ShowError(text);
}
