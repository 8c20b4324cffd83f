#pragma once
// Every modal dialog and the beep go through one replaceable provider: the
// application uses Qt's dialogs; tests install a scripted one that answers
// and records.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/FolderItem.h"
#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    // A modal alert; returns the code of the button pressed.
    virtual int32_t MsgBox(const String& prompt, int32_t buttons, const String& title) = 0;
    // The choosers open in startFolder (DialogStartFolder); Nil when cancelled.
    virtual Ref<FolderItem> SelectFolder(const String& prompt, const std::string& startFolder) = 0;
    virtual Ref<FolderItem> GetOpenFolderItem(const String& filter, const std::string& startFolder) = 0;
    virtual void Beep() = 0;  // may be called from any thread
};

// Installs a provider and returns the one it replaces.
std::unique_ptr<DialogProvider> SetDialogProvider(std::unique_ptr<DialogProvider> provider);
DialogProvider& Dialogs();

// The framework's alerts and dialogs; each checks that it runs on the main thread.
// The choosers open where the last choice was made (framework/DialogStartFolder.h).
void RuntimeMsgBox(const String& text);
int32_t VB_RuntimeMsgBox(const String& prompt, int32_t buttons, const String& title);
Ref<FolderItem> RuntimeSelectFolder(const String& prompt = String());
Ref<FolderItem> RuntimeGetOpenFolderItem(const String& filter);
void RuntimeBeep();

}  // namespace fw
