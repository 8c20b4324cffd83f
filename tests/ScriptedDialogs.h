#pragma once
// A dialog provider for tests: it records every alert and beep, and answers
// the folder and file choosers from a script.
#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dialogs.h"

struct RecordedAlert {
    std::string prompt;
    int32_t buttons;
    std::string title;
};

class ScriptedDialogs : public fw::DialogProvider {
public:
    int32_t MsgBox(const fw::String& prompt, int32_t buttons, const fw::String& title) override {
        alerts.push_back({prompt.ToUTF8(), buttons, title.ToUTF8()});
        if (onAlert) onAlert(alerts.back());
        return 1;
    }
    fw::Ref<fw::FolderItem> SelectFolder(const fw::String&, const std::string& startFolder) override {
        startFolders.push_back(startFolder);
        if (onChooser) onChooser();
        return Next(folders);
    }
    fw::Ref<fw::FolderItem> GetOpenFolderItem(const fw::String& filter, const std::string& startFolder) override {
        filters.push_back(filter.ToUTF8());
        startFolders.push_back(startFolder);
        if (onChooser) onChooser();
        return Next(files);
    }
    void Beep() override { ++beeps; }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> out;
        for (const RecordedAlert& a : alerts) out.push_back(a.prompt);
        return out;
    }

    std::vector<RecordedAlert> alerts;
    std::vector<std::string> filters;
    std::vector<std::string> startFolders;  // where each chooser opened, in the order they opened
    std::deque<fw::Ref<fw::FolderItem>> folders;  // answers of the choose-folder dialog (Nil: cancel)
    std::deque<fw::Ref<fw::FolderItem>> files;    // answers of the open-file dialog
    std::function<void(const RecordedAlert&)> onAlert;
    std::function<void()> onChooser;  // runs as a chooser opens; raising makes the dialog fail
    std::atomic<int> beeps{0};

private:
    static fw::Ref<fw::FolderItem> Next(std::deque<fw::Ref<fw::FolderItem>>& answers) {
        if (answers.empty()) return fw::Nil;
        fw::Ref<fw::FolderItem> next = answers.front();
        answers.pop_front();
        return next;
    }
};

// Installs a ScriptedDialogs for the lifetime of the scope.
class ScopedDialogs {
public:
    ScopedDialogs() {
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs_ = owned.get();
        previous_ = fw::SetDialogProvider(std::move(owned));
    }
    ~ScopedDialogs() { fw::SetDialogProvider(std::move(previous_)); }
    ScriptedDialogs* operator->() { return dialogs_; }
    ScriptedDialogs& operator*() { return *dialogs_; }

private:
    ScriptedDialogs* dialogs_;
    std::unique_ptr<fw::DialogProvider> previous_;
};
