#include "engine/BatchRules.h"

using namespace fw;

bool IsPassedOverFile(const FolderItem& file) {
    const String name = file.Name();
    String extension;
    const int32_t fields = StringCountFields(name, ".");
    if (fields > 1) extension = StringNthField(name, ".", fields);
    return RuntimeStringCompare(extension, "oml") == 0 || RuntimeStringCompare(extension, "OML") == 0;
}

WalkEntry WalkEntryKind(const Ref<FolderItem>& entry) {
    if (!entry || !entry->Visible()) return WalkEntry::LeftAlone;
    if (entry->Directory()) return WalkEntry::Folder;
    return IsPassedOverFile(*entry) ? WalkEntry::LeftAlone : WalkEntry::File;
}
