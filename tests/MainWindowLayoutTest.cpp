// The main window as built: its own properties and its twenty controls, checked
// on the real widgets against the window's tables.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>
#include <map>

#include "CallRecorder.h"
#include "MainWindowAccess.h"
#include "ScriptedDialogs.h"
#include "framework/Delegate.h"
#include "framework/DesignRecord.h"
#include "framework/Plugins.h"
#include "windows/MainWindowRecords.h"
#include "windows/Pictures.h"

using namespace fw;

void PrintTo(const QRect& r, std::ostream* os) {
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace {

using PictureAccessor = Ref<Picture> (*)();
constexpr int kOnWindow = 0, kSinglePage = 1, kBatchPage = 2;
constexpr int kNone = -1;
constexpr float kDefault = 0;

struct ExpectedControl {
    const char* name;
    const char* kind;
    int page;  // 0 the window, else the page of TabPanel1 counted from 1
    int left, top, width, height;
    int tabIndex;
    const char* text;
    float textSize;
    bool enabled;
    bool visible;
    PictureAccessor icon;
};

const ExpectedControl kExpected[] = {
    {"TabPanel1", "TabPanel", kOnWindow, 10, 5, 428, 223, 0, "Single File Conversion\rBatch Conversion", kDefault,
     true, true, nullptr},
    {"StaticText1", "Label", kBatchPage, 20, 45, 111, 20, 0, "Source Directory:", 11, true, true, nullptr},
    {"SourceDirectoryField", "TextField", kBatchPage, 20, 67, 317, 20, 1, "", 11, true, true, nullptr},
    {"SourceDirSelectBtn", "BevelButton", kBatchPage, 342, 66, 86, 22, 2, "Select...", kDefault, false, true,
     OrdnerPicture},
    {"StaticText2", "Label", kBatchPage, 20, 91, 111, 20, 3, "Target Directory:", 11, true, true, nullptr},
    {"TargetDirectoryField", "TextField", kBatchPage, 20, 113, 317, 20, 4, "", 11, true, true, nullptr},
    {"TargetDirSelectBtn", "BevelButton", kBatchPage, 342, 112, 86, 22, 5, "Select...", kDefault, false, true,
     OrdnerPicture},
    {"StatusBar", "ProgressBar", kBatchPage, 20, 140, 408, 16, kNone, nullptr, kDefault, true, true, nullptr},
    {"StaticText3", "Label", kSinglePage, 20, 45, 111, 20, 0, "Source File:", 11, true, true, nullptr},
    {"SourceFileField", "TextField", kSinglePage, 20, 69, 317, 20, 1, "", 11, true, true, nullptr},
    {"SourceFileSelectBtn", "BevelButton", kSinglePage, 342, 68, 86, 22, 2, "Select...", kDefault, true, true,
     OrdnerPicture},
    {"StatusText", "Label", kBatchPage, 20, 153, 408, 20, 6, "-", 11, true, true, nullptr},
    {"ConvertSingleBtn", "PushButton", kSinglePage, 277, 136, 151, 20, 3, "Convert", kDefault, false, true, nullptr},
    {"ConvertBatchBtn", "PushButton", kBatchPage, 303, 197, 125, 20, 7, "Batch Convert", kDefault, false, true,
     nullptr},
    {"StaticText4", "Label", kSinglePage, 20, 96, 408, 20, 4,
     "The converted file will be created in the same directory as the source file.", 11, true, true, nullptr},
    {"CreateMBoxCB", "CheckBox", kBatchPage, 20, 175, 158, 20, 8, "Create .mbox Folders", 11, true, true, nullptr},
    {"CreateMailStructureCB", "CheckBox", kBatchPage, 20, 198, 275, 20, 9,
     "Create Mac OS Mail Structure (for 10.7 & above)", 11, true, true, nullptr},
    {"QuitBtn", "PushButton", kOnWindow, 342, 277, 96, 20, 1, "Quit", kDefault, true, true, nullptr},
    {"AboutBtn", "BevelButton", kOnWindow, 10, 276, 69, 22, 2, "About", kDefault, true, true, BriefmarkePicture},
    {"HelpBtn", "BevelButton", kOnWindow, 232, 276, 60, 22, 3, "Help", kDefault, true, false, FragezeichenPicture},
};

String TextOf(Control& c) {
    if (auto* l = dynamic_cast<Label*>(&c)) return l->Text();
    if (auto* f = dynamic_cast<TextField*>(&c)) return f->Text();
    if (auto* b = dynamic_cast<PushButton*>(&c)) return b->Caption();
    if (auto* b = dynamic_cast<BevelButton*>(&c)) return b->Caption();
    if (auto* b = dynamic_cast<CheckBox*>(&c)) return b->Caption();
    if (auto* t = dynamic_cast<TabPanel*>(&c)) return t->TabDefinition();
    return String();
}

// What the widget shows as its caption or text ("&&" is how Qt shows one "&").
QString ShownText(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().replace("&&", "&");
    if (auto* t = qobject_cast<QTabWidget*>(w)) {
        QStringList pages;
        for (int i = 0; i < t->count(); ++i) pages << t->tabText(i).replace("&&", "&");
        return pages.join('\r');
    }
    return QString();
}

class MainWindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        CloseOpenWindows();
        window_ = GetMainWindowInstance();
    }
    void TearDown() override {
        SetHandlerObserver(nullptr);  // also when a test ends before it takes its own away
        if (window_) window_->Close();
        window_.Release();
    }
    Ref<RectControl> Control(const std::string& name) {
        return DynamicCast<RectControl>(window_->_ControlByName(String(name)));
    }
    QWidget* ContainerOf(int page) {
        return page == kOnWindow ? window_->Widget() : window_->TabPanel1()->Page(page - 1);
    }

    Ref<MainWindow> window_;
    ScopedDialogs dialogs_;
};

}  // namespace

