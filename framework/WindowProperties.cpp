// The properties of Window that a design-time record and code set by name.
#include "framework/PropertyTable.h"
#include "framework/Window.h"

namespace fw {

void DescribeWindowProperties(ClassRecord* r) {
    using W = Window;
    AddProperties(r, {
        Property("Width", kTypeInt32, &W::Width, &W::SetWidth),
        Property("Height", kTypeInt32, &W::Height, &W::SetHeight),
        Property("MinWidth", kTypeInt32, &W::MinWidth, &W::SetMinWidth),
        Property("MinHeight", kTypeInt32, &W::MinHeight, &W::SetMinHeight),
        Property("MaxWidth", kTypeInt32, &W::MaxWidth, &W::SetMaxWidth),
        Property("MaxHeight", kTypeInt32, &W::MaxHeight, &W::SetMaxHeight),
        Property("Frame", kTypeInt32, &W::Frame, &W::SetFrame),
        Property("HasBackColor", kTypeBoolean, &W::HasBackColor, &W::SetHasBackColor),
        Property("BackColor", kTypeColor, &W::BackColor, &W::SetBackColor),
        Property("Title", kTypeString, &W::Title, &W::SetTitle),
        Property("Visible", kTypeBoolean, &W::Visible, &W::SetVisible),
        Property("CloseButton", kTypeBoolean, &W::CloseButton, &W::SetCloseButton),
        Property("Resizeable", kTypeBoolean, &W::Resizeable, &W::SetResizeable),
        Property("MaximizeButton", kTypeBoolean, &W::MaximizeButton, &W::SetMaximizeButton),
        Property("MinimizeButton", kTypeBoolean, &W::MinimizeButton, &W::SetMinimizeButton),
        Property("Backdrop", kTypePicture, &W::Backdrop, &W::SetBackdrop),
        // Codes that change nothing on this platform.
        KeptCode<W>("Placement", kTypeInt32),
        KeptCode<W>("Composite", kTypeBoolean),
        KeptCode<W>("FullScreen", kTypeBoolean),
        KeptCode<W>("MenuBarVisible", kTypeBoolean),
        KeptCode<W>("LiveResize", kTypeBoolean),
        KeptCode<W>("FullScreenButton", kTypeBoolean),
        KeptCode<W>("MacProcID", kTypeInt32),
    });
}

}  // namespace fw
