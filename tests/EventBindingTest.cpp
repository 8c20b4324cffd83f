// Event bindings and the control kinds' events on real widgets: re-entrancy,
// windows closed inside their handlers, the events of each kind, the timer,
// and the main-thread rule.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <thread>

#include "ProbeWindow.h"
#include "RunOfItsOwn.h"
#include "ScriptedDialogs.h"
#include "framework/Application.h"
#include "framework/DesignRecord.h"
#include "framework/EventDispatch.h"
#include "framework/MainThread.h"

using namespace fw;

namespace {

QAbstractButton* ButtonWidget(const Ref<RectControl>& c) { return static_cast<QAbstractButton*>(c->Widget()); }

class Bindings : public ::testing::Test {
protected:
    void SetUp() override { window_ = ProbeWindow::Open(); }
    void TearDown() override {
        if (window_) window_->Close();
    }
    Ref<ProbeWindow> window_;
};

}  // namespace

TEST_F(Bindings, AHandlerIsNotEnteredAgainWhileItRuns) {
    Ref<PushButton> button = window_->Add<PushButton>("PushButton", "Button");
    Ref<CheckBox> other = window_->Add<CheckBox>("CheckBox", "Box");
    window_->Bind(button, "Action", "Button_Action", "PushButton");
    window_->Bind(other, "Action", "Box_Action", "CheckBox");
    std::vector<std::string> calls;
    window_->onEvent = [&](const std::string& handler, Control&) {
        calls.push_back(handler);
        if (handler != "Button_Action") return;
        ButtonWidget(button)->click();  // the user clicks again meanwhile: dropped
        button->RaiseEvent("Action");   // and so is a nested raise of the same binding
        ButtonWidget(other)->click();   // another binding runs
    };
    ButtonWidget(button)->click();
    EXPECT_EQ(calls, (std::vector<std::string>{"Button_Action", "Box_Action"}));
    ButtonWidget(button)->click();  // once it has returned, it runs again
    EXPECT_EQ(calls.size(), 4u);
}

TEST(BindingLifetime, AWindowClosedInsideItsHandlerIsDestroyedOnlyAfterItReturns) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    QPointer<QAbstractButton> widget;
    {
        Ref<PushButton> button = window->Add<PushButton>("PushButton", "Button");
        window->Bind(button, "Action", "Button_Action", "PushButton");
        widget = ButtonWidget(button);
    }
    WeakRef<ProbeWindow> weak(window);
    bool aliveAfterClose = false;
    window->onEvent = [&](const std::string&, Control& sender) {
        weak.Lock()->Close();
        aliveAfterClose = !weak.Expired() && sender.OwnerWindow() == weak.Lock();
    };
    window.Release();  // the list of open windows holds it now
    widget->click();
    EXPECT_TRUE(aliveAfterClose);
    EXPECT_TRUE(weak.Expired()) << "the window outlived its handler";
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
}

TEST(BindingLifetime, ABindingHoldsItsWindowWeakly) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    Ref<PushButton> button = window->Add<PushButton>("PushButton", "Button");
    window->Bind(button, "Action", "Button_Action", "PushButton");
    WeakRef<ProbeWindow> weak(window);
    window->Close();
    window.Release();
    EXPECT_TRUE(weak.Expired()) << "the binding kept the window alive";
    EXPECT_THROW(button->RaiseEvent("Action"), NilObjectException);
}

TEST(BindingLifetime, AClickWhoseWindowIsGoneIsReportedAndTheApplicationGoesOn) {
    RunOfItsOwn run;
    ScopedDialogs dialogs;
    Ref<ProbeWindow> window = ProbeWindow::Open();
    Ref<PushButton> button = window->Add<PushButton>("PushButton", "Button");
    window->Bind(button, "Action", "Button_Action", "PushButton");
    QPointer<QAbstractButton> widget = ButtonWidget(button);
    window->Close();
    window.Release();
    widget->click();  // the widget is still there until the event loop deletes it
    bool nil = false;
    try {
        if (std::exception_ptr e = TakeEscapedException()) std::rethrow_exception(e);
    } catch (const NilObjectException&) {
        nil = true;
    }
    EXPECT_TRUE(nil);
    ASSERT_EQ(dialogs->alerts.size(), 1u);
    EXPECT_EQ(dialogs->alerts[0].prompt, "the window of handler Button_Action is gone");
    EXPECT_FALSE(QuitRequested());
}

