#pragma once
// The design-time property records of the main window and of its controls.
#include <string>
#include <vector>

// The window's own record, applied by MainWindow::Layout.
std::string MainWindowRecord();
// The record of the control of that name; empty when the window has none.
std::string MainWindowControlRecord(const std::string& controlName);
// The names of the twenty controls, in the order they are built.
std::vector<std::string> MainWindowControlNames();