TEST_F(MainWindowLayout, EveryControlStandsAsTheTablesSay) {
    ASSERT_EQ(window_->Controls().size(), std::size(kExpected));
    for (size_t i = 0; i < std::size(kExpected); ++i) {
        const ExpectedControl& e = kExpected[i];
        SCOPED_TRACE(e.name);
        Ref<RectControl> c = Control(e.name);
        ASSERT_FALSE(c.IsNil());
        EXPECT_EQ(window_->Controls()[i], c) << "built out of order";
        EXPECT_EQ(c->Name(), String(e.name));
        EXPECT_EQ(c->Class(), ControlKindNamed(e.kind));
        EXPECT_EQ(c->Index(), INT32_MIN);

        QWidget* w = c->Widget();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), ContainerOf(e.page));
        EXPECT_EQ(QRect(c->Left(), c->Top(), c->Width(), c->Height()), QRect(e.left, e.top, e.width, e.height));
        EXPECT_EQ(QRect(w->mapTo(window_->Widget(), QPoint(0, 0)), w->size()),
                  QRect(e.left, e.top, e.width, e.height));
        EXPECT_EQ(c->TabIndex(), e.tabIndex);

        if (e.text) {
            EXPECT_EQ(TextOf(*c), String(e.text));
            EXPECT_EQ(ShownText(w), QString(e.text));
        }
        EXPECT_EQ(c->TextSize(), e.textSize);
        if (e.textSize != kDefault) {
            EXPECT_EQ(w->font().pixelSize(), int(e.textSize));
        }
        EXPECT_EQ(c->TextUnit(), 0);
        EXPECT_EQ(c->TextFont(), String("System"));
        EXPECT_FALSE(c->Bold());

        // Built disabled (BuiltTheSourceFolderChooserIsDisabledUntilOpen), the source folder's
        // "Select..." is enabled by the enabling rule at "Open".
        const bool enabled = e.enabled || std::string(e.name) == "SourceDirSelectBtn";
        EXPECT_EQ(c->Enabled(), enabled);
        EXPECT_EQ(w->isEnabled(), enabled);
        EXPECT_EQ(c->Visible(), e.visible);
        EXPECT_EQ(w->isHidden(), !e.visible);

        if (auto bevel = DynamicCast<BevelButton>(c)) {
            ASSERT_NE(e.icon, nullptr);
            ASSERT_FALSE(bevel->Icon().IsNil()) << "the picture did not load";
            EXPECT_EQ(bevel->Icon(), e.icon()) << "not the cached picture";
            EXPECT_FALSE(static_cast<QToolButton*>(w)->icon().isNull());
            EXPECT_EQ(static_cast<QToolButton*>(w)->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        }
    }
}

