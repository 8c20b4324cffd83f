// The warning dialog on real windows: its height rule, its buttons and
// default button, Escape, its title and its modality.
#include "ProgramFixture.h"

#include "PlacedApplication.h"
#include "StandardError.h"

#include <QLabel>
#include <thread>

#include "windows/AboutWindow.h"
#include "windows/WarnWindow.h"

using namespace fw;

struct WarnWindowTestAccess {
    static int32_t GetTextHeight(WarnWindow& w, const String& content, int32_t lineHeight, int32_t charsPerLine) {
        return w.p_GetTextHeight(content, lineHeight, charsPerLine);
    }
};

namespace {

class WarnDialog : public ProgramFixture {
protected:
    // Shows a message as the main window's handlers do, and returns what came up.
    ShownWarning Show(const std::string& message, int defaultButton = 1, const char* c1 = "OK", const char* c2 = "",
                      const char* c3 = "") {
        const size_t before = answers_.shown.size();
        GetWarnWindowInstance()->InitWindow(defaultButton, String(message), c1, c2, c3);
        EXPECT_EQ(answers_.shown.size(), before + 1) << "not shown modally";
        EXPECT_TRUE(RuntimeGetImplicitWindow("WarnWindow.WarnWindow").IsNil()) << "left open";
        return answers_.shown.size() > before ? answers_.shown.back() : ShownWarning();
    }
};

}  // namespace

TEST_F(WarnDialog, AsBuiltItHasItsPlaceholdersAndTheTitleOfItsOpen) {
    Ref<WarnWindow> w = GetWarnWindowInstance();
    EXPECT_EQ(GetWarnWindowInstance(), w) << "the open one is the shared one";
    EXPECT_EQ(w->Widget()->size(), QSize(365, 135));
    EXPECT_EQ(w->MinHeight(), 104);
    EXPECT_NE(w->Title(), String("Attention!")) << "the record's title is replaced at open";
    const struct {
        const char* name;
        const char* kind;
        QRect place;
        const char* text;
        bool visible;
        float textSize;
        int32_t tabIndex;
    } controls[] = {
        {"DoText", "Label", {13, 7, 339, 84}, "-", true, 12, 0},
        {"Do1Btn", "PushButton", {252, 103, 100, 20}, "Do1", false, 11, 1},
        {"Do2Btn", "PushButton", {146, 103, 100, 20}, "Do2", false, 11, 2},
        {"Do3Btn", "PushButton", {38, 103, 100, 20}, "Do3", false, 11, 3},
        {"Do4Btn", "PushButton", {-70, 103, 100, 20}, "Do4", false, 11, 4},
    };
    ASSERT_EQ(w->Controls().size(), std::size(controls));
    for (size_t i = 0; i < std::size(controls); ++i) {
        const auto& e = controls[i];
        SCOPED_TRACE(e.name);
        Ref<RectControl> c = DynamicCast<RectControl>(w->Controls()[i]);
        EXPECT_EQ(c->Name(), String(e.name));
        EXPECT_EQ(c->Class(), ControlKindNamed(e.kind));
        EXPECT_EQ(c->Widget()->geometry(), e.place);
        EXPECT_EQ(c->Widget()->isVisibleTo(w->Widget()), e.visible);
        EXPECT_EQ(c->TextSize(), e.textSize);
        EXPECT_EQ(c->TextUnit(), 0);
        EXPECT_EQ(c->TabIndex(), e.tabIndex);
        EXPECT_EQ(c->Index(), INT32_MIN);
        const String text = c->Class() == GetLabelClass() ? DynamicCast<Label>(c)->Text() : DynamicCast<PushButton>(c)->Caption();
        EXPECT_EQ(text, String(e.text));
        EXPECT_EQ(c->HandlerCount("Action"), c->Class() == GetLabelClass() ? 0u : 1u);
    }
    EXPECT_TRUE(w->DoText()->Bold());
    EXPECT_FALSE(w->Do1Btn()->Default());
    w->Close();
}

