// The framework's plug-in libraries and the entry points the program binds.
#include "app/Startup.h"
#include "framework/Plugins.h"

using namespace fw;

namespace {

const char* const kPluginLibraries[] = {"BevelButtonPlugin"};

// The plug-in classes and members that the program uses: the main window's
// picture buttons.
const char* const kPluginEntrypointNames[] = {
    "BevelButton",
    "BevelButton.Caption",
    "BevelButton.Icon",
};

PluginEntrypointsTable& EntrypointsTable() {
    static PluginEntrypointsTable table;
    return table;
}

}  // namespace

void LoadFrameworkPlugins() {
    for (const char* library : kPluginLibraries) RuntimeLoadPlugin(library);
    PluginEntrypointsTable table = RuntimeAllocatePluginEntrypointsTable(std::size(kPluginEntrypointNames));
    for (size_t i = 0; i < table.size(); ++i) table[i] = RuntimeLookupPluginEntrypoint(kPluginEntrypointNames[i]);
    EntrypointsTable() = std::move(table);
}
