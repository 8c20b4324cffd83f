// The framework's plug-in libraries, and the entry table of everything they register.
#include "app/Startup.h"
#include "framework/Plugins.h"

using namespace fw;

namespace {

const char* const kPluginLibraries[] = {"BevelButtonPlugin"};

PluginEntrypointsTable& EntrypointsTable() {
    static PluginEntrypointsTable table;
    return table;
}

}  // namespace

void LoadFrameworkPlugins() {
    for (const char* library : kPluginLibraries) RuntimeLoadPlugin(library);
    // Every class member and function of the plug-ins, bound by its name; the
    // program's own code uses only the main window's picture buttons.
    const std::vector<std::string> names = LoadedPluginEntrypointNames();
    PluginEntrypointsTable table = RuntimeAllocatePluginEntrypointsTable(names.size());
    for (size_t i = 0; i < table.size(); ++i) table[i] = RuntimeLookupPluginEntrypoint(names[i]);
    EntrypointsTable() = std::move(table);
}
