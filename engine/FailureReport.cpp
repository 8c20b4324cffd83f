#include "engine/FailureReport.h"

#include "framework/Dialogs.h"
#include "windows/ErrorAlert.h"

void AlertCaughtFailure(const fw::String& alert, const fw::Ref<fw::FolderItem>& source) {
    ReportCaughtException(alert, source);
    fw::RuntimeMsgBox(alert);
}

void ShowCaughtError(const fw::String& alert) { ShowCaughtException(alert); }
