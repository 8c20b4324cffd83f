#pragma once
// Text streams on a file: read all of it, or write text unchanged.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "framework/ByteBuffer.h"
#include "framework/FolderItem.h"
#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

struct PendingFile;
struct FolderHandle;

class TextInputStream : public Object {
public:
    // An open regular file, as it was when opened; the entry `name` of the
    // folder (or, without one, the path `name`), for messages.
    TextInputStream(int fd, const FolderItem::Snapshot& seen, std::shared_ptr<FolderHandle> folder, std::string name)
        : fd_(fd), seen_(seen), folder_(std::move(folder)), name_(std::move(name)) {}
    ~TextInputStream() override;

    // The rest of the file as one text in that encoding (Nil: encoding undefined).
    String ReadAll(const Ref<TextEncoding>& encoding);
    // The rest of the file in one buffer with `front` bytes of room before
    // it and at least `back` after it, read without filling it first.
    ByteBuffer ReadAllBytes(size_t front, size_t back);
    // The next line without its line end (LF, CR LF or CR).
    String ReadLine(const Ref<TextEncoding>& encoding);
    void Close();

    // The file that is read (what a link led to), as it was when opened.
    const FolderItem::Snapshot& Seen() const { return seen_; }
    // Its type and creator codes, read afresh.
    FolderItem::MacCodes Codes() const;

private:
    void Fill();
    ByteBuffer ReadRest(size_t front, size_t back);
    [[noreturn]] void Fail(const char* what, int error) const;
    int fd_;
    FolderItem::Snapshot seen_;
    std::shared_ptr<FolderHandle> folder_;
    std::string name_;
    uint64_t offset_ = 0;  // how far the file has been read
    std::string pending_;
    bool atEnd_ = false;
};

// A new file, written before it has its name. Close puts it under its name
// when every write and the close have succeeded; a stream dropped without
// Close, or one whose writing or closing failed, leaves nothing behind.
class TextOutputStream : public Object {
public:
    explicit TextOutputStream(std::shared_ptr<PendingFile> file) : file_(std::move(file)) {}
    ~TextOutputStream() override;

    // Writes the text's bytes unchanged, with no line end added.
    void Write(const String& text);
    // Writes the pieces one after another in one gathered write.
    void WriteGathered(std::initializer_list<std::string_view> pieces);
    // Puts the file under its name, replacing an entry there once
    // `whenTaken` has let it.
    void Close(const FolderItem::NameTakenCheck& whenTaken = nullptr);
    // The same under another name in the same folder.
    void CloseAs(const String& name, const FolderItem::NameTakenCheck& whenTaken = nullptr);

private:
    std::shared_ptr<PendingFile> file_;
};

}  // namespace fw
