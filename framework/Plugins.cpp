#include "framework/Plugins.h"

#include <algorithm>

#include "framework/CallTrace.h"
#include "framework/Controls.h"

namespace fw {

namespace {

struct PluginLibrary {
    const char* name;
    std::vector<const ClassRecord* (*)()> classes;
};

// The libraries the framework carries, with the classes each provides.
const PluginLibrary kLibraries[] = {
    {"BevelButtonPlugin", {GetBevelButtonClass}},
};

bool g_externalClassesReady = false;

std::vector<std::string>& Loaded() {
    static std::vector<std::string> loaded;
    return loaded;
}

const PluginLibrary* LibraryNamed(const std::string& name) {
    for (const PluginLibrary& library : kLibraries)
        if (name == library.name) return &library;
    return nullptr;
}

// The class of that name among the loaded libraries' classes, or nullptr.
const ClassRecord* LoadedClass(const std::string& name) {
    for (const std::string& loaded : Loaded())
        for (auto getClass : LibraryNamed(loaded)->classes)
            if (getClass()->name == name) return getClass();
    return nullptr;
}

}  // namespace

void RuntimeInitExternalClasses() {
    TraceCall("RuntimeInitExternalClasses");
    g_externalClassesReady = true;
}

void RuntimeLoadPlugin(const std::string& library) {
    TraceCall("RuntimeLoadPlugin", library);
    if (!g_externalClassesReady) throw RuntimeException("plug-in " + library + " loaded before the external classes");
    const PluginLibrary* found = LibraryNamed(library);
    if (!found) throw RuntimeException("no plug-in library " + library);
    for (auto getClass : found->classes) getClass();  // registers the class
    if (std::find(Loaded().begin(), Loaded().end(), library) == Loaded().end()) Loaded().push_back(library);
}

PluginEntrypointsTable RuntimeAllocatePluginEntrypointsTable(size_t size) {
    TraceCall("RuntimeAllocatePluginEntrypointsTable", std::to_string(size));
    return PluginEntrypointsTable(size);
}

PluginEntrypoint RuntimeLookupPluginEntrypoint(const std::string& name) {
    TraceCall("RuntimeLookupPluginEntrypoint", name);
    const size_t dot = name.find('.');
    PluginEntrypoint entry{name, LoadedClass(name.substr(0, dot))};
    if (entry.cls && dot != std::string::npos) {
        const std::string member = name.substr(dot + 1);
        entry.member = entry.cls->FindMember(member);
        for (const PropertyRecord& p : entry.cls->properties)
            if (p.name == member) entry.property = &p;
        if (!entry.member && !entry.property) entry.cls = nullptr;
    }
    if (!entry.cls) throw RuntimeException("no plug-in entry point " + name);
    return entry;
}

std::vector<std::string> LoadedPlugins() { return Loaded(); }

std::vector<std::string> LoadedPluginEntrypointNames() {
    std::vector<std::string> names;
    for (const std::string& loaded : Loaded()) {
        for (auto getClass : LibraryNamed(loaded)->classes) {
            const ClassRecord* cls = getClass();
            names.push_back(cls->name);
            for (const MemberRecord* m : cls->OwnMembers()) names.push_back(cls->name + "." + m->name);
            const size_t inherited = cls->super ? cls->super->properties.size() : 0;
            for (size_t i = inherited; i < cls->properties.size(); ++i)
                names.push_back(cls->name + "." + cls->properties[i].name);
        }
    }
    return names;
}

}  // namespace fw
