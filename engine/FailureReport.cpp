#include "engine/FailureReport.h"

#include "framework/Dialogs.h"

void AlertCaughtFailure(const fw::String& alert) {
    ReportCaughtException(alert);
    fw::RuntimeMsgBox(alert);
}
