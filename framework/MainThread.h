#pragma once
namespace fw {
// Raises ThreadAccessingUIException when called off the main thread. Every
// window, control, dialog and alert operation calls it first.
void RequireMainThread();
bool OnMainThread();
}  // namespace fw