TEST_F(MainWindowLayout, ThePictureButtonsAreThoseOfTheBevelButtonPlugin) {
    window_->Close();
    CallRecorder calls;
    window_ = GetMainWindowInstance();
    EXPECT_TRUE(calls.Saw("RuntimeLookupPluginEntrypoint BevelButton")) << "built without the plug-in";
    const ClassRecord* plugin = RuntimeLookupPluginEntrypoint("BevelButton").cls;
    for (const char* name : {"SourceDirSelectBtn", "TargetDirSelectBtn", "SourceFileSelectBtn", "AboutBtn", "HelpBtn"})
        EXPECT_EQ(Control(name)->Class(), plugin) << name;
    EXPECT_EQ(window_->AboutBtn(), Control("AboutBtn"));
}

TEST_F(MainWindowLayout, BuiltTheSourceFolderChooserIsDisabledUntilOpen) {
    // The construction's two hooks without the "Open" that follows them.
    Ref<MainWindow> built = DynamicCast<MainWindow>(RuntimeNewObject(GetMainWindowClass()));
    ASSERT_TRUE(built->RaiseEvent("Layout"));
    ASSERT_TRUE(built->RaiseEvent("CreateControls"));
    for (const ExpectedControl& e : kExpected) {
        SCOPED_TRACE(e.name);
        Ref<RectControl> c = DynamicCast<RectControl>(built->_ControlByName(String(e.name)));
        ASSERT_FALSE(c.IsNil());
        EXPECT_EQ(c->Enabled(), e.enabled);
        EXPECT_EQ(c->Widget()->isEnabled(), e.enabled);
    }
    EXPECT_FALSE(built->SourceDirSelectBtn()->Enabled());
    EXPECT_TRUE(window_->SourceDirSelectBtn()->Enabled()) << "not enabled at Open";
}

TEST_F(MainWindowLayout, InitialStatesOfFieldsBoxesBarButtonsAndPanel) {
    for (const char* name : {"SourceDirectoryField", "TargetDirectoryField", "SourceFileField"}) {
        SCOPED_TRACE(name);
        Ref<TextField> field = DynamicCast<TextField>(Control(name));
        EXPECT_TRUE(field->ReadOnly());
        EXPECT_TRUE(static_cast<QLineEdit*>(field->Widget())->isReadOnly());
        EXPECT_TRUE(field->Text().IsEmpty());
    }
    for (Ref<CheckBox> box : {window_->CreateMBoxCB(), window_->CreateMailStructureCB()}) {
        EXPECT_TRUE(box->Value());
        EXPECT_EQ(box->State(), 1);
        EXPECT_TRUE(static_cast<QAbstractButton*>(box->Widget())->isChecked());
        EXPECT_FALSE(std::get<bool>(RuntimeGetProperty(*box, "AutoDeactivate")));
    }
    EXPECT_EQ(window_->StatusBar()->Value(), 0);
    EXPECT_EQ(window_->StatusBar()->Maximum(), 100);
    EXPECT_TRUE(window_->QuitBtn()->Default());
    EXPECT_FALSE(window_->ConvertSingleBtn()->Default());
    EXPECT_FALSE(window_->AboutBtn()->AcceptFocus());
    EXPECT_TRUE(std::get<bool>(RuntimeGetProperty(*window_->QuitBtn(), "AutoDeactivate")));
    EXPECT_EQ(std::get<int32_t>(RuntimeGetProperty(*window_->HelpBtn(), "CaptionPlacement")), 2);
    EXPECT_EQ(window_->TabPanel1()->PanelCount(), 2);
}

TEST_F(MainWindowLayout, WindowIsAFixedTitledWindowWithCloseAndMinimiseButtons) {
    QWidget* w = window_->Widget();
    EXPECT_EQ(window_->Width(), 448);
    EXPECT_EQ(window_->Height(), 306);
    EXPECT_EQ(w->size(), QSize(448, 306));
    EXPECT_EQ(w->minimumSize(), QSize(448, 306)) << "the user can resize it";
    EXPECT_EQ(w->maximumSize(), QSize(448, 306)) << "the user can resize it";
    EXPECT_EQ(window_->Title(), String("Quelmar"));
    EXPECT_EQ(w->windowTitle(), QString("Quelmar"));
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(window_->Backdrop().IsNil());
    // Codes with no effect here are kept as the record gave them.
    EXPECT_EQ(std::get<bool>(RuntimeGetProperty(*window_, "MenuBarVisible")), true);
    EXPECT_EQ(std::get<bool>(RuntimeGetProperty(*window_, "FullScreenButton")), false);
    EXPECT_EQ(std::get<int32_t>(RuntimeGetProperty(*window_, "MinWidth")), 64);
    EXPECT_EQ(std::get<int32_t>(RuntimeGetProperty(*window_, "MaxHeight")), 32000);
}

