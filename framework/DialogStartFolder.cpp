#include "framework/DialogStartFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "framework/MainThread.h"

namespace fw {

namespace {
std::string& Remembered() {
    static std::string folder;  // the dialogs run on the main thread only
    return folder;
}

// HOME, as the user's session sets it; the account's own entry where it is not set.
std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir) return account->pw_dir;
    return std::string();
}
}  // namespace

std::string DialogStartFolder() {
    RequireMainThread();
    const std::string& last = Remembered();
    std::error_code ec;
    if (!last.empty() && std::filesystem::is_directory(last, ec)) return last;
    return HomeFolder();
}

void RememberDialogFolder(const std::string& folder) {
    RequireMainThread();
    Remembered() = folder;
}

std::string RememberedDialogFolder() {
    RequireMainThread();
    return Remembered();
}

}  // namespace fw
