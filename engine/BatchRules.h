#pragma once
// Which entries a batch run converts.
#include "framework/FolderItem.h"

// Files whose last extension is "oml" or "OML" are passed over; every other
// visible file is converted, whatever its extension.
bool IsPassedOverFile(const fw::FolderItem& file);
