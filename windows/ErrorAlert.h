#pragma once
#include "framework/FolderItem.h"
#include "framework/Text.h"

// Reports an unexpected failure: one fixed text in a modal alert with an OK
// button and no title. When the alert cannot be shown, a beep instead.
void Msg_ShowError(const fw::String& Message);

// Inside a catch-all: writes the member's text and the caught exception's own
// text to standard error, so that the reason of the alert can be found. With
// the file or folder the failure is about (`about`, or else the one a
// ReportsAbout names), the line names it where that text does not (a want
// of memory, say).
void ReportCaughtException(const fw::String& text, const fw::Ref<fw::FolderItem>& about = nullptr);
// Inside a catch-all: reports the exception, then shows the text, unchanged,
// through Msg_ShowError.
void ShowCaughtError(const fw::String& text, const fw::Ref<fw::FolderItem>& about = nullptr);

// While it lasts, the catch-alls of the members it calls (the trailer's, the
// date's) name this file on standard error: the message they failed on.
class ReportsAbout {
public:
    explicit ReportsAbout(fw::Ref<fw::FolderItem> item);
    ~ReportsAbout();
    ReportsAbout(const ReportsAbout&) = delete;
    ReportsAbout& operator=(const ReportsAbout&) = delete;

private:
    fw::Ref<fw::FolderItem> outer_;
};

// A member's catch-all: runs the body; on any exception reports it with the
// member's text (ShowCaughtError) and returns the result type's default.
template <class Body>
auto WithCatchAll(const fw::String& text, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        ShowCaughtError(text);
        return decltype(body())();
    }
}
