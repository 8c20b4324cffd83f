#pragma once
#include "framework/Text.h"

// Reports an unexpected failure: one fixed text in a modal alert with an OK
// button and no title. When the alert cannot be shown, a beep instead.
void Msg_ShowError(const fw::String& Message);

// A member's catch-all: runs the body; on any exception shows the member's
// text through Msg_ShowError and returns the result type's default.
template <class Body>
auto WithCatchAll(const fw::String& text, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        Msg_ShowError(text);
        return decltype(body())();
    }
}
