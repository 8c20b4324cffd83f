#include "windows/MainWindow.h"
using namespace fw;
void MainWindow::p_Convert(Ref<FolderItem>, Ref<FolderItem>, bool) {}
Ref<FolderItem> MainWindow::p_ConvertSingleFile(Ref<FolderItem>) { return Nil; }
String MainWindow::p_GetPList(String) { return String(); }
void MainWindow::p_ConvertFile_Obs(Ref<FolderItem>, Ref<FolderItem>) {}
void MainWindow::p_CountItems(Ref<FolderItem>) {}
void MainWindow::p_Convert_MBox(Ref<FolderItem>, Ref<FolderItem>, bool) {}
void MainWindow::p_Convert_MBox_MailStructure(Ref<FolderItem>, Ref<FolderItem>, bool) {}
void MainWindow::p_ConvertFile(Ref<FolderItem>, Ref<FolderItem>) {}
bool MainWindow::Desktop_FileExists(Ref<FolderItem>) { return false; }
