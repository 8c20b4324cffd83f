// The handlers of the main window and its enabling rule.
#include "windows/MainWindow.h"

using namespace fw;

void MainWindow::SourceDirectoryField_TextChange(Ref<TextField>) {}
void MainWindow::SourceDirSelectBtn_Action(Ref<BevelButton>) {}
void MainWindow::TargetDirectoryField_TextChange(Ref<TextField>) {}
void MainWindow::TargetDirSelectBtn_Action(Ref<BevelButton>) {}
void MainWindow::SourceFileField_TextChange(Ref<TextField>) {}
void MainWindow::SourceFileSelectBtn_Action(Ref<BevelButton>) {}
void MainWindow::ConvertSingleBtn_Action(Ref<PushButton>) {}
void MainWindow::ConvertBatchBtn_Action(Ref<PushButton>) {}
void MainWindow::CreateMBoxCB_Action(Ref<CheckBox>) {}
void MainWindow::QuitBtn_Action(Ref<PushButton>) {}
void MainWindow::AboutBtn_Action(Ref<BevelButton>) {}
void MainWindow::HelpBtn_Action(Ref<BevelButton>) {}
void MainWindow::Event_Open() {}
void MainWindow::p_SetTargetFolder() {}
void MainWindow::p_ActivateControls() {}
