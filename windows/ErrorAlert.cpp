#include "windows/ErrorAlert.h"

#include <cstdio>
#include <exception>
#include <string>

#include "framework/Dialogs.h"
#include "framework/UnhandledException.h"

void Msg_ShowError(const fw::String& Message) {
    try {
        (void)fw::VB_RuntimeMsgBox(Message, 0, fw::String());
    } catch (...) {
        fw::RuntimeBeep();
    }
}

void ReportCaughtException(const fw::String& text, const fw::Ref<fw::FolderItem>& about) {
    std::string reason = fw::ExceptionMessage(std::current_exception()).ToUTF8();
    if (about) {
        const std::string path = about->Path().string();
        if (reason.find(path) == std::string::npos) reason = path + ": " + reason;
    }
    std::fprintf(stderr, "Quelmar: %s: %s\n", text.ToUTF8().c_str(), reason.c_str());
    std::fflush(stderr);
}

void ShowCaughtError(const fw::String& text) {
    ReportCaughtException(text);
    Msg_ShowError(text);
}