TEST_F(WarnDialog, HeightIsOneRowPerStartedFortyFiveCharactersOfEachLine) {
    const std::string lf = "\n";
    const std::string fifty(50, 'x');
    const struct {
        const char* what;
        std::string message;
        int textHeight;
        int dialogHeight;
    } cases[] = {
        {"every message of the program: 16 characters", "Conversion done.", 18, 104},
        {"the longest message: 95 characters", std::string(95, 'm'), 54, 104},
        {"45 characters, one row", std::string(45, 'm'), 18, 104},
        {"46 characters, two rows", std::string(46, 'm'), 36, 104},
        {"136 characters", std::string(136, 'm'), 72, 117},
        {"180 characters", std::string(180, 'm'), 72, 117},
        {"181 characters", std::string(181, 'm'), 90, 135},
        {"225 characters", std::string(225, 'm'), 90, 135},
        {"three lines of 50, each rounded up on its own", fifty + lf + fifty + lf + fifty, 108, 153},
        {"blank lines count nothing", lf + lf + lf, 0, 104},
        {"the empty message", "", 0, 104},
        {"a carriage return is no line end here", fifty + "\r" + fifty, 54, 104},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ref<WarnWindow> unshown = GetWarnWindowInstance();
        EXPECT_EQ(WarnWindowTestAccess::GetTextHeight(*unshown, String(c.message), 18, 45), c.textHeight);
        unshown->Close();
        EXPECT_EQ(Show(c.message).height, c.dialogHeight);
    }
    EXPECT_TRUE(dialogs_->alerts.empty());
}

TEST_F(WarnDialog, AtItsMinimumHeightTheLabelAndButtonsFollowTheBottomEdge) {
    answers_.onShown = [](WarnWindow& w) {
        EXPECT_EQ(QRect(w.DoText()->Left(), w.DoText()->Top(), w.DoText()->Width(), w.DoText()->Height()),
                  QRect(13, 7, 339, 53));
        EXPECT_EQ(w.Do1Btn()->Widget()->geometry(), QRect(252, 72, 100, 20));
        EXPECT_EQ(w.Do3Btn()->Widget()->geometry(), QRect(38, 72, 100, 20));
        EXPECT_EQ(w.Widget()->size(), QSize(365, 104));
    };
    Show("Conversion done.");
}

TEST_F(WarnDialog, AFailingHeightRuleIsReportedAndCountsNothing) {
    Ref<WarnWindow> w = GetWarnWindowInstance();
    int32_t height = -1;
    EXPECT_EQ(ProgramLinesOnStderr([&] { height = WarnWindowTestAccess::GetTextHeight(*w, "some text", 18, 0); }),
              std::vector<std::string>{"Quelmar: EXception in String_GetTextHeight: rows of 0"});
    EXPECT_EQ(height, 0);
    EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"EXception in String_GetTextHeight"});
    w->Close();
}

TEST_F(WarnDialog, AFailureInsideInitWindowIsReportedAndWhatWasDoneStays) {
    WarnResult = 7;
    // Never constructed, so it has no controls: the message has nowhere to go.
    Ref<WarnWindow> bare = DynamicCast<WarnWindow>(RuntimeNewObject(GetWarnWindowClass()));
    EXPECT_EQ(ProgramLinesOnStderr([&] { bare->InitWindow(1, "Conversion done.", "OK", "", ""); }),
              std::vector<std::string>{"Quelmar: Exception in WarnWin: InitWindow: NilObjectException"});
    EXPECT_EQ(dialogs_->Prompts(), std::vector<std::string>{"Exception in WarnWin: InitWindow"});
    EXPECT_EQ(WarnResult, -1);
    EXPECT_EQ(bare->Height(), bare->MinHeight());  // the height was set before
    EXPECT_EQ(dialogs_->beeps, 0) << "went on after the failure";
    EXPECT_TRUE(answers_.shown.empty());
}

