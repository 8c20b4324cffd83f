// Windows on their own: construction, modality and placement, the end of a
// window and of the runtime, redraws, and the state given to a control before
// its widget exists.
#include "UserInput.h"  // first: it decides how QTest delivers clicks

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <thread>

#include "ProbeWindow.h"
#include "RunOfItsOwn.h"
#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "framework/DesignRecord.h"
#include "framework/EventDispatch.h"

using namespace fw;

namespace {

bool Listed(const Ref<Window>& window) {
    const auto& open = OpenWindows();
    return std::count(open.begin(), open.end(), window) == 1;
}

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

constexpr int kFrameMs = 16;

}  // namespace

TEST(WindowConstruction, ASecondConstructionOrOneAfterCloseIsRefused) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    EXPECT_THROW(window->Constructor(), RuntimeException);
    EXPECT_TRUE(window->IsOpen());
    EXPECT_TRUE(Listed(window)) << "listed twice or not at all";
    window->Close();
    EXPECT_THROW(window->Constructor(), RuntimeException);
    EXPECT_FALSE(window->IsOpen());
    EXPECT_FALSE(Listed(window));

    Ref<Window> neverBuilt = DynamicCast<Window>(RuntimeNewObject(ProbeWindow::GetClass()));
    neverBuilt->Close();
    EXPECT_THROW(neverBuilt->Constructor(), RuntimeException);
    EXPECT_FALSE(Listed(neverBuilt));
}

TEST(WindowModality, AModalWindowAlreadyShownBlocksTheOthersAndComesUpOverTheFirst) {
    Ref<ProbeWindow> first = ProbeWindow::Open();
    Ref<PushButton> button = first->Add<PushButton>("PushButton", "Button");
    first->Bind(button, "Action", "Button_Action", "PushButton");
    int clicks = 0;
    first->onEvent = [&](const std::string&, Control&) { ++clicks; };
    Ref<ProbeWindow> modal = ProbeWindow::Open();  // visible from its construction on
    ASSERT_TRUE(modal->Widget()->isVisible());
    EXPECT_EQ(modal->Widget()->frameGeometry().center(), first->Widget()->frameGeometry().center());
    Soon([&] {
        QTest::mouseClick(button->Widget(), Qt::LeftButton);
        modal->Close();
    });
    modal->ShowModal();
    EXPECT_EQ(clicks, 0) << "the other window took input";
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    first->Close();
}

TEST(WindowModality, CloseEndsEveryPendingShowModalOfTheWindow) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    int returned = 0;
    Soon([&] {
        Soon([&] { window->Close(); });
        window->ShowModal();  // shown modally a second time, from inside the first
        ++returned;
    });
    QTimer watchdog;  // the outer call would otherwise wait for good
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "a ShowModal of the closed window never returned";
        std::_Exit(1);
    });
    watchdog.start(5000);
    window->ShowModal();
    ++returned;
    EXPECT_EQ(returned, 2);
    window->ShowModal();  // a closed window is shown no more
}

TEST(WindowModality, AModalDialogLeftUnshownByItsHandlerComesUpModalWhenTheHandlerReturns) {
    RunOfItsOwn run;
    ScopedDialogs dialogs;
    Ref<ProbeWindow> first = ProbeWindow::Open();
    Ref<ProbeWindow> dialog;
    bool visibleInside = true;
    DeliverEvent([&] {
        dialog = ProbeWindow::Open([](ProbeWindow& w) { w.SetFrame(1); });  // a modal dialog's frame
        visibleInside = dialog->Widget()->isVisible();
        throw RuntimeException("the handler failed before it showed the dialog");
    });
    EXPECT_EQ(dialogs->Prompts(), std::vector<std::string>{"the handler failed before it showed the dialog"});
    (void)TakeEscapedException();
    EXPECT_FALSE(visibleInside) << "on screen before it was shown";
    EXPECT_TRUE(dialog->Widget()->isVisible()) << "left open and unseen, it would block the others for good";
    EXPECT_EQ(QApplication::activeModalWidget(), dialog->Widget());
    dialog->Close();
    first->Close();
}

TEST(WindowEvents, AnExceptionFromAWindowsOwnHandlerIsShownAndTheApplicationGoesOn) {
    RunOfItsOwn run;
    ScopedDialogs dialogs;
    Ref<ProbeWindow> window = ProbeWindow::Open();
    window->onWindowEvent = [](const std::string& event) -> bool {
        throw NilObjectException("failed in " + event);
    };
    QTest::mouseClick(window->Widget(), Qt::LeftButton);
    QTest::keyClick(window->Widget(), Qt::Key_A);
    EXPECT_EQ(dialogs->Prompts(), (std::vector<std::string>{"failed in MouseDown", "failed in KeyDown"}));
    EXPECT_NE(TakeEscapedException(), nullptr);
    window->onWindowEvent = nullptr;
    QTest::mouseClick(window->Widget(), Qt::LeftButton);
    EXPECT_TRUE(window->IsOpen());
    window->Close();
}

