#pragma once
// Where the file dialogs open: in the folder of the last choice made in one of
// them during this run of the program and, before any choice, in the user's
// home folder, as desktop programs do (never in the working folder).
#include <string>

namespace fw {

// The folder to open a file dialog in: the one remembered while it is still a
// folder, else the home folder ("" when not even that is known).
std::string DialogStartFolder();

// The folder a dialog's answer was chosen in: the chosen folder itself, or the
// folder that holds the chosen file. "" forgets it.
void RememberDialogFolder(const std::string& folder);
std::string RememberedDialogFolder();

}  // namespace fw
