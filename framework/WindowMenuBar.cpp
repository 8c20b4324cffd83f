// The application's menu bar inside a window, where the platform has no
// global one, the quit when the last window that shows it closes, and the end
// of a run that has no window left to quit from.
#include <QEvent>
#include <QMenuBar>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/Menu.h"
#include "framework/Window.h"

namespace fw {

namespace {
// The code of a run that failed, as RuntimeExit gives it.
constexpr int32_t kFailedRunExitCode = 1;

// Keeps a bar across the full width of its window, whatever resizes it.
class SpanWidth : public QObject {
public:
    explicit SpanWidth(QMenuBar* bar) : QObject(bar), bar_(bar) { bar->parentWidget()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) bar_->setGeometry(0, 0, bar_->parentWidget()->width(), bar_->height());
        return false;
    }

private:
    QMenuBar* bar_;
};
}  // namespace

bool Window::ShowsMenuBar() const {
    RequireMainThread();
    auto visible = codes_.find("MenuBarVisible");
    const bool wanted = visible == codes_.end() || !std::holds_alternative<bool>(visible->second) ||
                        std::get<bool>(visible->second);
    return frame_ == 0 && wanted && !PlatformHasGlobalMenuBar();
}

void Window::AttachMenuBar(const Ref<MenuBar>& bar) {
    RequireMainThread();
    QWidget* w = Widget();
    const int32_t contentHeight = Height();
    delete menuBar_.data();
    menuBarHeight_ = 0;
    if (bar) {
        menuBar_ = bar->NewWidget(w);
        menuBarHeight_ = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, w->width(), menuBarHeight_);
        new SpanWidth(menuBar_);
        menuBar_->show();
    }
    // The widget grows by the bar; the content keeps its size and moves below it.
    const QSize size(w->width(), contentHeight + menuBarHeight_);
    if (resizeable_) w->resize(size);
    else w->setFixedSize(size);
    ApplySizeLimits();
    for (const Ref<Control>& c : controls_)
        if (auto* rc = dynamic_cast<RectControl*>(c.raw())) rc->Place();
    w->update();
}

void Window::QuitIfLastMenuBarWindow() {
    if (!menuBar_ || failedWhileBuilt_ || !EventLoopRunning() || QuitRequested()) return;
    for (const Ref<Window>& other : OpenWindows())
        if (other->menuBar_) return;
    QuitApplication(0);
}

void EndRunIfNoWindowToQuitFrom() {
    if (PlatformHasGlobalMenuBar() || !EventLoopRunning() || QuitRequested()) return;
    for (const Ref<Window>& window : OpenWindows())
        if (window->ShowsMenuBar()) return;
    QuitApplication(kFailedRunExitCode);
}

}  // namespace fw
