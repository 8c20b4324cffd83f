#pragma once
// Texts of the framework as Qt shows them on the control kinds' widgets.
#include <QString>

#include "framework/Text.h"

namespace fw {

inline QString ToQString(const String& s) { return QString::fromStdString(s.ToUTF8()); }
// A caption as it stands: Qt would take "&" as the mark of a shortcut key.
inline QString AsCaption(const String& s) { return ToQString(s).replace('&', "&&"); }
inline QString AsCaption(const std::string& utf8) { return QString::fromStdString(utf8).replace('&', "&&"); }

}  // namespace fw
