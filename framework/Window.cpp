#include "framework/Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>

#include "framework/Application.h"
#include "framework/CallTrace.h"
#include "framework/Control.h"
#include "framework/EventDispatch.h"
#include "framework/Keyboard.h"
#include "framework/MainThread.h"

namespace fw {

namespace {

// Never destroyed: a window still open at exit must not be destroyed by the
// static destructors, after the class registry and while Qt goes down.
// RuntimeExit closes the open windows before that.
std::vector<Ref<Window>>& OpenWindowList() {
    static auto* windows = new std::vector<Ref<Window>>();
    return *windows;
}

// The widget of a window forwards the user's close, mouse and key events.
class WindowWidget : public QWidget {
public:
    explicit WindowWidget(Window* owner) : owner_(owner) {}
    // The window may be destroyed on another thread: the widget is told at once.
    void Detach() { owner_.store(nullptr); }
    Window* Owner() const { return owner_.load(); }

    // Redraws a window as a whole: at once when asked to and a frame has
    // passed since the last redraw, else with the next update. repaint()
    // sends its update request straight to event(), which lets it pass and
    // counts it as the frame's redraw.
    void RequestRedraw(bool now) {
        if (now && std::chrono::steady_clock::now() - lastPaint_ >= kFrame) repaint();
        else update();
    }

protected:
    // Redraws come no more often than the screen refreshes: an update request
    // that comes sooner is held back until the frame is over, and then draws
    // everything that changed meanwhile. A batch run changes the progress once
    // per file and yields after each, so this keeps it from redrawing per file.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest) {
            const auto elapsed = std::chrono::steady_clock::now() - lastPaint_;
            if (elapsed < kFrame) {
                HoldBackUpdate(elapsed);
                return true;
            }
            lastPaint_ = std::chrono::steady_clock::now();
        }
        return QWidget::event(event);
    }

    void closeEvent(QCloseEvent* event) override {
        Window* owner = owner_.load();
        if (owner && !owner->WidgetCloseRequested()) return event->ignore();
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        Window* owner = owner_.load();
        if (!owner || !owner->WidgetMousePressed(event->position().toPoint().x(), event->position().toPoint().y()))
            QWidget::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        String key(event->text().toStdString());
        if (event->key() == Qt::Key_Escape) key = StringDBCSChr(27);
        Window* owner = owner_.load();
        if (!owner || !owner->WidgetKeyPressed(key, event->key())) QWidget::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        Window* owner = owner_.load();
        if (Ref<Picture> backdrop = owner ? owner->Backdrop() : Ref<Picture>()) {
            QPainter painter(this);
            painter.drawImage(0, owner->ContentTop(), backdrop->Image());
        }
        QWidget::paintEvent(event);
    }

private:
    void HoldBackUpdate(std::chrono::steady_clock::duration elapsed) {
        if (updateHeld_) return;
        updateHeld_ = true;
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kFrame - elapsed);
        QTimer::singleShot(static_cast<int>(wait.count()) + 1, this, [this] {
            updateHeld_ = false;
            QCoreApplication::postEvent(this, new QEvent(QEvent::UpdateRequest));
        });
    }

    static constexpr std::chrono::milliseconds kFrame{16};
    std::atomic<Window*> owner_;
    std::chrono::steady_clock::time_point lastPaint_{};
    bool updateHeld_ = false;
};

// Until a modal dialog is first shown Qt blocks nothing for it, so this does:
// the user's input to the windows opened before it is dropped. Key releases
// pass, so that the keyboard's state stays true.
class ModalInputLock : public QObject {
public:
    using QObject::QObject;
    static void Install() {
        static QPointer<ModalInputLock> lock;
        if (lock || !QCoreApplication::instance()) return;
        lock = new ModalInputLock(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(lock);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsInput(event->type()) || !watched->isWidgetType() || !Blocked(static_cast<QWidget*>(watched)->window()))
            return false;
        // An overridden shortcut comes as a key press, which is dropped.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }

private:
    static bool IsInput(QEvent::Type type) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
    // Whether the window of that widget was opened before a dialog that awaits its show.
    static bool Blocked(const QWidget* top) {
        const auto* widget = dynamic_cast<const WindowWidget*>(top);
        const Window* owner = widget ? widget->Owner() : nullptr;
        if (!owner) return false;
        bool before = false;
        const auto& open = OpenWindowList();
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (before && it->raw() == owner) return true;
            before = before || (*it)->AwaitsShow();
        }
        return false;
    }
};

}  // namespace

