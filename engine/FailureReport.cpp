#include "engine/FailureReport.h"

#include "framework/Dialogs.h"
#include "windows/ErrorAlert.h"

void AlertCaughtFailure(const fw::String& alert) {
    ReportCaughtException(alert);
    fw::RuntimeMsgBox(alert);
}

void ShowCaughtError(const fw::String& alert) { ShowCaughtException(alert); }
