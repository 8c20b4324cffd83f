#pragma once
// Document types. A FileType names a kind of file: its MIME-like name, its
// extensions (";"-separated, each with its dot) and its Mac type and creator
// codes. Its text form registers it with the framework, once.
#include <vector>

#include "framework/Object.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

namespace fw {

class FileType : public Object {
public:
    String Name() const { return name_; }
    void SetName(const String& name) { name_ = name; }
    String Extensions() const { return extensions_; }
    void SetExtensions(const String& extensions) { extensions_ = extensions; }
    String MacType() const { return macType_; }
    void SetMacType(const String& code) { macType_ = code; }
    String MacCreator() const { return macCreator_; }
    void SetMacCreator(const String& code) { macCreator_ = code; }

    // The type's name; the first time, it also registers the type.
    String Operator_Convert();

private:
    String name_, extensions_, macType_, macCreator_;
    bool registered_ = false;
};

const ClassRecord* GetFileTypeClass();

struct RegisteredFileType {
    String name, creator, type, extensions;
};
// Makes the document type known to the framework; a type of the same name is replaced.
void RuntimeRegisterFileType(const String& name, const String& creator, const String& type, const String& extensions);
std::vector<RegisteredFileType> RegisteredFileTypes();

}  // namespace fw
