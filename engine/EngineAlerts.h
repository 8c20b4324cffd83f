#pragma once
// The fixed texts of the engine's catch-alls. The per-file writers show
// theirs with the plain alert (RuntimeMsgBox), the others through
// Msg_ShowError.
#include "framework/Text.h"

//                 member                        text shown
inline const fw::String kAlertConvertSingleFile   = "application error in p_ConvertSingleFile";
inline const fw::String kAlertConvertFile         = "application error in p_ConvertFile";  // also p_ConvertFile_Obs
inline const fw::String kAlertGetPList            = "Exception in p_GetPList";
inline const fw::String kAlertDateToUnixTimeStamp = "Exception in DT_DateToUnixTimeStamp";
inline const fw::String kAlertDesktopFileExists   = "Exception in Desktop_FileExists";
inline const fw::String kAlertCountItems          = "Exception p_CountItems";
inline const fw::String kAlertRenameItems         = "Exception p_RenameItems";  // all three walkers