TEST_F(Bindings, AClickOrKeystrokeDroppedInsideItsOwnHandlerLeavesNoTrace) {
    Ref<CheckBox> box = window_->Add<CheckBox>("CheckBox", "Box");
    Ref<TextField> field = window_->Add<TextField>("TextField", "Field");
    window_->Bind(box, "Action", "Box_Action", "CheckBox");
    window_->Bind(field, "TextChange", "Field_TextChange", "TextField");
    std::vector<std::string> calls;
    window_->onEvent = [&](const std::string& handler, Control&) {
        calls.push_back(handler);
        if (handler == "Box_Action") ButtonWidget(box)->click();  // the user clicks again meanwhile
        else QTest::keyClicks(field->Widget(), "z");              // or types on
    };
    ButtonWidget(box)->click();
    EXPECT_TRUE(box->Value());
    EXPECT_TRUE(ButtonWidget(box)->isChecked()) << "the box shows another state than it has";
    QTest::keyClicks(field->Widget(), "a");
    EXPECT_EQ(field->Text(), String("a"));
    EXPECT_EQ(static_cast<QLineEdit*>(field->Widget())->text(), "a");
    EXPECT_EQ(calls, (std::vector<std::string>{"Box_Action", "Field_TextChange"}));
}

TEST_F(Bindings, ADelegateMustMatchItsHandlerAndTheEventMustBeTheKinds) {
    Ref<Label> label = window_->Add<Label>("Label", "Label");
    const MemberRecord* handler = ProbeWindow::GetClass()->FindMember("Button_Action");
    EXPECT_THROW(RuntimeCreateDelegate(handler, window_, "( CheckBox )"), RuntimeException);
    EXPECT_THROW(RuntimeCreateDelegate(nullptr, window_, "( PushButton )"), NilObjectException);
    Ref<Delegate> d = RuntimeCreateDelegate(handler, window_, "( PushButton )");
    EXPECT_EQ(d->ParameterList(), "( PushButton )");
    EXPECT_THROW(RuntimeAddEventHandler(label, "Action", DispatchWithControl, d), RuntimeException);
    EXPECT_EQ(SignatureOfParameterList("( Ptr, Ptr ) as Object"), "%o<Object>%pp");
}

TEST_F(Bindings, CheckBoxRaisesActionWhenItsValueChangesByClickOrByCode) {
    Ref<CheckBox> box = window_->Add<CheckBox>("CheckBox", "Box");
    RuntimeMassPropertySetter(box, EncodeRecord({{"State", 1}, {"Value", true}}));  // before binding: nothing
    window_->Bind(box, "Action", "Box_Action", "CheckBox");
    std::vector<bool> seen;
    window_->onEvent = [&](const std::string&, Control& sender) { seen.push_back(static_cast<CheckBox&>(sender).Value()); };
    ButtonWidget(box)->click();  // the user unticks it
    EXPECT_FALSE(box->Value());
    box->SetValue(false);  // no change: no event
    box->SetValue(true);
    box->SetState(2);  // mixed: a change of value too
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(static_cast<QCheckBox*>(box->Widget())->checkState(), Qt::PartiallyChecked);
    EXPECT_THROW(box->SetState(3), OutOfBoundsException);
}

TEST_F(Bindings, TextFieldRaisesTextChangeForTypingAndForCodeButNotReadOnly) {
    Ref<TextField> field = window_->Add<TextField>("TextField", "Field");
    window_->Bind(field, "TextChange", "Field_TextChange", "TextField");
    std::vector<std::string> seen;
    window_->onEvent = [&](const std::string&, Control& sender) {
        seen.push_back(static_cast<TextField&>(sender).Text().ToUTF8());
    };
    QTest::keyClicks(field->Widget(), "ab");
    field->SetText("ab");  // the same text: no event
    field->SetText("/tmp/x.eml");
    field->SetReadOnly(true);
    QTest::keyClicks(field->Widget(), "zz");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "ab", "/tmp/x.eml"}));
    EXPECT_EQ(field->Text(), String("/tmp/x.eml"));
}