TEST_F(WarnDialog, ButtonsCaptionsDefaultAndResult) {
    const struct {
        int defaultButton;
        const char *c1, *c2, *c3;
        int answer;  // the button pressed; 0 for Escape
        std::vector<std::string> visible;
        int shownDefault;
        int32_t result;
    } cases[] = {
        {1, "OK", "", "", 1, {"OK"}, 1, 1},
        {1, "OK", "", "", 0, {"OK"}, 1, -1},
        {2, "Yes", "No", "Cancel", 3, {"Yes", "No", "Cancel"}, 2, 3},
        {3, "Yes", "No", "Cancel", 2, {"Yes", "No", "Cancel"}, 3, 2},
        {0, "Yes", "No", "", 1, {"Yes", "No"}, 0, 1},
        {4, "Yes", "", "", 1, {"Yes"}, 0, 1},
        {2, "Yes", "", "", 1, {"Yes"}, 2, 1},  // the hidden button is made the default all the same
        {1, "", "", "", 0, {}, 1, -1},          // no button: only Escape closes it
    };
    int beeps = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.defaultButton) + " " + c.c1 + "/" + c.c2 + "/" + c.c3);
        answers_.answer = c.answer;
        const ShownWarning shown = Show("Conversion done.", c.defaultButton, c.c1, c.c2, c.c3);
        EXPECT_EQ(shown.buttons, c.visible);
        EXPECT_EQ(shown.defaultButton, c.shownDefault);
        EXPECT_EQ(WarnResult, c.result);
        EXPECT_EQ(dialogs_->beeps, ++beeps) << "one beep per message";
    }
}

TEST_F(WarnDialog, OnlyEscapeOfAllKeysClosesItAndNoKeyIsClaimed) {
    answers_.answer = 0;
    answers_.onShown = [](WarnWindow& w) {
        QTest::keyClick(w.Widget(), Qt::Key_A);
        QTest::keyClick(w.Widget(), Qt::Key_Space);
        EXPECT_TRUE(w.IsOpen());
        EXPECT_FALSE(w.Event_KeyDown("a"));
        EXPECT_FALSE(w.Event_KeyDown(StringDBCSChr(27)));  // closes it, and still claims nothing
        EXPECT_FALSE(w.IsOpen());
    };
    Show("Conversion done.");
    EXPECT_EQ(WarnResult, -1);
}

TEST_F(WarnDialog, TheWindowManagersCloseRequestLeavesItUpWhileItsButtonAndEscapeStillCloseIt) {
    // 0: Escape after the request; 1: "OK".
    for (const int answer : {1, 0}) {
        SCOPED_TRACE(answer);
        bool upAfterRequest = false;
        int32_t resultAfterRequest = 0;
        answers_.answer = -1;
        answers_.onShown = [&](WarnWindow& w) {
            RequestClose(w.Widget());
            QCoreApplication::processEvents();
            upAfterRequest = w.IsOpen() && w.Widget()->isVisible() && QApplication::activeModalWidget() == w.Widget();
            resultAfterRequest = WarnResult;
            if (answer == 0) QTest::keyClick(w.Widget(), Qt::Key_Escape);
            else ::Click(w, w.Do1Btn());
        };
        Show("Conversion done.");
        EXPECT_TRUE(upAfterRequest);
        EXPECT_EQ(resultAfterRequest, -1);
        EXPECT_EQ(WarnResult, answer == 0 ? -1 : 1);
    }
    // The program's own Close still closes it.
    Ref<WarnWindow> w = GetWarnWindowInstance();
    w->Close();
    EXPECT_TRUE(RuntimeGetImplicitWindow("WarnWindow.WarnWindow").IsNil());
}

TEST_F(WarnDialog, TheMainAndAboutWindowsStillCloseAtTheRequest) {
    Click(window_->AboutBtn());
    Ref<Window> about = RuntimeGetImplicitWindow("AboutWindow.AboutWindow");
    ASSERT_FALSE(about.IsNil());
    RequestClose(about->Widget());
    EXPECT_FALSE(about->IsOpen());
    RequestClose(window_->Widget());
    EXPECT_FALSE(window_->IsOpen());
}

