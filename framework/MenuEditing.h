#pragma once
// The standard editing items: their names, and what they do on the text field
// that has the focus.
#include <string>

namespace fw {

// Follows the focus from now on, so the items find the field the user was in
// while the bar's keyboard navigation holds the focus. Once is enough.
void WatchFocusForEditing();
bool IsEditingItem(const std::string& itemName);
// Whether the item can act on the focused field now (false when none has the focus).
bool EditingItemCanAct(const std::string& itemName);
// Acts on the focused field; false when it could not.
bool EditingItemAct(const std::string& itemName);

}  // namespace fw