const ClassRecord* GetWindowClass() {
    static const ClassRecord* record = [] {
        ClassRecord* r = RuntimeNewClass("Window", nullptr);
        RuntimeNewVtable(r, {
            {"Close", "%%", MakeInvoker(&Window::Close), true, {}},
            {"Show", "%%", MakeInvoker(&Window::Show), true, {}},
            {"ShowModal", "%%", MakeInvoker(&Window::ShowModal), true, {}},
            {"Refresh", "%%b", MakeInvoker(&Window::Refresh), true, {}},
            {"UpdateNow", "%%", MakeInvoker(&Window::UpdateNow), true, {}},
        });
        r->attributes = RuntimeAllocateAttributeTable({{"__Scope", "Public"}});
        DescribeWindowProperties(r);
        return r;
    }();
    return record;
}

Window::Window() {
    RequireMainThread();
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw RuntimeException("a window needs the application to be running");
    InstallKeyboardTracking();
    widget_ = new WindowWidget(this);
    widget_->setAttribute(Qt::WA_DeleteOnClose, false);
    ApplyFlags();
}

Window::~Window() {
    // A window that goes without having been closed stops its controls too
    // (a timer someone still holds fires no more).
    if (!closed_)
        for (const Ref<Control>& c : controls_) c->WindowClosed();
    if (widget_) {
        static_cast<WindowWidget*>(widget_.data())->Detach();
        // Off the main thread the widget is only handed to the main thread's event loop.
        if (OnMainThread()) widget_->hide();
        // The widget may be inside one of its own event handlers right now.
        widget_->deleteLater();
    }
}

QWidget* Window::Widget() const {
    RequireMainThread();
    if (!widget_) throw NilObjectException("window is gone");
    return widget_;
}

void Window::Constructor() {
    RequireMainThread();
    if (constructed_ || closed_) throw RuntimeException("the window has been constructed before");
    constructed_ = true;
    Ref<Window> self = RefTo(this);
    OpenWindowList().push_back(self);
    open_ = true;
    try {
        constructing_ = true;
        RaiseEvent("Layout");
        RaiseEvent("CreateControls");
        constructing_ = false;
        if (ShowsMenuBar()) AttachMenuBar(getAppObject() ? getAppObject()->MenuBar() : Ref<MenuBar>());
        for (const Ref<Control>& c : std::vector<Ref<Control>>(controls_)) c->Opened();
        if (visible_ && !closed_) {
            if (frame_ == 1) AwaitShow();
            else ShowWidget();
        }
        if (!closed_) {
            TraceCall("Window.Open", Class() ? Class()->name : std::string());
            RaiseEvent("Open");
        }
    } catch (...) {
        constructing_ = false;
        // A window that failed to build is not left open. Nor was it one to
        // quit from: its failure goes to the code that built it, which says so.
        failedWhileBuilt_ = true;
        Close();
        throw;
    }
}

void Window::Show() {
    RequireMainThread();
    if (closed_) throw NilObjectException("window is closed");
    visible_ = true;
    ShowWidget();
    Widget()->raise();
    Widget()->activateWindow();
}

void Window::ShowModal() {
    RequireMainThread();
    if (closed_ || QuitRequested()) return;  // nothing waits for an answer once the application quits
    Ref<Window> keepAlive = RefTo(this);
    QWidget* w = Widget();
    if (w->windowModality() != Qt::ApplicationModal) {
        // Qt takes a new modality only when the window is shown anew.
        w->hide();
        w->setWindowModality(Qt::ApplicationModal);
    }
    visible_ = true;
    ShowWidget();
    w->raise();
    w->activateWindow();
    QEventLoop loop;
    modalLoops_.push_back(&loop);
    loop.exec(QEventLoop::DialogExec);
    modalLoops_.erase(std::find(modalLoops_.begin(), modalLoops_.end(), &loop));
}

void Window::AwaitShow() {
    awaitsShow_ = true;
    builtAtHandlerDepth_ = HandlerDepth();
    ModalInputLock::Install();
}

void Window::ShowWidget() {
    QWidget* w = Widget();
    awaitsShow_ = false;
    // Once the application quits, nothing comes onto the screen, not even for
    // the moment before the loop ends: a window built then stays hidden.
    if (QuitRequested()) return;
    const bool place = !shownBefore_ || (placedAt_ && w->pos() == *placedAt_);
    shownBefore_ = true;
    if (place) CentreOverMainWindow();  // so that it comes up about there
    w->show();
    if (place) CentreOverMainWindow();  // exactly, now that its frame is known
}

