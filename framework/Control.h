#pragma once
// Controls belong to one window, which holds them by name. A RectControl is a
// control with a widget; its position is always given in window coordinates,
// also when it lies on a page of a tab panel. Every operation belongs to the
// main thread and checks that before it changes or reads anything.
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/Color.h"
#include "framework/Delegate.h"
#include "framework/MainThread.h"
#include "framework/Object.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

namespace fw {

class Window;

// The class that declares a signal.
template <class T>
struct SignalClass;
template <class C, class R, class... A>
struct SignalClass<R (C::*)(A...)> {
    using type = C;
};

class Control : public Object {
public:
    Control() = default;
    ~Control() override;

    // The window the control was made for (Nil once that window is gone).
    Ref<class Window> OwnerWindow() const { RequireMainThread(); return window_.Lock(); }
    void SetOwnerWindow(const Ref<class Window>& window) { RequireMainThread(); window_ = window; }
    String Name() const { RequireMainThread(); return name_; }
    void SetName(const String& name) { RequireMainThread(); name_ = name; }
    // The place in a set of controls that share a name; the smallest Int32 when none.
    int32_t Index() const { RequireMainThread(); return index_; }
    void SetIndex(int32_t index) { RequireMainThread(); index_ = index; }

    // The default construction, run before the control is added to its window.
    virtual void Constructor() {}
    // The window has been built: raises the control's "Open".
    virtual void Opened();
    // The window has closed or is gone: the control raises nothing of its own
    // accord any more. Runs off the main thread when the window is destroyed
    // there, so it must not touch widgets then.
    virtual void WindowClosed() {}

    // The events this kind of control raises ("Open" for every kind).
    virtual bool RaisesEvent(const std::string& event) const;
    void AddEventHandler(const std::string& event, EventDispatcher dispatcher, const Ref<Delegate>& delegate);
    size_t HandlerCount(const std::string& event) const;
    // Whether a handler of the event is running now (further up the stack):
    // the user's action that would raise it again is dropped.
    bool HandlerRunning(const std::string& event) const;
    // Runs the handlers bound to the event; false when none is bound. A handler
    // that is still running is not entered again: the nested event is dropped.
    // Exceptions of the handlers pass to the caller.
    bool RaiseEvent(const std::string& event, const std::vector<Value>& args = {});

    // Codes of the records that change nothing on this platform, kept as given.
    std::map<std::string, Value>& Codes() { RequireMainThread(); return codes_; }

private:
    struct Binding {
        std::string event;
        EventDispatcher dispatch;
        Ref<Delegate> delegate;
        bool running = false;
    };

    WeakRef<class Window> window_;
    String name_;
    int32_t index_ = INT32_MIN;
    std::vector<std::shared_ptr<Binding>> bindings_;
    std::map<std::string, Value> codes_;
};

class RectControl : public Control {
public:
    ~RectControl() override;

    // Makes the widget, a child of the window's widget.
    void Constructor() override;
    QWidget* Widget() const { RequireMainThread(); return widget_; }

    // Position and size in window coordinates.
    int32_t Left() const { RequireMainThread(); return left_; }
    int32_t Top() const { RequireMainThread(); return top_; }
    int32_t Width() const { RequireMainThread(); return width_; }
    int32_t Height() const { RequireMainThread(); return height_; }
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    // Which window edges the control keeps its distance to when the window is resized.
    bool LockLeft() const { RequireMainThread(); return lockLeft_; }
    bool LockTop() const { RequireMainThread(); return lockTop_; }
    bool LockRight() const { RequireMainThread(); return lockRight_; }
    bool LockBottom() const { RequireMainThread(); return lockBottom_; }
    void SetLockLeft(bool v) { RequireMainThread(); lockLeft_ = v; }
    void SetLockTop(bool v) { RequireMainThread(); lockTop_ = v; }
    void SetLockRight(bool v) { RequireMainThread(); lockRight_ = v; }
    void SetLockBottom(bool v) { RequireMainThread(); lockBottom_ = v; }
    // Moves and sizes the control after its window changed size by (dw, dh).
    void FollowWindowResize(int32_t dw, int32_t dh);

