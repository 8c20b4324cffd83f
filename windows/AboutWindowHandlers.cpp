// The About window's version line and the two ways it closes.
#include "framework/Application.h"
#include "windows/AboutWindow.h"

using namespace fw;

void AboutWindow::StaticText3_Open(Ref<Label> sender) { sender->SetText("v." + getAppObject()->LongVersion()); }

void AboutWindow::CloseTimer_Action(Ref<Timer> sender) {
    sender->SetMode(Timer::kModeOff);
    Close();
}

bool AboutWindow::Event_MouseDown(int32_t, int32_t) {
    Close();
    return false;
}
