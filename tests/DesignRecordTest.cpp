// The design-time property record: the exact bytes of the main window's
// records, and the decoder on any order, any subset and malformed input.
#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "ProbeWindow.h"
#include "framework/DesignRecord.h"
#include "windows/MainWindowRecords.h"

using namespace fw;

namespace {

std::string operator""_bytes(const char* s, size_t n) { return std::string(s, n); }

// The records written out by hand, entry by entry: name, space, value.
const std::string kWindowRecordBytes =
    "Placement " "\0\0\0\0"
    "Width " "\0\0\x01\xC0"
    "Height " "\0\0\x01\x32"
    "MinWidth " "\0\0\0\x40"
    "MinHeight " "\0\0\0\x40"
    "MaxWidth " "\0\0\x7D\0"
    "MaxHeight " "\0\0\x7D\0"
    "Frame " "\0\0\0\0"
    "Composite " "\0"
    "HasBackColor " "\0"
    "BackColor " "\xFF\xFF\xFF"
    "Title " "\0\0\0\x07" "Quelmar"
    "Visible " "\x01"
    "FullScreen " "\0"
    "MenuBarVisible " "\x01"
    "CloseButton " "\x01"
    "Resizeable " "\0"
    "LiveResize " "\0"
    "MaximizeButton " "\0"
    "MinimizeButton " "\x01"
    "FullScreenButton " "\0"
    "MacProcID " "\0\0\0\0"_bytes;

const std::string kTabPanel1Bytes =
    "Name " "\0\0\0\x09" "TabPanel1"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\0\x0A"
    "Top " "\0\0\0\x05"
    "Width " "\0\0\x01\xAC"
    "Height " "\0\0\0\xDF"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\0"
    "TabPanelIndex " "\0\0\0\0"
    "TabIndex " "\0\0\0\0"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TabStop " "\x01"
    "SmallTabs " "\0"
    "TabDefinition " "\0\0\0\x27" "Single File Conversion" "\r" "Batch Conversion"
    "Value " "\0\0\0\0"_bytes;

const std::string kStaticText1Bytes =
    "Name " "\0\0\0\x0B" "StaticText1"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\0\x14"
    "Top " "\0\0\0\x2D"
    "Width " "\0\0\0\x6F"
    "Height " "\0\0\0\x14"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\x09" "TabPanel1"
    "TabPanelIndex " "\0\0\0\x02"
    "TabIndex " "\0\0\0\0"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TextAlign " "\0\0\0\0"
    "TextColor " "\0\0\0"
    "Multiline " "\0"
    "Selectable " "\0"
    "Transparent " "\0"
    "DataSource " "\0\0\0\0"
    "DataField " "\0\0\0\0"
    "Text " "\0\0\0\x11" "Source Directory:"_bytes;

const std::string kSourceFileFieldBytes =
    "Name " "\0\0\0\x0F" "SourceFileField"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\0\x14"
    "Top " "\0\0\0\x45"
    "Width " "\0\0\x01\x3D"
    "Height " "\0\0\0\x14"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\x09" "TabPanel1"
    "TabPanelIndex " "\0\0\0\x01"
    "TabIndex " "\0\0\0\x01"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TabStop " "\x01"
    "Border " "\x01"
    "Password " "\0"
    "UseFocusRing " "\x01"
    "TextColor " "\0\0\0"
    "BackColor " "\xFF\xFF\xFF"
    "Format " "\0\0\0\0"
    "CueText " "\0\0\0\0"
    "Text " "\0\0\0\0"
    "Mask " "\0\0\0\0"
    "ReadOnly " "\x01"
    "LimitText " "\0\0\0\0"
    "AcceptTabs " "\0"
    "Alignment " "\0\0\0\0"
    "AutomaticallyCheckSpelling " "\0"
    "DataSource " "\0\0\0\0"
    "DataField " "\0\0\0\0"_bytes;

const std::string kSourceDirSelectBtnBytes =
    "Name " "\0\0\0\x12" "SourceDirSelectBtn"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\x01\x56"
    "Top " "\0\0\0\x42"
    "Width " "\0\0\0\x56"
    "Height " "\0\0\0\x16"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\x09" "TabPanel1"
    "TabPanelIndex " "\0\0\0\x02"
    "TabIndex " "\0\0\0\x02"
    "Visible " "\x01"
    "Enabled " "\0"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TabStop " "\x01"
    "CaptionAlign " "\0\0\0\0"
    "CaptionPlacement " "\0\0\0\x02"
    "CaptionDelta " "\0\0\0\x03"
    "IconAlign " "\0\0\0\0"
    "IconDX " "\0\0\0\x03"
    "IconDY " "\0\0\0\0"
    "Bevel " "\0\0\0\0"
    "HasMenu " "\0\0\0\0"
    "HasBackColor " "\0"
    "BackColor " "\0\0\0"
    "TextColor " "\0\0\0"
    "Value " "\0"
    "MenuValue " "\0\0\0\0"
    "ButtonType " "\0\0\0\0"
    "AcceptFocus " "\0"
    "Caption " "\0\0\0\x09" "Select..."_bytes;

const std::string kQuitBtnBytes =
    "Name " "\0\0\0\x07" "QuitBtn"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\x01\x56"
    "Top " "\0\0\x01\x15"
    "Width " "\0\0\0\x60"
    "Height " "\0\0\0\x14"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\0"
    "TabPanelIndex " "\0\0\0\0"
    "TabIndex " "\0\0\0\x01"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TabStop " "\x01"
    "Cancel " "\0"
    "ButtonStyle " "\0\0\0\0"
    "Default " "\x01"
    "Caption " "\0\0\0\x04" "Quit"_bytes;

const std::string kCreateMBoxCBBytes =
    "Name " "\0\0\0\x0C" "CreateMBoxCB"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\0\x14"
    "Top " "\0\0\0\xAF"
    "Width " "\0\0\0\x9E"
    "Height " "\0\0\0\x14"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\x09" "TabPanel1"
    "TabPanelIndex " "\0\0\0\x02"
    "TabIndex " "\0\0\0\x08"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\0"
    "HelpTag " "\0\0\0\0"
    "TextFont " "\0\0\0\x06" "System"
    "Bold " "\0"
    "Italic " "\0"
    "Underline " "\0"
    "TabStop " "\x01"
    "State " "\0\0\0\x01"
    "Value " "\x01"
    "DataSource " "\0\0\0\0"
    "DataField " "\0\0\0\0"
    "Caption " "\0\0\0\x14" "Create .mbox Folders"_bytes;

const std::string kStatusBarBytes =
    "Name " "\0\0\0\x09" "StatusBar"
    "Index " "\x80\0\0\0"
    "Left " "\0\0\0\x14"
    "Top " "\0\0\0\x8C"
    "Width " "\0\0\x01\x98"
    "Height " "\0\0\0\x10"
    "LockLeft " "\x01"
    "LockTop " "\x01"
    "LockRight " "\0"
    "LockBottom " "\0"
    "InitialParent " "\0\0\0\x09" "TabPanel1"
    "TabPanelIndex " "\0\0\0\x02"
    "Visible " "\x01"
    "Enabled " "\x01"
    "AutoDeactivate " "\x01"
    "HelpTag " "\0\0\0\0"
    "Value " "\0\0\0\0"
    "Maximum " "\0\0\0\x64"_bytes;

// Prints a record so that a difference can be read: names as text, values in hex.
std::string Readable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) out += char(c);
        else {
            char hex[6];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        }
    }
    return out;
}

