// How the main window is built: its own properties and its twenty controls.
#include "windows/MainWindow.h"

void MainWindow::Layout() {}
void MainWindow::CreateControls() { _CreateControls0(); }
void MainWindow::_CreateControls0() {}
