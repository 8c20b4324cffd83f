#pragma once
// A window's control by its name, checked to be of its kind: Nil when the
// window has no control of that name, IllegalCastException when it is of
// another kind.
#include "framework/Controls.h"
#include "framework/Window.h"

template <class T>
fw::Ref<T> ControlNamed(fw::Window& window, const char* name, const fw::ClassRecord* kind) {
    return fw::RuntimeCheckCastTo<T>(window._ControlByName(fw::String(name)), kind);
}
