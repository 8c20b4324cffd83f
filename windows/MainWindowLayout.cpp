// How the main window is built: its own properties and its twenty controls.
#include <cstring>

#include "framework/DesignRecord.h"
#include "windows/MainWindow.h"
#include "windows/MainWindowRecords.h"
#include "windows/Pictures.h"
#include "windows/WindowBuilding.h"

using namespace fw;

namespace {

// The window's own record, in its order.
const std::vector<RecordEntry> kWindowRecord = {
    {"Placement", 0},
    {"Width", 448},
    {"Height", 306},
    {"MinWidth", 64},
    {"MinHeight", 64},
    {"MaxWidth", 32000},
    {"MaxHeight", 32000},
    {"Frame", 0},
    {"Composite", false},
    {"HasBackColor", false},
    {"BackColor", kWhite},
    {"Title", "Quelmar"},
    {"Visible", true},
    {"FullScreen", false},
    {"MenuBarVisible", true},
    {"CloseButton", true},
    {"Resizeable", false},
    {"LiveResize", false},
    {"MaximizeButton", false},
    {"MinimizeButton", true},
    {"FullScreenButton", false},
    {"MacProcID", 0},
};

// Where a control lies: InitialParent and TabPanelIndex of its record.
struct Container {
    const char* initialParent;
    int32_t tabPanelIndex;
};
const Container kWindow{"", 0};
const Container kSingleFilePage{"TabPanel1", 1};  // "Single File Conversion"
const Container kBatchPage{"TabPanel1", 2};       // "Batch Conversion"

constexpr int32_t kNoTabIndex = -1;
constexpr float kDefaultSize = 0;  // no size set: the framework's default applies
constexpr const char* kNoText = nullptr;

// One control: the first table's geometry and keyboard place, then the second
// table's caption or text, initial state, text size, icon and handler.
struct ControlRow {
    const char* name;
    const char* kind;
    Container container;
    int32_t left, top, width, height;
    int32_t tabIndex;
    const char* text;  // Caption, Text or TabDefinition by kind
    std::vector<RecordEntry> state;
    float textSize;
    PictureAccessor icon;
    EventBinding handler;
};

// The twenty controls, in the order they are built.
const ControlRow kControls[] = {
    // name, kind, container, left, top, width, height, TabIndex,
    //   caption or text, initial state, text size, icon, event and handler
    {"TabPanel1", "TabPanel", kWindow, 10, 5, 428, 223, 0,
     "Single File Conversion\rBatch Conversion", {{"Value", 0}}, kDefaultSize, nullptr, kNoHandler},
    {"StaticText1", "Label", kBatchPage, 20, 45, 111, 20, 0,
     "Source Directory:", {}, 11.0f, nullptr, kNoHandler},
    {"SourceDirectoryField", "TextField", kBatchPage, 20, 67, 317, 20, 1,
     "", {{"ReadOnly", true}}, 11.0f, nullptr, {"TextChange", "SourceDirectoryField_TextChange"}},
    {"SourceDirSelectBtn", "BevelButton", kBatchPage, 342, 66, 86, 22, 2,
     "Select...", {{"Enabled", false}}, kDefaultSize, OrdnerPicture, {"Action", "SourceDirSelectBtn_Action"}},
    {"StaticText2", "Label", kBatchPage, 20, 91, 111, 20, 3,
     "Target Directory:", {}, 11.0f, nullptr, kNoHandler},
    {"TargetDirectoryField", "TextField", kBatchPage, 20, 113, 317, 20, 4,
     "", {{"ReadOnly", true}}, 11.0f, nullptr, {"TextChange", "TargetDirectoryField_TextChange"}},
    {"TargetDirSelectBtn", "BevelButton", kBatchPage, 342, 112, 86, 22, 5,
     "Select...", {{"Enabled", false}}, kDefaultSize, OrdnerPicture, {"Action", "TargetDirSelectBtn_Action"}},
    {"StatusBar", "ProgressBar", kBatchPage, 20, 140, 408, 16, kNoTabIndex,
     kNoText, {{"Value", 0}, {"Maximum", 100}}, kDefaultSize, nullptr, kNoHandler},
    {"StaticText3", "Label", kSingleFilePage, 20, 45, 111, 20, 0,
     "Source File:", {}, 11.0f, nullptr, kNoHandler},
    {"SourceFileField", "TextField", kSingleFilePage, 20, 69, 317, 20, 1,
     "", {{"ReadOnly", true}}, 11.0f, nullptr, {"TextChange", "SourceFileField_TextChange"}},
    {"SourceFileSelectBtn", "BevelButton", kSingleFilePage, 342, 68, 86, 22, 2,
     "Select...", {{"Enabled", true}}, kDefaultSize, OrdnerPicture, {"Action", "SourceFileSelectBtn_Action"}},
    {"StatusText", "Label", kBatchPage, 20, 153, 408, 20, 6,
     "-", {}, 11.0f, nullptr, kNoHandler},
    {"ConvertSingleBtn", "PushButton", kSingleFilePage, 277, 136, 151, 20, 3,
     "Convert", {{"Enabled", false}}, kDefaultSize, nullptr, {"Action", "ConvertSingleBtn_Action"}},
    {"ConvertBatchBtn", "PushButton", kBatchPage, 303, 197, 125, 20, 7,
     "Batch Convert", {{"Enabled", false}}, kDefaultSize, nullptr, {"Action", "ConvertBatchBtn_Action"}},
    {"StaticText4", "Label", kSingleFilePage, 20, 96, 408, 20, 4,
     "The converted file will be created in the same directory as the source file.", {}, 11.0f, nullptr,
     kNoHandler},
    {"CreateMBoxCB", "CheckBox", kBatchPage, 20, 175, 158, 20, 8,
     "Create .mbox Folders", {{"Value", true}, {"Enabled", true}}, 11.0f, nullptr,
     {"Action", "CreateMBoxCB_Action"}},
    {"CreateMailStructureCB", "CheckBox", kBatchPage, 20, 198, 275, 20, 9,
     "Create Mac OS Mail Structure (for 10.7 & above)", {{"Value", true}, {"Enabled", true}}, 11.0f, nullptr,
     kNoHandler},
    {"QuitBtn", "PushButton", kWindow, 342, 277, 96, 20, 1,
     "Quit", {{"Default", true}}, kDefaultSize, nullptr, {"Action", "QuitBtn_Action"}},
    {"AboutBtn", "BevelButton", kWindow, 10, 276, 69, 22, 2,
     "About", {}, kDefaultSize, BriefmarkePicture, {"Action", "AboutBtn_Action"}},
    {"HelpBtn", "BevelButton", kWindow, 232, 276, 60, 22, 3,
     "Help", {{"Visible", false}}, kDefaultSize, FragezeichenPicture, {"Action", "HelpBtn_Action"}},
};

// What every control of a kind carries in its record, beyond the entries of all control records.
struct KindValues {
    const char* kind;
    const char* textProperty;  // the entry that holds the caption or text
    std::vector<RecordEntry> values;
};

const KindValues kKinds[] = {
    {"TabPanel", "TabDefinition",
     {{"TabStop", true}, {"SmallTabs", false}, {"Visible", true}, {"Enabled", true}, {"AutoDeactivate", true}}},
    {"Label", "Text",
     {{"TextAlign", 0}, {"TextColor", kBlack}, {"Multiline", false}, {"Enabled", true}, {"Visible", true},
      {"Selectable", false}, {"Transparent", false}, {"AutoDeactivate", true}, {"DataSource", ""},
      {"DataField", ""}}},
    {"TextField", "Text",
     {{"TabStop", true}, {"Border", true}, {"Password", false}, {"UseFocusRing", true}, {"TextColor", kBlack},
      {"BackColor", kWhite}, {"Enabled", true}, {"Format", ""}, {"Visible", true}, {"AutoDeactivate", true},
      {"CueText", ""}, {"Text", ""}, {"Mask", ""}, {"ReadOnly", true}, {"LimitText", 0}, {"AcceptTabs", false},
      {"Alignment", 0}, {"AutomaticallyCheckSpelling", false}, {"DataSource", ""}, {"DataField", ""}}},
    {"BevelButton", "Caption",
     {{"TabStop", true}, {"AutoDeactivate", true}, {"CaptionAlign", 0}, {"CaptionPlacement", 2},
      {"CaptionDelta", 3}, {"IconAlign", 0}, {"IconDX", 3}, {"IconDY", 0}, {"Bevel", 0}, {"HasMenu", 0},
      {"HasBackColor", false}, {"BackColor", kBlack}, {"TextColor", kBlack}, {"Value", false}, {"MenuValue", 0},
      {"ButtonType", 0}, {"AcceptFocus", false}, {"Visible", true}, {"Enabled", true}}},
    {"PushButton", "Caption",
     {{"TabStop", true}, {"Cancel", false}, {"Visible", true}, {"AutoDeactivate", true}, {"ButtonStyle", 0},
      {"Default", false}, {"Enabled", true}}},
    {"CheckBox", "Caption",
     {{"TabStop", true}, {"Enabled", true}, {"Visible", true}, {"AutoDeactivate", false}, {"State", 1},
      {"Value", true}, {"DataSource", ""}, {"DataField", ""}}},
    {"ProgressBar", nullptr,
     {{"Visible", true}, {"AutoDeactivate", true}, {"Enabled", true}, {"Value", 0}, {"Maximum", 100}}},
};

const KindValues& KindOf(const ControlRow& row) {
    for (const KindValues& k : kKinds)
        if (std::strcmp(k.kind, row.kind) == 0) return k;
    throw RuntimeException(std::string("no record values for ") + row.kind);
}

// Entries in order; setting a name that is there already replaces its value in place.
class RecordBuilder {
public:
    void Set(const RecordEntry& entry) {
        for (RecordEntry& e : entries_)
            if (e.name == entry.name) {
                e.value = entry.value;
                return;
            }
        entries_.push_back(entry);
    }
    void SetAll(const std::vector<RecordEntry>& entries) {
        for (const RecordEntry& e : entries) Set(e);
    }
    std::string Bytes() const { return EncodeRecord(entries_); }

private:
    std::vector<RecordEntry> entries_;
};

// The entries of every control record of this window, then the kind's values,
// the caption or text, and the control's own initial state.
std::string ControlRecord(const ControlRow& row) {
    const KindValues& kind = KindOf(row);
    RecordBuilder record;
    record.SetAll({
        {"Name", row.name},
        {"Index", INT32_MIN},
        {"Left", row.left},
        {"Top", row.top},
        {"Width", row.width},
        {"Height", row.height},
        {"LockLeft", true},
        {"LockTop", true},
        {"LockRight", false},
        {"LockBottom", false},
        {"InitialParent", row.container.initialParent},
        {"TabPanelIndex", row.container.tabPanelIndex},
    });
    if (row.tabIndex != kNoTabIndex) record.Set(RecordEntry{"TabIndex", row.tabIndex});
    record.SetAll({{"Visible", true}, {"Enabled", true}, {"AutoDeactivate", true}, {"HelpTag", ""}});
    if (kind.textProperty)
        record.SetAll({{"TextFont", "System"}, {"Bold", false}, {"Italic", false}, {"Underline", false}});
    record.SetAll(kind.values);
    if (kind.textProperty && row.text) record.Set(RecordEntry{kind.textProperty, row.text});
    record.SetAll(row.state);
    return record.Bytes();
}

// The six steps of each control: created and added, then icon, text size,
// text unit, record, and the binding last, so that the record's initial
// values call no handler.
const std::vector<BuildStep> kBuildSteps = {BuildStep::Icon, BuildStep::TextSize, BuildStep::TextUnit,
                                            BuildStep::Record, BuildStep::Bind};

}  // namespace

std::string MainWindowRecord() { return EncodeRecord(kWindowRecord); }

std::string MainWindowControlRecord(const std::string& controlName) {
    for (const ControlRow& row : kControls)
        if (controlName == row.name) return ControlRecord(row);
    return std::string();
}

std::vector<std::string> MainWindowControlNames() {
    std::vector<std::string> names;
    for (const ControlRow& row : kControls) names.push_back(row.name);
    return names;
}

void MainWindow::Layout() { RuntimeMassPropertySetter(RefTo(this), MainWindowRecord()); }

void MainWindow::CreateControls() { CreateControlsThroughMember(*this); }

void MainWindow::_CreateControls0() {
    std::vector<ControlBuild> controls;
    for (const ControlRow& row : kControls)
        controls.push_back(
            {row.name, ControlKindNamed(row.kind), ControlRecord(row), row.textSize, row.icon, row.handler});
    BuildControls(*this, controls, kBuildSteps);
}
