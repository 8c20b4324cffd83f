#pragma once
#include "framework/Text.h"

// Reports an unexpected failure: one fixed text in a modal alert with an OK
// button and no title. When the alert cannot be shown, a beep instead.
void Msg_ShowError(const fw::String& Message);
