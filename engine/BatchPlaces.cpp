#include "engine/BatchPlaces.h"

#include "engine/EmlxFile.h"
#include "framework/NameFolding.h"

using namespace fw;

void BatchPlaces::Begin(const FolderItem& source) {
    outputPlaces_.clear();
    outputEntries_.clear();
    sourcePlace_ = FoldedPlace(source);
    sourceEntry_ = source.LeadsTo();
    ForgetWritten();
}

void BatchPlaces::AddOutputFolder(const FolderItem& folder) {
    outputPlaces_.insert(FoldedPlace(folder));
    if (const auto entry = folder.EntryIdentity()) outputEntries_.insert(*entry);
}

bool BatchPlaces::IsOutputFolder(const FolderItem& folder) const {
    if (outputPlaces_.count(FoldedPlace(folder)) > 0) return true;
    const auto entry = folder.EntryIdentity();
    return entry && outputEntries_.count(*entry) > 0;
}

bool BatchPlaces::IsSourceFolder(const FolderItem& folder) const {
    if (FoldedPlace(folder) == sourcePlace_) return true;
    return sourceEntry_ && folder.EntryIdentity() == sourceEntry_;
}

BatchPlaces::Names& BatchPlaces::WrittenIn(const Ref<FolderItem>& destination) {
    // A level hands all its files the same destination: its place is worked out once.
    if (!lastWritten_ || lastDestination_ != destination) {
        lastWritten_ = &written_[FoldedPlace(*destination)];
        lastDestination_ = destination;
    }
    return *lastWritten_;
}

String BatchPlaces::FreeOutputName(const Ref<FolderItem>& destination, const String& sourceName) {
    const Names& written = WrittenIn(destination);
    String name = EmlxFileName(sourceName);
    for (int32_t number = 2; written.count(FoldedName(name.ToUTF8())) > 0; ++number)
        name = EmlxFileName(sourceName, number);
    return name;
}

void BatchPlaces::NoteWritten(const Ref<FolderItem>& destination, const String& name) {
    WrittenIn(destination).insert(FoldedName(name.ToUTF8()));
}

void BatchPlaces::ForgetWritten() {
    written_.clear();
    LetGo();
}

void BatchPlaces::LetGo() {
    lastDestination_ = Nil;
    lastWritten_ = nullptr;
}
