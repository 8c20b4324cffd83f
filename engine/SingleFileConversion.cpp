// "Convert": one message file into its ".emlx" file beside it.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "framework/Dialogs.h"
#include "windows/MainWindow.h"

using namespace fw;

Ref<FolderItem> MainWindow::p_ConvertSingleFile(Ref<FolderItem> source) {
    try {
        EmlxDraft draft = ReadEmlxDraft(*source, [this](const String& message) { return p_GetPList(message); });
        Ref<FolderItem> output = SourceFile->Parent()->Child(EmlxFileName(source->Name()));
        WriteEmlxFile(*output, *source, std::move(draft));
        return output;
    } catch (...) {
        RuntimeMsgBox(kAlertConvertSingleFile);
        return Nil;
    }
}
