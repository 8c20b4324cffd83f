// How the About window is built: its backdrop, its own properties, the close
// timer and the version line.
#include "framework/DesignRecord.h"
#include "windows/AboutWindow.h"
#include "windows/Pictures.h"
#include "windows/WindowBuilding.h"

using namespace fw;

namespace {

// The window's own record, in its order.
const std::vector<RecordEntry> kWindowRecord = {
    {"Placement", 0},
    {"Width", 449},
    {"Height", 204},
    {"MinWidth", 64},
    {"MinHeight", 64},
    {"MaxWidth", 32000},
    {"MaxHeight", 32000},
    {"Frame", 2},
    {"Composite", false},
    {"HasBackColor", false},
    {"BackColor", kWhite},
    {"Title", "About Quelmar"},
    {"Visible", true},
    {"FullScreen", false},
    {"MenuBarVisible", true},
    {"CloseButton", false},
    {"Resizeable", false},
    {"LiveResize", false},
    {"MaximizeButton", false},
    {"MinimizeButton", false},
    {"FullScreenButton", false},
    {"MacProcID", 0},
};

// Fires once, 3000 milliseconds after it is set.
const std::vector<RecordEntry> kCloseTimerRecord = {{"Period", 3000}, {"Mode", 1}};

// White, bold and right-aligned along the bottom edge, 5 pixels short of the right one.
const std::vector<RecordEntry> kStaticText3Record = {
    {"InitialParent", ""}, {"DataField", ""}, {"DataSource", ""},
    {"Underline", false}, {"Italic", false}, {"Bold", true}, {"TextFont", "Arial"},
    {"AutoDeactivate", true}, {"HelpTag", ""},
    {"Transparent", false}, {"Selectable", false}, {"Visible", true}, {"Enabled", true}, {"Multiline", true},
    {"TextColor", kWhite}, {"TextAlign", 2},
    {"TabIndex", 1}, {"TabPanelIndex", 0},
    {"LockBottom", false}, {"LockRight", false}, {"LockTop", true}, {"LockLeft", true},
    {"Height", 16}, {"Width", 329}, {"Top", 188}, {"Left", 115},
    {"Index", INT32_MIN}, {"Name", "StaticText3"}, {"TabStop", true},
};

}  // namespace

void AboutWindow::Layout() {
    SetBackdrop(AboutPicture());
    RuntimeMassPropertySetter(RefTo(this), EncodeRecord(kWindowRecord));
}

void AboutWindow::CreateControls() { CreateControlsThroughMember(*this); }

// Each control: created and added, then text unit, text size, record, and the binding.
void AboutWindow::_CreateControls0() {
    BuildControls(*this, {
        // name, kind, record, text size, icon, event and handler, the handler's parameter kind
        {"CloseTimer", GetCloseTimerClass(), EncodeRecord(kCloseTimerRecord), 0, nullptr,
         {"Action", "CloseTimer_Action"}, "Timer"},
        {"StaticText3", GetLabelClass(), EncodeRecord(kStaticText3Record), 11.0f, nullptr,
         {"Open", "StaticText3_Open"}},
    });
}
