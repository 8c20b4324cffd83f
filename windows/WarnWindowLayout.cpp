// How the warning dialog is built: its own properties and its five controls.
#include "framework/DesignRecord.h"
#include "windows/WarnWindow.h"
#include "windows/WindowBuilding.h"

using namespace fw;

namespace {

// The window's own record, in its order.
const std::vector<RecordEntry> kWindowRecord = {
    {"Placement", 3},
    {"Width", 365},
    {"Height", 135},
    {"MinWidth", 310},
    {"MinHeight", 104},
    {"MaxWidth", 32000},
    {"MaxHeight", 32000},
    {"Frame", 1},
    {"Composite", false},
    {"HasBackColor", false},
    {"BackColor", Color{0xFF, 0xE2, 0xA0}},
    {"Title", "Attention!"},
    {"Visible", true},
    {"FullScreen", false},
    {"MenuBarVisible", true},
    {"CloseButton", false},
    {"Resizeable", false},
    {"LiveResize", false},
    {"MaximizeButton", false},
    {"MinimizeButton", true},
    {"FullScreenButton", false},
    {"MacProcID", 0},
};

// The message, locked to all four edges, so it grows with the dialog.
const std::vector<RecordEntry> kDoTextRecord = {
    {"InitialParent", ""}, {"DataField", ""}, {"DataSource", ""},
    {"Underline", false}, {"Italic", false}, {"Bold", true}, {"TextFont", "System"},
    {"AutoDeactivate", true}, {"HelpTag", ""},
    {"Transparent", false}, {"Selectable", false}, {"Visible", true}, {"Enabled", true}, {"Multiline", true},
    {"TextColor", kBlack}, {"TextAlign", 0}, {"Text", "-"},
    {"TabIndex", 0}, {"TabPanelIndex", 0},
    {"LockBottom", true}, {"LockRight", true}, {"LockTop", true}, {"LockLeft", true},
    {"Height", 84}, {"Width", 339}, {"Top", 7}, {"Left", 13},
    {"Index", INT32_MIN}, {"Name", "DoText"}, {"TabStop", true},
};

// Button N of the row, numbered from the right, hidden with its placeholder
// caption and locked to the bottom right corner.
std::vector<RecordEntry> ButtonRecord(int32_t n, int32_t left) {
    const std::string number = std::to_string(n);
    return {
        {"InitialParent", ""},
        {"Underline", false}, {"Italic", false}, {"Bold", false}, {"TextFont", "System"},
        {"ButtonStyle", 0}, {"AutoDeactivate", true}, {"HelpTag", ""},
        {"Visible", false}, {"Enabled", true}, {"Cancel", false}, {"Default", false},
        {"Caption", "Do" + number},
        {"TabStop", true}, {"TabIndex", n}, {"TabPanelIndex", 0},
        {"LockBottom", true}, {"LockRight", true}, {"LockTop", false}, {"LockLeft", false},
        {"Height", 20}, {"Width", 100}, {"Top", 103}, {"Left", left},
        {"Index", INT32_MIN}, {"Name", "Do" + number + "Btn"},
    };
}

// The five controls, in the order they are built.
std::vector<ControlBuild> ControlsInOrder() {
    const ClassRecord* label = GetLabelClass();
    const ClassRecord* button = GetPushButtonClass();
    return {
        // name, kind, record, text size, icon, event and handler
        {"DoText", label, EncodeRecord(kDoTextRecord), 12.0f, nullptr, kNoHandler},
        {"Do1Btn", button, EncodeRecord(ButtonRecord(1, 252)), 11.0f, nullptr, {"Action", "Do1Btn_Action"}},
        {"Do2Btn", button, EncodeRecord(ButtonRecord(2, 146)), 11.0f, nullptr, {"Action", "Do2Btn_Action"}},
        {"Do3Btn", button, EncodeRecord(ButtonRecord(3, 38)), 11.0f, nullptr, {"Action", "Do3Btn_Action"}},
        {"Do4Btn", button, EncodeRecord(ButtonRecord(4, -70)), 11.0f, nullptr, {"Action", "Do4Btn_Action"}},
    };
}

}  // namespace

void WarnWindow::Layout() { RuntimeMassPropertySetter(RefTo(this), EncodeRecord(kWindowRecord)); }

void WarnWindow::CreateControls() { CreateControlsThroughMember(*this); }

// Each control: created and added, then text unit, text size, record, and the binding.
void WarnWindow::_CreateControls0() { BuildControls(*this, ControlsInOrder()); }
