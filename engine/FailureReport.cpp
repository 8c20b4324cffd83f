#include "engine/FailureReport.h"

#include "framework/Dialogs.h"

void AlertCaughtFailure(const fw::String& alert, const fw::Ref<fw::FolderItem>& source) {
    ReportCaughtException(alert, source);
    fw::RuntimeMsgBox(alert);
}