TEST_F(Bindings, LabelRaisesOpenWhenItsWindowHasBeenBuilt) {
    window_->Close();
    std::vector<std::string> seen;
    window_ = ProbeWindow::Open([&](ProbeWindow& w) {
        Ref<Label> label = w.Add<Label>("Label", "Version");
        w.Bind(label, "Open", "Label_Open", "Label");
        w.onEvent = [&](const std::string& handler, Control& sender) {
            seen.push_back(handler);
            static_cast<Label&>(sender).SetText("v.1.0");
        };
    });
    EXPECT_EQ(seen, std::vector<std::string>{"Label_Open"});
    EXPECT_EQ(DynamicCast<Label>(window_->_ControlByName("Version"))->Text(), String("v.1.0"));
}

TEST_F(Bindings, TimerFiresOnceOrRepeatedlyOnTheMainThreadAndStopsWithItsWindow) {
    Ref<Timer> once = window_->Add<Timer>("Timer", "Once");
    Ref<Timer> repeating = window_->Add<Timer>("Timer", "Repeating");
    RuntimeMassPropertySetter(once, EncodeRecord({{"Period", 20}, {"Mode", 1}}));
    RuntimeMassPropertySetter(repeating, EncodeRecord({{"Period", 10}, {"Mode", 2}}));
    window_->Bind(once, "Action", "Tick_Action", "Timer");
    window_->Bind(repeating, "Action", "Tick_Action", "Timer");
    int onceFired = 0, repeatFired = 0;
    bool offMain = false;
    window_->onEvent = [&](const std::string&, Control& sender) {
        offMain |= !OnMainThread();
        (&sender == once.raw() ? onceFired : repeatFired)++;
    };
    QTest::qWait(150);
    EXPECT_EQ(onceFired, 1);
    EXPECT_EQ(once->Mode(), Timer::kModeOff);
    EXPECT_GE(repeatFired, 3);
    EXPECT_FALSE(offMain);

    repeating->SetMode(Timer::kModeOff);
    const int stoppedAt = repeatFired;
    QTest::qWait(50);
    EXPECT_EQ(repeatFired, stoppedAt);

    repeating->SetMode(Timer::kModeMultiple);
    window_->Close();
    EXPECT_FALSE(repeating->Running());
    QTest::qWait(40);
    EXPECT_EQ(repeatFired, stoppedAt);
}

TEST_F(Bindings, ProgressBarKeepsItsValuePastTheMaximumAndAZeroMaximumIsAnEmptyBar) {
    Ref<ProgressBar> bar = window_->Add<ProgressBar>("ProgressBar", "Bar");
    auto* shown = static_cast<QProgressBar*>(bar->Widget());
    bar->SetMaximum(10);
    bar->SetValue(12);
    EXPECT_EQ(bar->Value(), 12);
    EXPECT_EQ(shown->value(), 10);
    bar->SetMaximum(0);
    EXPECT_EQ(bar->Value(), 12);
    EXPECT_GT(shown->maximum(), shown->minimum()) << "Qt's busy animation";
    EXPECT_EQ(shown->value(), shown->minimum());
}

TEST_F(Bindings, ControlsLockedToAnEdgeFollowItWhenTheWindowChangesSize) {
    RuntimeMassPropertySetter(window_, EncodeRecord({{"Width", 365}, {"Height", 135}, {"Resizeable", false}}));
    Ref<PushButton> button = window_->Add<PushButton>("PushButton", "Button");
    Ref<Label> label = window_->Add<Label>("Label", "Text");
    RuntimeMassPropertySetter(button, EncodeRecord({{"Left", 252}, {"Top", 103}, {"Width", 100}, {"Height", 20},
                                                    {"LockLeft", false}, {"LockTop", false}, {"LockRight", true},
                                                    {"LockBottom", true}}));
    RuntimeMassPropertySetter(label, EncodeRecord({{"Left", 13}, {"Top", 7}, {"Width", 339}, {"Height", 84},
                                                   {"LockRight", true}, {"LockBottom", true}}));
    window_->SetHeight(104);  // a window the user cannot resize still changes size in code
    EXPECT_EQ(window_->Height(), 104);
    EXPECT_EQ(button->Top(), 72);
    EXPECT_EQ(label->Height(), 53);
    EXPECT_EQ(button->Widget()->geometry(), QRect(252, 72, 100, 20));
}

