#pragma once
// What a batch run remembers of the places it goes: the output folders that
// the count and the walk pass over, the source folder that no output may be,
// and the names it has written in each output folder.
//
// Places are told apart by their paths, with letter case and Unicode
// normalisation folded, as the Mac that gets the outputs (and exFAT and FAT)
// compares names; and by the entry on disk where the volume keeps one. A
// volume's word on identity alone is not enough: FUSE and network volumes
// may give one entry another inode number at each look-up.
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "framework/FolderItem.h"

class BatchPlaces {
public:
    // A new run of the tree of `source`; nothing of an earlier run is kept.
    void Begin(const fw::FolderItem& source);

    // An output folder of the run, existing or not: the count and the walk
    // pass over the folder of the source tree that it is.
    void AddOutputFolder(const fw::FolderItem& folder);
    bool IsOutputFolder(const fw::FolderItem& folder) const;
    // Whether the folder is the run's source folder, which is only ever read.
    bool IsSourceFolder(const fw::FolderItem& folder) const;

    // The name the output of `sourceName` takes in `destination`:
    // "<base>.emlx", or where this run has written that name there already,
    // "<base> 2.emlx", "<base> 3.emlx", ... Folders whose names fold to one
    // (on a Mac, one folder) share their names.
    fw::String FreeOutputName(const fw::Ref<fw::FolderItem>& destination, const fw::String& sourceName);
    // The run has put an output under `name` in `destination`.
    void NoteWritten(const fw::Ref<fw::FolderItem>& destination, const fw::String& name);
    // Forgets the names written, as a new run does.
    void ForgetWritten();
    // Lets go of the folder it keeps at hand, once the run is over.
    void LetGo();

private:
    using Names = std::unordered_set<std::string>;
    Names& WrittenIn(const fw::Ref<fw::FolderItem>& destination);

    std::unordered_set<std::string> outputPlaces_;
    std::set<fw::FolderItem::Identity> outputEntries_;
    std::string sourcePlace_;
    std::optional<fw::FolderItem::Identity> sourceEntry_;
    std::unordered_map<std::string, Names> written_;
    // The destination of the files of the level being walked, and its names.
    fw::Ref<fw::FolderItem> lastDestination_;
    Names* lastWritten_ = nullptr;
};