void Window::CentreOverMainWindow() {
    QWidget* w = Widget();
    const auto& open = OpenWindowList();
    auto main = std::find_if(open.begin(), open.end(), [this](const Ref<Window>& other) {
        return other.raw() != this && other->widget_ && other->widget_->isVisible();
    });
    if (main == open.end()) return;  // the first window: its place is the platform's
    QRect placed = w->frameGeometry();
    placed.moveCenter((*main)->widget_->frameGeometry().center());
    w->move(placed.topLeft());
    placedAt_ = w->pos();
}

void Window::Close() {
    RequireMainThread();
    if (closed_) return;
    closed_ = true;
    open_ = false;
    awaitsShow_ = false;
    Ref<Window> keepAlive = RefTo(this);  // destruction waits for this call and for running handlers
    if (widget_) widget_->hide();
    for (const Ref<Control>& c : controls_) c->WindowClosed();
    for (QEventLoop* loop : modalLoops_) loop->exit(0);
    auto& list = OpenWindowList();
    list.erase(std::remove_if(list.begin(), list.end(), [this](const Ref<Window>& w) { return w.raw() == this; }),
               list.end());
    QuitIfLastMenuBarWindow();
}

bool Window::WidgetCloseRequested() {
    RequireMainThread();
    if (RefusesCloseRequest()) return false;
    Ref<Window> keepAlive = RefTo(this);
    if (!closed_) DeliverEvent([this] { Close(); });
    return true;
}

bool Window::RefusesCloseRequest() const { return frame_ != 2 && !closeButton_; }

bool Window::WidgetMousePressed(int x, int y) {
    RequireMainThread();
    return RaiseClaimable("MouseDown", {int32_t(x), int32_t(y - menuBarHeight_)});
}

bool Window::WidgetKeyPressed(const String& key, int qtKey) {
    RequireMainThread();
    Ref<Window> keepAlive = RefTo(this);  // the handler may close it
    const bool claimed = RaiseClaimable("KeyDown", {key});
    // The press that closed its window is spent: a walk that polls the key
    // afterwards does not take it for a stop.
    if (closed_) ForgetHeldKey(qtKey);
    return claimed;
}

bool Window::RaiseClaimable(const std::string& event, const std::vector<Value>& args) {
    Ref<Window> keepAlive = RefTo(this);
    Value result;
    bool raised = false;
    DeliverEvent([&] { raised = RaiseEvent(event, args, &result); });
    return raised && std::holds_alternative<bool>(result) && std::get<bool>(result);
}

void Window::Refresh(bool) {
    RequireMainThread();
    if (widget_) static_cast<WindowWidget*>(widget_.data())->RequestRedraw(false);
}

void Window::UpdateNow() {
    RequireMainThread();
    if (widget_ && widget_->isVisible()) static_cast<WindowWidget*>(widget_.data())->RequestRedraw(true);
}

void Window::_AddControl(const String& name, const Ref<Control>& control) {
    RequireMainThread();
    control->SetName(name);
    control->SetOwnerWindow(RefTo(this));
    controls_.push_back(control);
    controlsByName_[name.ToUTF8()] = control;
}

Ref<Object> Window::_ControlByName(const String& name) const {
    RequireMainThread();
    auto it = controlsByName_.find(name.ToUTF8());
    if (it == controlsByName_.end()) return Nil;
    return it->second;
}

Ref<Object> Window::__New(const ClassRecord* controlClass) {
    RequireMainThread();
    Ref<Object> object = RuntimeNewObject(controlClass);
    Ref<Control> control = DynamicCast<Control>(object);
    if (control.IsNil()) throw IllegalCastException(controlClass->name + " is not a control");
    control->SetOwnerWindow(RefTo(this));
    return object;
}

bool Window::RaiseEvent(const std::string& event, const std::vector<Value>& args, Value* result) {
    RequireMainThread();
    return RuntimeRaiseEvent(*this, event, args, result);
}

String Window::Title() const {
    RequireMainThread();
    return String(Widget()->windowTitle().toStdString());
}
void Window::SetTitle(const String& title) {
    RequireMainThread();
    Widget()->setWindowTitle(QString::fromStdString(title.ToUTF8()));
}
int32_t Window::Width() const {
    RequireMainThread();
    return Widget()->width();
}
int32_t Window::Height() const {
    RequireMainThread();
    return Widget()->height() - menuBarHeight_;
}

void Window::SetWidth(int32_t width) {
    RequireMainThread();
    Resize(width, Widget()->height());
}
void Window::SetHeight(int32_t height) {
    RequireMainThread();
    Resize(Widget()->width(), height);
}