TEST_F(Bindings, BevelButtonShowsTheWhiteOfATransparentPictureAsSeeThrough) {
    Ref<BevelButton> bevel = window_->Add<BevelButton>("BevelButton", "Bevel");
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(8, 8, qRgb(200, 0, 0));
    Ref<Picture> picture = New<Picture>(image);
    picture->SetTransparent(1);
    bevel->SetIcon(picture);
    const QImage shown = static_cast<QToolButton*>(bevel->Widget())->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(8, 8)), 255);
    bevel->SetIcon(Nil);
    EXPECT_TRUE(static_cast<QToolButton*>(bevel->Widget())->icon().isNull());
}

TEST_F(Bindings, WindowAndControlOperationsOffTheMainThreadAreRefused) {
    Ref<PushButton> button = window_->Add<PushButton>("PushButton", "Button");
    Ref<Timer> timer = window_->Add<Timer>("Timer", "Timer");
    Ref<TabPanel> panel = window_->Add<TabPanel>("TabPanel", "Tabs");
    Ref<Window> window = window_;
    const MemberRecord* handler = ProbeWindow::GetClass()->FindMember("Button_Action");
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"Window.Show", [&] { window->Show(); }},
        {"Window.Close", [&] { window->Close(); }},
        {"Window.Refresh", [&] { window->Refresh(); }},
        {"Window.UpdateNow", [&] { window->UpdateNow(); }},
        {"Window.Title", [&] { window->SetTitle("x"); }},
        {"Window.Backdrop", [&] { window->SetBackdrop(Nil); }},
        {"Window.__New", [&] { window->__New(GetLabelClass()); }},
        {"Window._ControlByName", [&] { window->_ControlByName("Button"); }},
        {"Window._AddControl", [&] { window->_AddControl("Again", button); }},
        {"Window.Resizeable", [&] { window->SetResizeable(false); }},
        {"Window.RaiseEvent", [&] { window->RaiseEvent("CreateControls"); }},
        {"RectControl.LockRight", [&] { button->SetLockRight(true); }},
        {"a kept code's property record", [&] { FindProperty(*button->Class(), "Cancel")->set(*button, true); }},
        {"TabPanel.Value", [&] { panel->Value(); }},
        {"RuntimeCreateDelegate", [&] { RuntimeCreateDelegate(handler, window, "( PushButton )"); }},
        {"RectControl.Enabled", [&] { button->SetEnabled(false); }},
        {"PushButton.Caption", [&] { button->SetCaption("x"); }},
        {"RectControl.TextSize", [&] { button->SetTextSize(12); }},
        {"Control.RaiseEvent", [&] { button->RaiseEvent("Action"); }},
        {"Timer.Mode", [&] { timer->SetMode(0); }},
        {"RuntimeGetImplicitWindow", [&] { RuntimeGetImplicitWindow("ProbeWindow.ProbeWindow"); }},
    };
    for (const auto& entry : operations) {
        const auto& name = entry.first;
        bool refused = false;
        std::thread worker([&] {
            try {
                entry.second();
            } catch (const ThreadAccessingUIException&) {
                refused = true;
            }
        });
        worker.join();
        EXPECT_TRUE(refused) << name;
    }
    EXPECT_TRUE(window->IsOpen());
    EXPECT_TRUE(button->Enabled());
    EXPECT_TRUE(window->Resizeable());
    EXPECT_FALSE(button->LockRight());
    EXPECT_FALSE(std::get<bool>(RuntimeGetProperty(*button, "Cancel")));
}

TEST_F(Bindings, ReturnPressesTheDefaultButton) {
    Ref<PushButton> quit = window_->Add<PushButton>("PushButton", "Quit");
    Ref<PushButton> other = window_->Add<PushButton>("PushButton", "Other");
    window_->Bind(quit, "Action", "Button_Action", "PushButton");
    window_->Bind(other, "Action", "Button_Action", "PushButton");
    std::vector<Control*> pressed;
    window_->onEvent = [&](const std::string&, Control& sender) { pressed.push_back(&sender); };
    RuntimeMassPropertySetter(quit, EncodeRecord({{"Caption", "Quit"}, {"Default", true}}));
    window_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_->Widget()));
    QTest::keyClick(window_->Widget(), Qt::Key_Return);
    QTRY_COMPARE(pressed.size(), size_t(1));
    EXPECT_EQ(pressed[0], quit.raw());
    quit->SetDefault(false);
    QTest::keyClick(window_->Widget(), Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_EQ(pressed.size(), 1u);
}
