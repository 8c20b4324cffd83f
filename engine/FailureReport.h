#pragma once
// What the engine's catch-alls show: the plain alert of the per-file writers,
// and the alert of Msg_ShowError (ShowCaughtError, in ErrorAlert.h). Each
// writes the alert text and the failure's own text (the path and the system's
// reason) to standard error, so that a user with many alerts can find what
// each one was about; the alert itself keeps its text.
#include "framework/FolderItem.h"
#include "framework/Text.h"
#include "windows/ErrorAlert.h"

// Inside a catch-all: the plain alert (RuntimeMsgBox) of the per-file
// writers; standard error names the source, whatever failed.
void AlertCaughtFailure(const fw::String& alert, const fw::Ref<fw::FolderItem>& source);
