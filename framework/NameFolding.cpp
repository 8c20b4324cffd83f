#include "framework/NameFolding.h"

#include <QString>

#include "framework/FolderItem.h"
#include "framework/Text.h"

namespace fw {

namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsUTF8(std::string_view text) {
    uint32_t cp = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = DecodeUTF8(text, i, cp);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string AsciiFolded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// One name, without a "/".
std::string FoldedPathName(std::string_view name) {
    if (IsAscii(name) || !IsUTF8(name)) return AsciiFolded(name);
    // Decomposed first, so that a letter and its accent fold as one; folding
    // can give text that is no longer decomposed, so once more after it.
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    return text.normalized(QString::NormalizationForm_D)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_D)
        .toUtf8()
        .toStdString();
}

}  // namespace

std::string FoldedName(std::string_view name) {
    // Most names are ASCII, and a batch run folds one per file.
    if (IsAscii(name)) return AsciiFolded(name);
    // Each name of a path on its own: one that is not UTF-8 leaves the others folded.
    std::string folded;
    folded.reserve(name.size());
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        folded += FoldedPathName(name.substr(start, end - start));
        if (end < name.size()) folded += '/';
        start = end + 1;
    }
    return folded;
}

std::string FoldedPlace(const FolderItem& item) { return FoldedName(item.CanonicalPath()); }

}  // namespace fw
