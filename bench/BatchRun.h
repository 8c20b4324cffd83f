#pragma once
// A batch run through a real main window, the way the "Batch Convert"
// handler does it: reset, count, set the maximum, walk.
#include <string>

#include "framework/Application.h"
#include "windows/MainWindow.h"

inline const fw::PropertyRecord& BenchProperty(fw::Object& object, const std::string& name) {
    for (const fw::PropertyRecord& p : object.Class()->properties)
        if (p.name == name) return p;
    throw fw::RuntimeException("no property " + name);
}

inline void SetBenchProperty(fw::Object& object, const std::string& name, const fw::Value& value) {
    BenchProperty(object, name).set(object, value);
}

// Counts and walks with `walker` ("p_Convert", "p_Convert_MBox" or
// "p_Convert_MBox_MailStructure"); returns the count.
inline int32_t RunBatch(MainWindow& window, const fw::Ref<fw::FolderItem>& source, const fw::Ref<fw::FolderItem>& target,
                        const char* walker) {
    SetBenchProperty(window, "SourceFolder", fw::Ref<fw::Object>(source));
    SetBenchProperty(window, "TargetFolder", fw::Ref<fw::Object>(target));
    window.StatusBar()->SetValue(0);
    SetBenchProperty(window, "ItemCount", int32_t(0));
    fw::RuntimeInvoke(window, "p_CountItems", {fw::Ref<fw::Object>(source)});
    const int32_t count = std::get<int32_t>(BenchProperty(window, "ItemCount").get(window));
    window.StatusBar()->SetMaximum(count);
    fw::RuntimeInvoke(window, walker, {fw::Ref<fw::Object>(source), fw::Ref<fw::Object>(target), true});
    fw::RuntimeBackgroundTask();  // the last status line is painted
    return count;
}
