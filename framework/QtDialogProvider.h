#pragma once
#include "framework/Dialogs.h"

namespace fw {
// The dialogs of the running application, on Qt.
class QtDialogProvider : public DialogProvider {
public:
    int32_t MsgBox(const String& prompt, int32_t buttons, const String& title) override;
    Ref<FolderItem> SelectFolder(const String& prompt, const std::string& startFolder) override;
    Ref<FolderItem> GetOpenFolderItem(const String& filter, const std::string& startFolder) override;
    void Beep() override;
};
}  // namespace fw
