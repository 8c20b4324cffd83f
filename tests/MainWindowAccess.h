#pragma once
// Reaches the protected members of MainWindow from the tests.
#include "windows/MainWindow.h"

struct MainWindowTestAccess {
    static fw::Ref<fw::FolderItem> ConvertSingleFile(MainWindow& w, fw::Ref<fw::FolderItem> source) {
        return w.p_ConvertSingleFile(std::move(source));
    }
    static fw::String GetPList(MainWindow& w, const fw::String& message) { return w.p_GetPList(message); }
    static void ConvertFile(MainWindow& w, fw::Ref<fw::FolderItem> source, fw::Ref<fw::FolderItem> dest) {
        w.p_ConvertFile(std::move(source), std::move(dest));
    }
    static void ConvertFileObs(MainWindow& w, fw::Ref<fw::FolderItem> source, fw::Ref<fw::FolderItem> dest) {
        w.p_ConvertFile_Obs(std::move(source), std::move(dest));
    }
    static void CountItems(MainWindow& w, fw::Ref<fw::FolderItem> folder) { w.p_CountItems(std::move(folder)); }
    static void Convert(MainWindow& w, fw::Ref<fw::FolderItem> src, fw::Ref<fw::FolderItem> dst, bool top) {
        w.p_Convert(std::move(src), std::move(dst), top);
    }
    static void ConvertMBox(MainWindow& w, fw::Ref<fw::FolderItem> src, fw::Ref<fw::FolderItem> dst, bool top) {
        w.p_Convert_MBox(std::move(src), std::move(dst), top);
    }
    static void ConvertMailStructure(MainWindow& w, fw::Ref<fw::FolderItem> src, fw::Ref<fw::FolderItem> dst,
                                     bool top) {
        w.p_Convert_MBox_MailStructure(std::move(src), std::move(dst), top);
    }
    static void ClearBatchOutputsWritten(MainWindow& w) { w.ClearBatchOutputsWritten(); }
    static void SetTargetFolder(MainWindow& w) { w.p_SetTargetFolder(); }
    static int32_t& ItemCount(MainWindow& w) { return w.ItemCount; }
    static fw::Ref<fw::FolderItem>& SourceFolder(MainWindow& w) { return w.SourceFolder; }
    static fw::Ref<fw::FolderItem>& TargetFolder(MainWindow& w) { return w.TargetFolder; }
};
