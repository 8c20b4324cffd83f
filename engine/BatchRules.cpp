#include "engine/BatchRules.h"

#include <system_error>

using namespace fw;

bool IsPassedOverFile(const FolderItem& file) {
    const String name = file.Name();
    String extension;
    const int32_t fields = StringCountFields(name, ".");
    if (fields > 1) extension = StringNthField(name, ".", fields);
    return RuntimeStringCompare(extension, "oml") == 0 || RuntimeStringCompare(extension, "OML") == 0;
}

std::string CanonicalPathOf(const FolderItem& item) {
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(item.Path()), ec);
    return ec ? item.Path().lexically_normal().string() : canonical.string();
}