TEST_F(WarnDialog, TitleIsTheNameBeforeItsFirstDotAndTheShortVersion) {
    const std::string project = QUELMAR_PROJECT_VERSION;
    const std::string shortVersion = project.substr(0, project.rfind('.'));
    EXPECT_EQ(getAppObject()->LongVersion().ToUTF8(), project);
    EXPECT_EQ(getAppObject()->ShortVersion().ToUTF8(), shortVersion);
    const struct {
        const char* executable;
        std::string title;
    } cases[] = {
        {"/Applications/Quelmar.app/Contents/MacOS/Quelmar", "Quelmar v." + shortVersion + " - Warning"},
        {"/opt/a.b.c", "a v." + shortVersion + " - Warning"},
    };
    for (const auto& c : cases) {
        RuntimeRegisterAppObject(New<PlacedApplication>(c.executable));
        EXPECT_EQ(Show("Conversion done.").title, c.title);
    }
    // Without an application object the dialog cannot open.
    RuntimeRegisterAppObject(Nil);
    EXPECT_THROW(GetWarnWindowInstance(), NilObjectException);
    EXPECT_TRUE(RuntimeGetImplicitWindow("WarnWindow.WarnWindow").IsNil());
}

TEST_F(WarnDialog, ItIsModalAndComesUpCentredOverTheMainWindow) {
    answers_.onShown = [this](WarnWindow&) {
        Click(window_->AboutBtn());  // a click on the main window while the dialog is up
        EXPECT_TRUE(RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil()) << "the main window took input";
    };
    const ShownWarning shown = Show("Conversion done.");
    EXPECT_TRUE(shown.centred);
    Click(window_->AboutBtn());  // once it has closed, the main window takes input again
    EXPECT_FALSE(RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil());
}

TEST_F(WarnDialog, FromItsBuildOnNoOtherWindowTakesInputAndItComesUpOnlyWhenReady) {
    // The dialog's widget each time it comes on screen: its height and its message.
    struct ShowWatcher : QObject {
        std::vector<std::pair<int, std::string>> shows;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() != QEvent::Show) return false;
            Ref<WarnWindow> w = DynamicCast<WarnWindow>(RuntimeGetImplicitWindow("WarnWindow.WarnWindow"));
            if (w && o == w->Widget()) shows.push_back({w->Height(), w->DoText()->Text().ToUTF8()});
            return false;
        }
    } watcher;
    qApp->installEventFilter(&watcher);
    bool yielded = false, visibleWhileBuilt = true;
    SetBackgroundTaskObserver([&] {
        Ref<Window> warn = RuntimeGetImplicitWindow("WarnWindow.WarnWindow");
        if (yielded || warn.IsNil()) return;
        yielded = true;  // the height rule yields while the dialog is being made ready
        visibleWhileBuilt = warn->Widget()->isVisible();
        Click(window_->AboutBtn());
        window_->Widget()->close();  // the main window's close box
    });
    Show("Conversion done.");
    SetBackgroundTaskObserver(nullptr);
    qApp->removeEventFilter(&watcher);
    ASSERT_TRUE(yielded);
    EXPECT_FALSE(visibleWhileBuilt) << "on screen before it was ready";
    EXPECT_TRUE(RuntimeGetImplicitWindow("AboutWindow.AboutWindow").IsNil()) << "the main window took a click";
    EXPECT_TRUE(window_->IsOpen()) << "the main window was closed";
    EXPECT_EQ(watcher.shows, (std::vector<std::pair<int, std::string>>{{104, "Conversion done."}}));
}

TEST_F(WarnDialog, ScreenshotShowsTheLongestMessageWrappedInsideAndTheButtonWhole) {
    const std::string note =
        "To import emlx into Apple Mail remember to select 'Apple Mail' when choosing 'Import Mailboxes'";
    answers_.onShown = [](WarnWindow& w) {
        QCoreApplication::processEvents();
        auto* label = static_cast<QLabel*>(w.DoText()->Widget());
        EXPECT_TRUE(label->wordWrap());
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), 12);
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << "the message does not fit";
        QWidget* ok = w.Do1Btn()->Widget();
        EXPECT_TRUE(w.Widget()->rect().contains(ok->geometry()));
        EXPECT_LE(ok->sizeHint().width(), ok->width());
        const Qt::WindowFlags flags = w.Widget()->windowFlags();
        EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(w.Widget()->minimumSize(), w.Widget()->maximumSize()) << "the user can resize it";
        EXPECT_TRUE(w.Widget()->grab().save(TestOutputFolder() + "/WarnWindow.png"));
    };
    EXPECT_EQ(Show(note).message, note);
}
