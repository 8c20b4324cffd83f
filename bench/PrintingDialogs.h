#pragma once
#include <QByteArray>
#include <cstdio>
#include <memory>

#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Plugins.h"

// Alerts would wait for a user; in a benchmark they are printed and answered at once.
class PrintingDialogs : public fw::DialogProvider {
public:
    int32_t MsgBox(const fw::String& prompt, int32_t, const fw::String&) override {
        std::fprintf(stderr, "alert: %s\n", prompt.ToUTF8().c_str());
        return 1;
    }
    fw::Ref<fw::FolderItem> SelectFolder(const fw::String&, const std::string&) override { return fw::Nil; }
    fw::Ref<fw::FolderItem> GetOpenFolderItem(const fw::String&, const std::string&) override { return fw::Nil; }
    void Beep() override {}
};

// The runtime of a benchmark: offscreen, with the framework's plug-ins (the
// main window's picture buttons), alerts printed.
inline void StartBenchRuntime(char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;  // Qt keeps a reference to it
    fw::RuntimeInit(qtArgc, argv);
    fw::RuntimeInitExternalClasses();
    LoadFrameworkPlugins();
    fw::SetDialogProvider(std::make_unique<PrintingDialogs>());
}
