#include "windows/ErrorAlert.h"

#include <cstdio>
#include <exception>
#include <string>

#include "framework/Dialogs.h"
#include "framework/Exceptions.h"
#include "framework/UnhandledException.h"

void Msg_ShowError(const fw::String& Message) {
    try {
        (void)fw::VB_RuntimeMsgBox(Message, 0, fw::String());
    } catch (...) {
        fw::RuntimeBeep();
    }
}

namespace {
// What the catch-alls on the main thread are about now, when nothing closer says.
fw::Ref<fw::FolderItem>& AtHand() {
    static fw::Ref<fw::FolderItem> item;
    return item;
}

// Whether the exception names its own path: the layer's refusals of a file
// operation all do.
bool NamesItsPath(const std::exception_ptr& caught) {
    try {
        std::rethrow_exception(caught);
    } catch (const fw::IOException&) {
        return true;
    } catch (...) {
        return false;
    }
}
}  // namespace

void ReportCaughtException(const fw::String& text, const fw::Ref<fw::FolderItem>& about) {
    const std::exception_ptr caught = std::current_exception();
    std::string reason = fw::ExceptionMessage(caught).ToUTF8();
    const fw::Ref<fw::FolderItem>& subject = about ? about : AtHand();
    if (subject && !NamesItsPath(caught)) {
        const std::string path = subject->Path().string();
        if (reason.find(path) == std::string::npos) reason = path + ": " + reason;
    }
    std::fprintf(stderr, "Quelmar: %s: %s\n", text.ToUTF8().c_str(), reason.c_str());
    std::fflush(stderr);
}

ReportsAbout::ReportsAbout(fw::Ref<fw::FolderItem> item) : outer_(std::move(AtHand())) { AtHand() = std::move(item); }

ReportsAbout::~ReportsAbout() { AtHand() = std::move(outer_); }

void ShowCaughtError(const fw::String& text, const fw::Ref<fw::FolderItem>& about) {
    ReportCaughtException(text, about);
    Msg_ShowError(text);
}