TEST_F(MainWindowLayout, OpensOnTheSingleFilePageWithOnlyItsControlsShowing) {
    EXPECT_EQ(window_->TabPanel1()->Value(), 0);
    EXPECT_EQ(static_cast<QTabWidget*>(window_->TabPanel1()->Widget())->currentIndex(), 0);
    // "Source File:" and "Source Directory:" stand at the same place on different pages.
    EXPECT_TRUE(window_->StaticText3()->Widget()->isVisible());
    EXPECT_FALSE(window_->StaticText1()->Widget()->isVisible());
    window_->TabPanel1()->SetValue(1);
    EXPECT_FALSE(window_->StaticText3()->Widget()->isVisible());
    EXPECT_TRUE(window_->StaticText1()->Widget()->isVisible());
    EXPECT_EQ(window_->StaticText1()->Widget()->mapTo(window_->Widget(), QPoint(0, 0)), QPoint(20, 45));
}

TEST_F(MainWindowLayout, KeyboardOrderFollowsTabIndexInEachContainer) {
    // Tab reaches the focusable controls of each container in TabIndex order;
    // labels, the bar and the bevel buttons (AcceptFocus False) take no focus.
    const std::map<int, std::vector<std::string>> expected = {
        {kOnWindow, {"TabPanel1", "QuitBtn"}},
        {kSinglePage, {"SourceFileField", "ConvertSingleBtn"}},
        {kBatchPage, {"SourceDirectoryField", "TargetDirectoryField", "ConvertBatchBtn", "CreateMBoxCB",
                      "CreateMailStructureCB"}},
    };
    std::map<QWidget*, std::string> names;
    for (const ExpectedControl& e : kExpected) names[Control(e.name)->Widget()] = e.name;
    std::map<int, std::vector<std::string>> chain;
    QWidget* start = window_->Widget();
    QWidget* w = start;
    for (int steps = 0; steps < 1000; ++steps) {
        w = w->nextInFocusChain();
        if (w == start) break;
        auto it = names.find(w);
        if (it == names.end() || !(w->focusPolicy() & Qt::TabFocus)) continue;
        for (const ExpectedControl& e : kExpected)
            if (it->second == e.name) chain[e.page].push_back(e.name);
    }
    EXPECT_EQ(chain, expected);
}

TEST_F(MainWindowLayout, BindingComesLastAndEachHandlerIsBoundToItsEvent) {
    window_->Close();
    window_.Release();
    std::vector<std::string> called;
    SetHandlerObserver([&](const std::string& member) { called.push_back(member); });
    window_ = GetMainWindowInstance();
    EXPECT_TRUE(called.empty()) << "building the window ran " << called.front();

    const std::pair<const char*, const char*> bound[] = {
        {"SourceDirectoryField", "TextChange"}, {"SourceDirSelectBtn", "Action"}, {"TargetDirectoryField", "TextChange"},
        {"TargetDirSelectBtn", "Action"},       {"SourceFileField", "TextChange"}, {"SourceFileSelectBtn", "Action"},
        {"ConvertSingleBtn", "Action"},         {"ConvertBatchBtn", "Action"},     {"CreateMBoxCB", "Action"},
        {"QuitBtn", "Action"},                  {"AboutBtn", "Action"},            {"HelpBtn", "Action"},
    };
    size_t bindings = 0;
    for (const Ref<class Control>& c : window_->Controls())
        bindings += c->HandlerCount("Action") + c->HandlerCount("TextChange") + c->HandlerCount("Open");
    EXPECT_EQ(bindings, std::size(bound));
    for (const auto& [name, event] : bound) EXPECT_EQ(Control(name)->HandlerCount(event), 1u) << name;

    // Bound now: the same values raise the handlers that the record did not.
    window_->SourceFileField()->SetText("/tmp/a.eml");
    window_->CreateMBoxCB()->SetValue(false);
    static_cast<QAbstractButton*>(window_->SourceFileSelectBtn()->Widget())->click();
    EXPECT_EQ(called, (std::vector<std::string>{"SourceFileField_TextChange", "CreateMBoxCB_Action",
                                                "SourceFileSelectBtn_Action"}));
}