TEST(WindowLifetime, RuntimeExitClosesAndDestroysTheOpenWindows) {
    WeakRef<ProbeWindow> weak;
    QPointer<QWidget> widget;
    {
        Ref<ProbeWindow> window = ProbeWindow::Open();
        weak = window;
        widget = window->Widget();
    }
    RuntimeExit();
    EXPECT_TRUE(OpenWindows().empty());
    EXPECT_TRUE(weak.Expired()) << "left to the static destructors";
    EXPECT_TRUE(widget.isNull());
}

TEST(WindowLifetime, AWindowDestroyedWithoutClosingStopsItsTimersOnEitherThread) {
    for (bool onWorker : {false, true}) {
        SCOPED_TRACE(onWorker ? "destroyed on a worker thread" : "destroyed on the main thread");
        int fired = 0;
        Ref<Timer> timer;
        QPointer<QWidget> widget;
        {
            // Never constructed, so never listed or closed: its last reference is ours.
            Ref<ProbeWindow> window = DynamicCast<ProbeWindow>(RuntimeNewObject(ProbeWindow::GetClass()));
            widget = window->Widget();
            timer = window->Add<Timer>("Timer", "Tick");
            RuntimeMassPropertySetter(timer, EncodeRecord({{"Period", 5}, {"Mode", 2}}));
            window->Bind(timer, "Action", "Tick_Action", "Timer");
            window->onEvent = [&](const std::string&, Control&) { ++fired; };
            if (onWorker) std::thread([w = std::move(window)]() mutable { w.Release(); }).join();
        }
        QTest::qWait(40);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(timer->Running());
        EXPECT_EQ(fired, 0);
        EXPECT_EQ(TakeEscapedException(), nullptr) << "the timer fired for a window that is gone";
        EXPECT_FALSE(QuitRequested());
        EXPECT_TRUE(widget.isNull());
    }
}

TEST(WindowRedraw, UpdateNowDrawsAtOnceWhenAFrameHasPassed) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    window->Add<Label>("Label", "Status");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
    QTest::qWait(3 * kFrameMs);  // idle: whatever was due is drawn
    PaintCounter counter(window->Widget());
    window->UpdateNow();
    EXPECT_EQ(counter.paints, 1) << "not drawn while the caller waits";
    window->Close();
}

TEST(WindowRedraw, ManyRedrawsWithinAFrameDrawOnceAndOnceMoreAtItsEnd) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    Ref<Label> label = window->Add<Label>("Label", "Status");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
    QTest::qWait(3 * kFrameMs);
    PaintCounter counter(window->Widget());
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i) {  // a batch run's progress step and yield, file after file
        label->SetText(String(std::to_string(i)));
        window->Refresh(true);
        window->UpdateNow();
        RuntimeBackgroundTask();
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const int frames = int(took.count() / kFrameMs);  // more frames only on a slow machine
    EXPECT_LE(counter.paints, 1 + frames);
    QTest::qWait(4 * kFrameMs);
    EXPECT_GE(counter.paints, 2) << "the last state was never drawn";
    EXPECT_LE(counter.paints, 2 + frames);
    window->Close();
}

TEST(ControlState, WhatIsSetBeforeTheWidgetExistsShowsOnIt) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    const struct {
        const char* kind;
        std::vector<RecordEntry> record;
        std::function<void(QWidget*)> check;
    } cases[] = {
        {"TextField", {{"Text", "/tmp/a.eml"}, {"ReadOnly", true}, {"CueText", "none"}, {"HelpTag", "tip"}},
         [](QWidget* w) {
             auto* field = static_cast<QLineEdit*>(w);
             EXPECT_EQ(field->text(), "/tmp/a.eml");
             EXPECT_TRUE(field->isReadOnly());
             EXPECT_EQ(field->placeholderText(), "none");
             EXPECT_EQ(field->toolTip(), "tip");
         }},
        {"PushButton", {{"Caption", "A & B"}, {"Default", true}},
         [](QWidget* w) {
             EXPECT_EQ(static_cast<QPushButton*>(w)->text(), "A && B");
             EXPECT_TRUE(static_cast<QPushButton*>(w)->isDefault());
         }},
        {"BevelButton", {{"Caption", "Select..."}},
         [](QWidget* w) { EXPECT_EQ(static_cast<QAbstractButton*>(w)->text(), "Select..."); }},
        {"TabPanel", {{"Value", 1}, {"TabDefinition", "One\rTwo"}},
         [](QWidget* w) {
             auto* tabs = static_cast<QTabWidget*>(w);
             EXPECT_EQ(tabs->count(), 2);
             EXPECT_EQ(tabs->currentIndex(), 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        Ref<RectControl> control = DynamicCast<RectControl>(window->__New(ControlKindNamed(c.kind)));
        RuntimeMassPropertySetter(control, EncodeRecord(c.record));
        control->Constructor();
        window->_AddControl(String(c.kind), control);
        ASSERT_NE(control->Widget(), nullptr);
        c.check(control->Widget());
    }
    window->Close();
}
