#include "framework/Dialogs.h"

#include "framework/Application.h"
#include "framework/DialogStartFolder.h"
#include "framework/MainThread.h"
#include "framework/QtDialogProvider.h"

namespace fw {

namespace {
std::unique_ptr<DialogProvider>& Provider() {
    static std::unique_ptr<DialogProvider> provider = std::make_unique<QtDialogProvider>();
    return provider;
}
}  // namespace

std::unique_ptr<DialogProvider> SetDialogProvider(std::unique_ptr<DialogProvider> provider) {
    std::swap(Provider(), provider);
    return provider;
}

DialogProvider& Dialogs() { return *Provider(); }

void RuntimeMsgBox(const String& text) {
    RequireMainThread();
    if (QuitRequested()) return;  // the application is on its way out; no alert holds it up
    Dialogs().MsgBox(text, 0, String());
}

int32_t VB_RuntimeMsgBox(const String& prompt, int32_t buttons, const String& title) {
    RequireMainThread();
    if (QuitRequested()) return 0;
    return Dialogs().MsgBox(prompt, buttons, title);
}

Ref<FolderItem> RuntimeSelectFolder(const String& prompt) {
    RequireMainThread();
    Ref<FolderItem> chosen = Dialogs().SelectFolder(prompt, DialogStartFolder());
    if (chosen) RememberDialogFolder(chosen->AbsolutePath().ToUTF8());
    return chosen;
}

Ref<FolderItem> RuntimeGetOpenFolderItem(const String& filter) {
    RequireMainThread();
    Ref<FolderItem> chosen = Dialogs().GetOpenFolderItem(filter, DialogStartFolder());
    if (chosen)
        if (Ref<FolderItem> folder = chosen->Parent()) RememberDialogFolder(folder->AbsolutePath().ToUTF8());
    return chosen;
}

void RuntimeBeep() {
    // Once the application quits no dialog comes up, and none beeps for it.
    if (OnMainThread() && QuitRequested()) return;
    Dialogs().Beep();
}

}  // namespace fw
