#include "framework/Application.h"
#include "windows/MainWindow.h"

int main(int argc, char** argv) {
    fw::RuntimeInit(argc, argv);
    fw::Ref<MainWindow> window = GetMainWindowInstance();
    window->Show();
    window.Release();
    fw::RuntimeRun();
    return fw::RuntimeExit();
}