void Window::Resize(int32_t width, int32_t height) {
    RequireMainThread();
    QWidget* w = Widget();
    const QSize old = w->size();
    if (resizeable_) w->resize(width, height + menuBarHeight_);
    else w->setFixedSize(width, height + menuBarHeight_);  // a size fixed for the user, not for code
    ApplySizeLimits();
    const int32_t dw = w->width() - old.width(), dh = w->height() - old.height();
    if (dw == 0 && dh == 0) return;
    for (const Ref<Control>& c : controls_)
        if (auto* rc = dynamic_cast<RectControl*>(c.raw()); rc && rc->Widget() && rc->Widget()->parentWidget() == w)
            rc->FollowWindowResize(dw, dh);
}

void Window::SetMinWidth(int32_t v) { RequireMainThread(); minWidth_ = v; ApplySizeLimits(); }
void Window::SetMinHeight(int32_t v) { RequireMainThread(); minHeight_ = v; ApplySizeLimits(); }
void Window::SetMaxWidth(int32_t v) { RequireMainThread(); maxWidth_ = v; ApplySizeLimits(); }
void Window::SetMaxHeight(int32_t v) { RequireMainThread(); maxHeight_ = v; ApplySizeLimits(); }

void Window::SetVisible(bool visible) {
    RequireMainThread();
    visible_ = visible;
    if (open_ && !constructing_ && widget_) {
        awaitsShow_ = false;
        widget_->setVisible(visible);
    }
}

void Window::SetBackdrop(const Ref<Picture>& picture) {
    RequireMainThread();
    backdrop_ = picture;
    if (widget_) widget_->update();
}

void Window::SetHasBackColor(bool v) { RequireMainThread(); hasBackColor_ = v; ApplyBackColor(); }
void Window::SetBackColor(Color color) { RequireMainThread(); backColor_ = color; ApplyBackColor(); }

void Window::ApplyBackColor() {
    QWidget* w = Widget();
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, hasBackColor_ ? QColor(backColor_.red, backColor_.green, backColor_.blue)
                                                     : w->style()->standardPalette().color(QPalette::Window));
    w->setPalette(palette);
    w->setAutoFillBackground(hasBackColor_);
}

void Window::SetFrame(int32_t frame) { RequireMainThread(); frame_ = frame; ApplyFlags(); }
void Window::SetResizeable(bool v) { RequireMainThread(); resizeable_ = v; ApplySizeLimits(); ApplyFlags(); }
void Window::SetCloseButton(bool v) { RequireMainThread(); closeButton_ = v; ApplyFlags(); }
void Window::SetMinimizeButton(bool v) { RequireMainThread(); minimizeButton_ = v; ApplyFlags(); }
void Window::SetMaximizeButton(bool v) { RequireMainThread(); maximizeButton_ = v; ApplyFlags(); }

void Window::ApplySizeLimits() {
    QWidget* w = Widget();
    if (resizeable_) {
        w->setMinimumSize(minWidth_, minHeight_ + menuBarHeight_);
        w->setMaximumSize(maxWidth_, maxHeight_ + menuBarHeight_);
    } else {
        w->setFixedSize(w->size());  // the user cannot resize it; code still can
    }
}

void Window::ApplyFlags() {
    QWidget* w = Widget();
    const bool wasVisible = w->isVisible();
    Qt::WindowFlags flags;
    if (frame_ == 2) {  // a plain box without title bar
        flags = Qt::Window | Qt::FramelessWindowHint;
    } else {
        flags = (frame_ == 1 ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (closeButton_) flags |= Qt::WindowCloseButtonHint;
        if (minimizeButton_) flags |= Qt::WindowMinimizeButtonHint;
        if (maximizeButton_ && resizeable_) flags |= Qt::WindowMaximizeButtonHint;
    }
    w->setWindowFlags(flags);
    // Qt takes a modality only when a window is shown, so a dialog's comes before.
    if (frame_ == 1) w->setWindowModality(Qt::ApplicationModal);
    if (wasVisible) w->show();
}

const std::vector<Ref<Window>>& OpenWindows() {
    RequireMainThread();
    return OpenWindowList();
}

void CloseOpenWindows() {
    RequireMainThread();
    // Front to back; a window may close others while it closes.
    while (!OpenWindowList().empty()) OpenWindowList().front()->Close();
}

void ShowDialogsLeftUnshown() {
    if (!OnMainThread() || QuitRequested()) return;
    for (const Ref<Window>& w : std::vector<Ref<Window>>(OpenWindowList()))
        if (w->awaitsShow_ && w->builtAtHandlerDepth_ > HandlerDepth()) w->Show();
}

Ref<Window> RuntimeGetImplicitWindow(const std::string& className) {
    RequireMainThread();
    for (const Ref<Window>& w : OpenWindowList())
        if (w->Class() && w->Class()->name == className) return w;
    return Nil;
}

}  // namespace fw
