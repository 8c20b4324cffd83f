#pragma once
// The keyboard state: which keys are held down at this moment, tracked for the
// whole application from key press and release (auto-repeat ignored).
#include <cstdint>

#include "framework/Object.h"

namespace fw {

inline constexpr int32_t kVirtualKeyEscape = 53;

class _Keyboard : public Object {
public:
    // True while the key of that virtual key code is held down.
    bool AsyncKeyDown(int32_t virtualKeyCode) const;
};

Ref<_Keyboard> getKeyboardObject();
// Starts tracking; called once the application object of Qt exists.
void InstallKeyboardTracking();
// Takes the key (a Qt key) as released until it is pressed again: a press
// that something has spent.
void ForgetHeldKey(int qtKey);

}  // namespace fw
