#pragma once
// Plug-in libraries. The framework's plug-in controls are built in, so loading
// a library registers the classes it provides, and an entry point is bound by
// its name: a class ("BevelButton"), or a member or property of one
// ("BevelButton.Icon"). Names that no loaded library provides are refused.
#include <cstddef>
#include <string>
#include <vector>

#include "framework/Runtime.h"

namespace fw {

struct PluginEntrypoint {
    std::string name;
    const ClassRecord* cls = nullptr;
    const MemberRecord* member = nullptr;      // for "Class.Member"
    const PropertyRecord* property = nullptr;  // for "Class.Property"
};
using PluginEntrypointsTable = std::vector<PluginEntrypoint>;

// Makes the runtime ready to take plug-in classes; libraries load only after it.
void RuntimeInitExternalClasses();
// Loads a library of the framework by its name; an unknown one raises.
void RuntimeLoadPlugin(const std::string& library);
// A table of `size` unbound entries.
PluginEntrypointsTable RuntimeAllocatePluginEntrypointsTable(size_t size);
// The entry point of that name in the loaded libraries; raises when there is none.
PluginEntrypoint RuntimeLookupPluginEntrypoint(const std::string& name);
// The libraries loaded, in the order they were loaded.
std::vector<std::string> LoadedPlugins();
// The names of every entry point the loaded libraries register: each class,
// then its own members and properties ("BevelButton", "BevelButton.Icon", ...).
std::vector<std::string> LoadedPluginEntrypointNames();

}  // namespace fw