class RecordOnProbe : public ::testing::Test {
protected:
    void SetUp() override { window_ = ProbeWindow::Open(); }
    void TearDown() override { window_->Close(); }
    Ref<ProbeWindow> window_;
};

}  // namespace

TEST(DesignRecordBytes, MainWindowRecordsAreExactlyAsWrittenByHand) {
    EXPECT_EQ(Readable(MainWindowRecord()), Readable(kWindowRecordBytes));
    const std::pair<const char*, const std::string*> controls[] = {
        {"TabPanel1", &kTabPanel1Bytes},        {"StaticText1", &kStaticText1Bytes},
        {"SourceFileField", &kSourceFileFieldBytes}, {"SourceDirSelectBtn", &kSourceDirSelectBtnBytes},
        {"QuitBtn", &kQuitBtnBytes},            {"CreateMBoxCB", &kCreateMBoxCBBytes},
        {"StatusBar", &kStatusBarBytes},
    };
    for (const auto& [name, bytes] : controls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Readable(MainWindowControlRecord(name)), Readable(*bytes));
        EXPECT_EQ(MainWindowControlRecord(name), *bytes);
    }
}

TEST(DesignRecordBytes, EveryControlRecordBeginsWithItsNameAndDecodesForItsKind) {
    const char* kinds[] = {"TabPanel",  "Label",      "TextField",  "BevelButton", "Label",    "TextField", "BevelButton",
                           "ProgressBar", "Label",    "TextField",  "BevelButton", "Label",    "PushButton", "PushButton",
                           "Label",     "CheckBox",   "CheckBox",   "PushButton",  "BevelButton", "BevelButton"};
    const std::vector<std::string> names = MainWindowControlNames();
    ASSERT_EQ(names.size(), std::size(kinds));
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const std::string record = MainWindowControlRecord(names[i]);
        const std::string head = "Name " + std::string("\0\0\0", 3) + char(names[i].size()) + names[i];
        EXPECT_EQ(record.compare(0, head.size(), head), 0);
        size_t entries = 0;
        EXPECT_NO_THROW(DecodeRecord(*ControlKindNamed(kinds[i]), record,
                                     [&](const PropertyRecord&, const Value&) { ++entries; }));
        EXPECT_GT(entries, 15u);
    }
}

