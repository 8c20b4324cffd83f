#pragma once
// An application object whose executable is the given file (none for an
// empty path), so the tests can place its pictures and name it.
#include <filesystem>

#include "framework/Application.h"

class PlacedApplication : public fw::Application {
public:
    explicit PlacedApplication(std::filesystem::path executable) : executable_(std::move(executable)) {}
    fw::Ref<fw::FolderItem> ExecutableFile() const override {
        return executable_.empty() ? fw::Ref<fw::FolderItem>() : fw::FolderItemFromPath(executable_);
    }

private:
    std::filesystem::path executable_;
};
