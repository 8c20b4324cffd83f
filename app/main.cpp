#include "framework/Application.h"
#include "windows/MainWindow.h"

int main(int argc, char** argv) {
    fw::RuntimeInit(argc, argv);
    // The warning dialog's title and the About window's version line come from it.
    fw::RuntimeRegisterAppObject(fw::New<fw::Application>());
    fw::Ref<MainWindow> window = GetMainWindowInstance();
    window->Show();
    window.Release();
    fw::RuntimeRun();
    return fw::RuntimeExit();
}
