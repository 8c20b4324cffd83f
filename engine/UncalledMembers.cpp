// Two members that nothing in the program calls: the older batch writer,
// which took its source's first line as a character count, and a test of
// existence.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "framework/Date.h"
#include "framework/TextStreams.h"
#include "windows/MainWindow.h"

using namespace fw;

void MainWindow::p_ConvertFile_Obs(Ref<FolderItem> source, Ref<FolderItem> destination) {
    const ReportsAbout about(source);
    try {
        EmlxDraft draft;
        draft.type = source->MacType();
        draft.creator = source->MacCreator();
        Ref<TextInputStream> in = source->OpenAsTextFile();
        const int32_t n = RuntimeCvtReal64ToSInt32(StringVal(in->ReadLine(Nil)));
        String text = StringDBCSLeft(in->ReadAll(Nil), n);
        text = StringReplaceAll(std::move(text), StringDBCSChr(13) + StringDBCSChr(10), StringDBCSChr(10));
        draft.source = in->Seen();
        in->Close();
        draft.message = MessageBuffer(text.Bytes());
        EndWithLineEnd(draft.message);
        draft.trailer = TrailerOf(draft.message, [this](const String& header) { return p_GetPList(header); });
        // CreateTextFile raises rather than giving no stream, and the content
        // is already in encoding 43, so the shared writer does what this one did.
        WriteBatchOutput(*source, destination, std::move(draft));
    } catch (...) {
        AlertCaughtFailure(kAlertConvertFile, source);
    }
}

bool MainWindow::Desktop_FileExists(Ref<FolderItem> item) {
    try {
        return item->Exists();
    } catch (...) {
        ShowCaughtError(kAlertDesktopFileExists);
        return false;
    }
}
