#pragma once
// Controls belong to one window, which holds them by name. A RectControl is a
// control with a widget; its position is always given in window coordinates,
// also when it lies on a page of a tab panel.
#include <QPointer>
#include <QWidget>

#include "framework/Object.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

namespace fw {

class Window;

class Control : public Object {
public:
    Control() = default;
    ~Control() override;

    // The window the control was made for (Nil once that window is gone).
    Ref<class Window> OwnerWindow() const { return window_.Lock(); }
    void SetOwnerWindow(const Ref<class Window>& window) { window_ = window; }
    String Name() const { return name_; }
    void SetName(const String& name) { name_ = name; }

    // The default construction, run before the control is added to its window.
    virtual void Constructor() {}
    // Raises one of the control's events through the handlers bound to it.
    virtual void Opened() {}

private:
    WeakRef<class Window> window_;
    String name_;
};

class RectControl : public Control {
public:
    ~RectControl() override;

    // Makes the widget, a child of the window's widget.
    void Constructor() override;
    QWidget* Widget() const { return widget_; }

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetLeft(int32_t v) { left_ = v; Place(); }
    void SetTop(int32_t v) { top_ = v; Place(); }
    void SetWidth(int32_t v) { width_ = v; Place(); }
    void SetHeight(int32_t v) { height_ = v; Place(); }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Re-places the widget from the window coordinates (after a move of its container).
    virtual void Place();

protected:
    // The widget of this kind of control; called once by Constructor.
    virtual QWidget* MakeWidget(QWidget* parent) = 0;

private:
    QPointer<QWidget> widget_;
    int32_t left_ = 0, top_ = 0, width_ = 80, height_ = 22;
    bool visible_ = true;
    bool enabled_ = true;
};

}  // namespace fw