TEST_F(MainWindowLayout, AHandlerWhoseWindowIsGoneRaisesNilObjectException) {
    Ref<TextField> field = window_->SourceFileField();
    WeakRef<MainWindow> gone(window_);
    window_->Close();
    window_.Release();
    ASSERT_TRUE(gone.Expired());
    EXPECT_THROW(field->SetText("/tmp/b.eml"), NilObjectException);
    QCoreApplication::processEvents();  // the widgets go now; the control outlives them safely
    EXPECT_THROW(field->RaiseEvent("TextChange"), NilObjectException);
}

TEST_F(MainWindowLayout, TheStatusLineLiesAboveTheBarAndItsTextShowsWhole) {
    window_->TabPanel1()->SetValue(1);
    window_->StatusBar()->SetMaximum(315);
    window_->StatusBar()->SetValue(315);  // a full bar: its edge is at its darkest
    window_->StatusText()->SetText("314 of 315 (hit esc to stop)");
    QWidget* bar = window_->StatusBar()->Widget();
    QWidget* label = window_->StatusText()->Widget();
    QWidget* page = window_->TabPanel1()->Page(1);

    // The label, made later, lies above the bar where their boxes meet.
    const QObjectList& bottomToTop = page->children();
    EXPECT_LT(bottomToTop.indexOf(bar), bottomToTop.indexOf(label));
    const QRect shared = bar->geometry() & label->geometry();
    ASSERT_FALSE(shared.isEmpty()) << "the boxes no longer meet";
    EXPECT_EQ(page->childAt(shared.center()), label);

    // Its text's box (where it puts ink) is the same with the bar there or not.
    const auto grab = [&] {
        QCoreApplication::processEvents();
        return window_->Widget()->grab().toImage();
    };
    bar->hide();
    const QImage alone = grab();
    bar->show();
    const QImage withBar = grab();
    const QRect labelBox(label->mapTo(window_->Widget(), QPoint(0, 0)), label->size());
    QRect ink;
    for (int y = labelBox.top(); y <= labelBox.bottom(); ++y)
        for (int x = labelBox.left(); x <= labelBox.right(); ++x)
            if (qGray(alone.pixel(x, y)) < 160) ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty()) << "no text drawn";
    int changed = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) changed += withBar.pixel(x, y) != alone.pixel(x, y);
    EXPECT_EQ(changed, 0) << "the bar shows in the text's box, rows " << ink.top() << " to " << ink.bottom()
                          << "; the bar ends at row " << bar->mapTo(window_->Widget(), QPoint(0, bar->height() - 1)).y();
}

TEST_F(MainWindowLayout, EveryCaptionFitsItsControl) {
    for (const ExpectedControl& e : kExpected) {
        const std::string kind = e.kind;
        if (kind == "TextField" || kind == "ProgressBar" || kind == "TabPanel") continue;
        SCOPED_TRACE(e.name);
        EXPECT_LE(Control(e.name)->Widget()->sizeHint().width(), e.width)
            << "clipped in " << Control(e.name)->Widget()->font().family().toStdString();
    }
}

TEST_F(MainWindowLayout, ScreenshotOfEachPageShowsTheWindow) {
    const QString folder = QCoreApplication::applicationDirPath() + "/../test-output";
    ASSERT_TRUE(QDir().mkpath(folder));
    const char* pages[] = {"MainWindow-SingleFileConversion.png", "MainWindow-BatchConversion.png"};
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(pages[page]);
        window_->TabPanel1()->SetValue(page);
        QCoreApplication::processEvents();
        const QImage shot = window_->Widget()->grab().toImage();
        ASSERT_EQ(shot.size(), QSize(448, 306));
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2) colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 20) << "the window looks blank";
        EXPECT_TRUE(shot.save(folder + "/" + pages[page]));
    }
}
