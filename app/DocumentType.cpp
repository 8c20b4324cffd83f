#include "app/DocumentType.h"

#include <utility>

#include "framework/DesignRecord.h"

using namespace fw;

Ref<FileType> DocumentFileType;

namespace {
// The type's properties, set in this order.
const std::pair<const char*, const char*> kDocumentType[] = {
    {"Name", "text/eml"},
    {"Extensions", ".eml;.emlx"},
    {"MacType", "????"},
    {"MacCreator", "????"},
};
}  // namespace

void CreateDocumentFileType() {
    DocumentFileType = RuntimeCheckCastTo<FileType>(RuntimeNewObject(GetFileTypeClass()), GetFileTypeClass());
    for (const auto& [property, value] : kDocumentType) RuntimeSetProperty(*DocumentFileType, property, String(value));
    (void)DocumentFileType->Operator_Convert();  // registers the type; the name is not needed
}

void DocumentTypeModuleInit() {}

void DocumentTypeModuleRelease() {
    Ref<FileType> type = std::move(DocumentFileType);
    DocumentFileType = Nil;
    type.Release();
}
