#pragma once
// Text streams on a file: read all of it, or write text unchanged.
#include <string>

#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class TextInputStream : public Object {
public:
    explicit TextInputStream(int fd) : fd_(fd) {}
    ~TextInputStream() override;

    // The rest of the file as one text in that encoding (Nil: encoding undefined).
    String ReadAll(const Ref<TextEncoding>& encoding);
    // The next line without its line end (LF, CR LF or CR).
    String ReadLine(const Ref<TextEncoding>& encoding);
    void Close();

private:
    void Fill();
    int fd_;
    off_t offset_ = 0;  // how far the file has been read
    std::string pending_;
    bool atEnd_ = false;
};

class TextOutputStream : public Object {
public:
    explicit TextOutputStream(int fd) : fd_(fd) {}
    ~TextOutputStream() override;

    // Writes the text's bytes unchanged, with no line end added.
    void Write(const String& text);
    void Close();

private:
    int fd_;
};

}  // namespace fw
