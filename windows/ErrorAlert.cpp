#include "windows/ErrorAlert.h"

#include "framework/Dialogs.h"

void Msg_ShowError(const fw::String& Message) {
    try {
        (void)fw::VB_RuntimeMsgBox(Message, 0, fw::String());
    } catch (...) {
        fw::RuntimeBeep();
    }
}
