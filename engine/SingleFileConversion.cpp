// "Convert": one message file into its ".emlx" file beside it.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "framework/HandleLimit.h"
#include "windows/MainWindow.h"

using namespace fw;

Ref<FolderItem> MainWindow::p_ConvertSingleFile(Ref<FolderItem> source) {
    try {
        FixHandleBudget();
        EmlxDraft draft = ReadEmlxDraft(*source, [this](const String& header) { return p_GetPList(header); });
        Ref<FolderItem> output = SourceFile->Parent()->Child(EmlxFileName(source->Name()));
        WriteEmlxFile(output, *source, draft);
        return output;
    } catch (...) {
        AlertCaughtFailure(kAlertConvertSingleFile, source);
        return Nil;
    }
}