TEST(DesignRecordBytes, EncoderWritesEachTypeInItsForm) {
    EXPECT_EQ(EncodeRecord({{"Left", -2}}), "Left " "\xFF\xFF\xFF\xFE"_bytes);
    EXPECT_EQ(EncodeRecord({{"Index", INT32_MIN}}), "Index " "\x80\0\0\0"_bytes);
    EXPECT_EQ(EncodeRecord({{"Visible", true}, {"Bold", false}}), "Visible " "\x01" "Bold " "\0"_bytes);
    EXPECT_EQ(EncodeRecord({{"BackColor", Color{0xFF, 0xE2, 0xA0}}}), "BackColor " "\xFF\xE2\xA0"_bytes);
    EXPECT_EQ(EncodeRecord({{"Text", ""}}), "Text " "\0\0\0\0"_bytes);
    EXPECT_EQ(EncodeRecord({}), "");
    EXPECT_THROW(EncodeRecord({{"Two Words", 1}}), MalformedRecordException);
}

TEST_F(RecordOnProbe, AnyOrderAndAnySubsetSetsEachPropertyByName) {
    Ref<Label> label = window_->Add<Label>("Label", "DoText");
    // The warning dialog's order: container first, geometry late, name last.
    const std::string record = EncodeRecord({
        {"InitialParent", ""}, {"DataField", ""}, {"Underline", false}, {"Bold", true}, {"TextFont", "System"},
        {"Visible", true}, {"Multiline", true}, {"TextColor", Color{0x12, 0x34, 0x56}}, {"TextAlign", 2},
        {"Text", "-"}, {"TabIndex", 0}, {"TabPanelIndex", 0}, {"LockBottom", true}, {"LockRight", true},
        {"Height", 84}, {"Width", 339}, {"Top", 7}, {"Left", 13}, {"Index", INT32_MIN}, {"Name", "DoText"},
        {"TabStop", true},
    });
    RuntimeMassPropertySetter(label, record);
    EXPECT_TRUE(label->Bold());
    EXPECT_TRUE(label->Multiline());
    EXPECT_EQ(label->TextColor(), (Color{0x12, 0x34, 0x56}));
    EXPECT_EQ(label->TextAlign(), 2);
    EXPECT_EQ(label->Text(), String("-"));
    EXPECT_TRUE(label->LockBottom());
    EXPECT_EQ(QRect(label->Left(), label->Top(), label->Width(), label->Height()), QRect(13, 7, 339, 84));
    EXPECT_EQ(label->Widget()->geometry(), QRect(13, 7, 339, 84));
    EXPECT_EQ(std::get<String>(RuntimeGetProperty(*label, "DataField")), String(""));

    // A subset leaves everything else as it was.
    RuntimeMassPropertySetter(label, EncodeRecord({{"Top", 40}}));
    EXPECT_EQ(label->Widget()->geometry(), QRect(13, 40, 339, 84));
    EXPECT_TRUE(label->Bold());
}

TEST_F(RecordOnProbe, ValueTakesItsTypeFromTheClassOfTheObject) {
    Ref<TabPanel> panel = window_->Add<TabPanel>("TabPanel", "Tabs");
    Ref<CheckBox> box = window_->Add<CheckBox>("CheckBox", "Box");
    Ref<BevelButton> bevel = window_->Add<BevelButton>("BevelButton", "Bevel");
    Ref<ProgressBar> bar = window_->Add<ProgressBar>("ProgressBar", "Bar");
    RuntimeMassPropertySetter(panel, EncodeRecord({{"TabDefinition", "One\rTwo\rThree"}, {"Value", 2}}));
    RuntimeMassPropertySetter(box, EncodeRecord({{"Value", true}}));
    RuntimeMassPropertySetter(bevel, EncodeRecord({{"Value", true}}));
    RuntimeMassPropertySetter(bar, EncodeRecord({{"Maximum", 100}, {"Value", 150}}));
    EXPECT_EQ(panel->PanelCount(), 3);
    EXPECT_EQ(panel->Value(), 2);
    EXPECT_TRUE(box->Value());
    EXPECT_TRUE(bevel->Value());
    EXPECT_EQ(bar->Value(), 150);
    // A Boolean where the class wants an Int32 is a truncated value.
    EXPECT_THROW(RuntimeMassPropertySetter(panel, EncodeRecord({{"Value", true}})), MalformedRecordException);
    EXPECT_EQ(panel->Value(), 2);
}

