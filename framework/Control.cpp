#include "framework/Control.h"

#include "framework/MainThread.h"
#include "framework/Window.h"

namespace fw {

Control::~Control() = default;

RectControl::~RectControl() = default;  // the widget belongs to the window's widget

void RectControl::Constructor() {
    RequireMainThread();
    Ref<class Window> window = OwnerWindow();
    widget_ = MakeWidget(window->Widget());
    Place();
}

void RectControl::Place() {
    if (!widget_) return;
    // Window coordinates, turned into the coordinates of the widget's container.
    QPoint origin(left_, top_);
    QWidget* parent = widget_->parentWidget();
    Ref<class Window> window = OwnerWindow();
    if (parent && window && parent != window->Widget()) origin = parent->mapFrom(window->Widget(), origin);
    widget_->setGeometry(origin.x(), origin.y(), width_, height_);
}

bool RectControl::Enabled() const { return enabled_; }

void RectControl::SetEnabled(bool enabled) {
    RequireMainThread();
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
}

void RectControl::SetVisible(bool visible) {
    RequireMainThread();
    visible_ = visible;
    if (widget_) widget_->setVisible(visible);
}

}  // namespace fw
