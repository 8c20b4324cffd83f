#pragma once
// The Finder information of a file, where its type and creator codes live:
// 32 bytes in an extended attribute ("com.apple.FinderInfo" on macOS,
// "user.com.apple.FinderInfo" elsewhere), the type at 0, the creator at 4.
// FolderItem finds the entry; these read and write the attribute.
#include <array>
#include <cstddef>
#include <optional>

#include "framework/FolderItem.h"
#include "framework/Text.h"

namespace fw {

using FinderInfoBytes = std::array<char, 32>;
inline constexpr size_t kFinderTypeOffset = 0, kFinderCreatorOffset = 4;

// The information of an open file, or of the entry a path names (through a
// final link only when `followLink`); none when it has none or it cannot be read.
std::optional<FinderInfoBytes> FinderInfoOf(int fd);
std::optional<FinderInfoBytes> FinderInfoOf(const char* path, bool followLink);

// The code at that offset: empty without information or when it is four zero bytes.
String FinderCodeAt(const std::optional<FinderInfoBytes>& info, size_t offset);
// The information with the code at that offset replaced: Latin-1, cut or
// padded with spaces to four characters; an empty code is four zero bytes.
FinderInfoBytes WithFinderCode(FinderInfoBytes info, size_t offset, const String& code);
// Whether the information holds no codes at all (every byte zero).
bool HoldsNoFinderCodes(const FinderInfoBytes& info);

// Writes the information of an open file, or of the entry a path names
// (never through a link). Information that holds no codes is removed, so
// none is left behind. 0, or -1 with errno; a file system that keeps no
// such attributes, or nothing left to remove, is no failure.
int WriteFinderInfo(int fd, const FinderInfoBytes& info);
int WriteFinderInfo(const char* path, const FinderInfoBytes& info);

// The codes of an open file.
FolderItem::MacCodes CodesOf(int fd);

}  // namespace fw