TEST_F(RecordOnProbe, MalformedRecordsAreRejectedWholeAndChangeNothing) {
    Ref<Label> label = window_->Add<Label>("Label", "Text");
    RuntimeMassPropertySetter(label, EncodeRecord({{"Left", 5}, {"Text", "before"}}));
    const struct {
        const char* why;
        std::string bytes;
    } cases[] = {
        {"missing separator at the end", "Left " "\0\0\0\x09" "Visible"_bytes},
        {"another separator", "Left:" "\0\0\0\x09"_bytes},
        {"no name", " \0\0\0\x09"_bytes},
        {"unknown name", "Left " "\0\0\0\x09" "Colour " "\0\0\0"_bytes},
        {"a name of another kind", "Value " "\x01"_bytes},
        {"truncated Int32", "Left " "\0\0\x09"_bytes},
        {"truncated Boolean", "Left " "\0\0\0\x09" "Visible "_bytes},
        {"Boolean other than 0 or 1", "Visible " "\x02"_bytes},
        {"truncated Color", "TextColor " "\0\0"_bytes},
        {"truncated string length", "Text " "\0\0"_bytes},
        {"string length past the end", "Left " "\0\0\0\x09" "Text " "\0\0\0\x07" "after"_bytes},
        {"string length far past the end", "Text " "\xFF\xFF\xFF\xFF" "after"_bytes},
        {"a property no record sets", "TextSize " "\0\0\0\x0B"_bytes},
        {"trailing garbage", "Left " "\0\0\0\x09" "\x01"_bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_THROW(RuntimeMassPropertySetter(label, c.bytes), MalformedRecordException);
        EXPECT_EQ(label->Left(), 5);
        EXPECT_EQ(label->Text(), String("before"));
    }
}

TEST(DesignRecordDecoder, EveryCutOfAValidRecordEitherEndsOnAnEntryOrIsRejected) {
    // The cut record is a view into the whole one: a reader that looked past
    // its end would find valid bytes there and accept a cut value.
    const std::string& whole = kStaticText1Bytes;
    size_t entries = 0;
    DecodeRecord(*GetLabelClass(), whole, [&](const PropertyRecord&, const Value&) { ++entries; });
    size_t accepted = 0;
    for (size_t n = 0; n <= whole.size(); ++n) {
        try {
            DecodeRecord(*GetLabelClass(), std::string_view(whole.data(), n), [](const PropertyRecord&, const Value&) {});
            ++accepted;
        } catch (const MalformedRecordException&) {
        }
    }
    EXPECT_EQ(accepted, entries + 1);  // the empty record and one per whole entry
}

TEST_F(RecordOnProbe, SettingARecordOffTheMainThreadIsRefusedAndChangesNothing) {
    Ref<Label> label = window_->Add<Label>("Label", "Text");
    const struct {
        const char* what;
        Ref<Object> target;
        std::vector<RecordEntry> record;
    } cases[] = {
        {"a property with a widget", label, {{"Text", "from a thread"}}},
        {"a kept code", label, {{"DataField", "from a thread"}}},
        {"a kept code of the window", window_, {{"Placement", 2}}},
        {"a lock", label, {{"LockRight", true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        bool refused = false;
        std::thread worker([&] {
            try {
                RuntimeMassPropertySetter(c.target, EncodeRecord(c.record));
            } catch (const ThreadAccessingUIException&) {
                refused = true;
            }
        });
        worker.join();
        EXPECT_TRUE(refused);
    }
    EXPECT_TRUE(label->Text().IsEmpty());
    EXPECT_EQ(std::get<String>(RuntimeGetProperty(*label, "DataField")), String(""));
    EXPECT_EQ(std::get<int32_t>(RuntimeGetProperty(*window_, "Placement")), 0);
    EXPECT_FALSE(label->LockRight());
}