    // The container: the window itself (InitialParent empty or TabPanelIndex 0),
    // or page TabPanelIndex (from 1) of the tab panel named InitialParent.
    String InitialParent() const { RequireMainThread(); return initialParent_; }
    void SetInitialParent(const String& name);
    int32_t TabPanelIndex() const { RequireMainThread(); return tabPanelIndex_; }
    void SetTabPanelIndex(int32_t page);
    // The place in the keyboard order of the container, from 0; -1 for none.
    int32_t TabIndex() const { RequireMainThread(); return tabIndex_; }
    void SetTabIndex(int32_t index);
    bool TabStop() const { RequireMainThread(); return tabStop_; }
    void SetTabStop(bool v);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const { RequireMainThread(); return visible_; }
    void SetVisible(bool visible);
    String HelpTag() const { RequireMainThread(); return helpTag_; }
    void SetHelpTag(const String& tag);

    // The font of the control's text. "System" is the platform's font (a
    // narrow sans serif such as Liberation Sans when one is installed); a size
    // of 0 is the platform's size. The unit: 0 default (points), 1 pixels,
    // 2 points, 3 inches, 4 millimetres; a point is one pixel of the window.
    String TextFont() const { RequireMainThread(); return textFont_; }
    void SetTextFont(const String& font);
    float TextSize() const { RequireMainThread(); return textSize_; }
    void SetTextSize(float size);
    int32_t TextUnit() const { RequireMainThread(); return textUnit_; }
    void SetTextUnit(int32_t unit);
    bool Bold() const { RequireMainThread(); return bold_; }
    void SetBold(bool v);
    bool Italic() const { RequireMainThread(); return italic_; }
    void SetItalic(bool v);
    bool Underline() const { RequireMainThread(); return underline_; }
    void SetUnderline(bool v);

    // Re-places the widget from the window coordinates (after a move of its container).
    virtual void Place();

protected:
    // The widget of this kind of control; called once by Constructor.
    virtual QWidget* MakeWidget(QWidget* parent) = 0;
    // Connects the new widget's signals and shows the control's state on it.
    virtual void Wire() {}
    // How the widget of this kind takes the focus when TabStop is true.
    virtual Qt::FocusPolicy KindFocusPolicy() const;
    void ApplyFocusPolicy();
    // Connects a signal of the widget to the control; the connection ends with the control.
    template <class Signal, class Slot>
    void Connect(Signal signal, Slot slot) {
        auto* sender = static_cast<typename SignalClass<Signal>::type*>(widget_.data());
        connections_.push_back(QObject::connect(sender, signal, widget_.data(), slot));
    }
    // Raises one of the control's events for the user's action: the handler's
    // exception goes to the framework, not through Qt.
    void RaiseUserEvent(const std::string& event);

private:
    void ApplyFont();
    void MoveToContainer();

    QPointer<QWidget> widget_;
    std::vector<QMetaObject::Connection> connections_;
    int32_t left_ = 0, top_ = 0, width_ = 80, height_ = 22;
    bool lockLeft_ = true, lockTop_ = true, lockRight_ = false, lockBottom_ = false;
    String initialParent_;
    int32_t tabPanelIndex_ = 0;
    int32_t tabIndex_ = -1;
    bool tabStop_ = true;
    bool visible_ = true;
    bool enabled_ = true;
    String helpTag_;
    String textFont_ = "System";
    float textSize_ = 0;
    int32_t textUnit_ = 0;
    bool bold_ = false, italic_ = false, underline_ = false;
};

// Puts the focusable controls of one container in the order of their TabIndex.
void ApplyKeyboardOrder(Window& window, QWidget* container);

}  // namespace fw
