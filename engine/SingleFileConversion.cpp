// "Convert": one message file into its ".emlx" file beside it.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "framework/Exceptions.h"
#include "framework/HandleLimit.h"
#include "framework/NameFolding.h"
#include "windows/MainWindow.h"

using namespace fw;

Ref<FolderItem> MainWindow::p_ConvertSingleFile(Ref<FolderItem> source) {
    const ReportsAbout about(source);  // what the trailer's and the date's catch-alls report
    try {
        FixHandleBudget();
        EmlxDraft draft = ReadEmlxDraft(*source, [this](const String& header) { return p_GetPList(header); });
        Ref<FolderItem> output = SourceFile->Parent()->Child(EmlxFileName(source->Name()));
        // "M.EMLX" gives "M.emlx": on a volume that folds letter case, that is
        // the source, whatever the volume says of the two entries.
        if (FoldedPlace(*output) == FoldedPlace(*source))
            throw IOException("the output " + output->Path().string() + " is its own source");
        WriteEmlxFile(output, *source, draft);
        return output;
    } catch (...) {
        AlertCaughtFailure(kAlertConvertSingleFile, source);
        return Nil;
    }
}
