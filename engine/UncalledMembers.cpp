// Two members that nothing in the program calls: the older batch writer,
// which took its source's first line as a character count, and a test of
// existence.
#include "engine/EmlxFile.h"
#include "engine/EngineAlerts.h"
#include "framework/Date.h"
#include "framework/Dialogs.h"
#include "framework/TextStreams.h"
#include "windows/ErrorAlert.h"
#include "windows/MainWindow.h"

using namespace fw;

void MainWindow::p_ConvertFile_Obs(Ref<FolderItem> source, Ref<FolderItem> destination) {
    try {
        EmlxDraft draft;
        draft.type = source->MacType();
        draft.creator = source->MacCreator();
        Ref<TextInputStream> in = source->OpenAsTextFile();
        const int32_t n = RuntimeCvtReal64ToSInt32(StringVal(in->ReadLine(Nil)));
        String text = StringDBCSLeft(in->ReadAll(Nil), n);
        text = StringReplaceAll(std::move(text), StringDBCSChr(13) + StringDBCSChr(10), StringDBCSChr(10));
        in->Close();
        draft.content =
            JoinWithTrailer(std::move(text), [this](const String& message) { return p_GetPList(message); });
        // CreateTextFile raises rather than giving no stream, and the content
        // is already in encoding 43, so the shared writer does what this one did.
        WriteBatchOutput(*source, *destination, std::move(draft));
    } catch (...) {
        RuntimeMsgBox(kAlertConvertFile);
    }
}

bool MainWindow::Desktop_FileExists(Ref<FolderItem> item) {
    try {
        return item->Exists();
    } catch (...) {
        Msg_ShowError(kAlertDesktopFileExists);
        return false;
    }
}
