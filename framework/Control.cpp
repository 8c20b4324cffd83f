#include "framework/Control.h"

#include <QApplication>
#include <QFontDatabase>
#include <algorithm>

#include "framework/Controls.h"
#include "framework/EventDispatch.h"
#include "framework/MainThread.h"
#include "framework/Window.h"

namespace fw {

namespace {
// The family that "System" stands for: the platform's font, unless a narrow
// sans serif is installed. The windows are laid out for one, and the usual
// default here (DejaVu Sans) is wide enough to clip their captions.
QString SystemFamily() {
    static const QString family = [] {
        for (const char* narrow : {"Liberation Sans", "DejaVu Sans Condensed"})
            if (QFontDatabase::hasFamily(narrow)) return QString(narrow);
        return QString();
    }();
    return family;
}
}  // namespace

Control::~Control() = default;

void Control::Opened() { RaiseEvent("Open"); }

bool Control::RaisesEvent(const std::string& event) const { return event == "Open"; }

void Control::AddEventHandler(const std::string& event, EventDispatcher dispatcher, const Ref<Delegate>& delegate) {
    RequireMainThread();
    if (!RaisesEvent(event))
        throw RuntimeException((Class() ? Class()->name : std::string("control")) + " has no event " + event);
    bindings_.push_back(std::make_shared<Binding>(Binding{event, dispatcher, delegate, false}));
}

size_t Control::HandlerCount(const std::string& event) const {
    RequireMainThread();
    return std::count_if(bindings_.begin(), bindings_.end(),
                         [&](const std::shared_ptr<Binding>& b) { return b->event == event; });
}

bool Control::HandlerRunning(const std::string& event) const {
    RequireMainThread();
    return std::any_of(bindings_.begin(), bindings_.end(),
                       [&](const std::shared_ptr<Binding>& b) { return b->event == event && b->running; });
}

bool Control::RaiseEvent(const std::string& event, const std::vector<Value>& args) {
    RequireMainThread();
    // A handler may close the window, which lets go of its controls: this
    // control and its bindings stay until the handlers have returned.
    Ref<Control> self = RefTo(this);
    const std::vector<std::shared_ptr<Binding>> bindings = bindings_;
    bool bound = false;
    for (const std::shared_ptr<Binding>& binding : bindings) {
        if (binding->event != event) continue;
        bound = true;
        if (binding->running) continue;  // the same binding is still running further up
        struct Running {
            Binding& b;
            explicit Running(Binding& binding) : b(binding) { b.running = true; }
            ~Running() { b.running = false; }
        } running(*binding);
        binding->dispatch(*this, *binding->delegate, args);
    }
    return bound;
}

// RectControl

RectControl::~RectControl() {
    // The widget belongs to the window's widget; only our connections go with us.
    for (const QMetaObject::Connection& c : connections_) QObject::disconnect(c);
}

void RectControl::Constructor() {
    RequireMainThread();
    Ref<class Window> window = OwnerWindow();
    widget_ = MakeWidget(window->Widget());
    // What was set before the widget existed shows on it now.
    Wire();
    ApplyFocusPolicy();
    ApplyFont();
    widget_->setEnabled(enabled_);
    widget_->setToolTip(QString::fromStdString(helpTag_.ToUTF8()));
    widget_->setVisible(visible_);  // a child made after its window was shown stays hidden otherwise
    Place();
    MoveToContainer();
}

void RectControl::RaiseUserEvent(const std::string& event) {
    DeliverEvent([&] { RaiseEvent(event); });
}

void RectControl::Place() {
    RequireMainThread();
    if (!widget_) return;
    // Window coordinates, turned into the coordinates of the widget's container.
    Ref<class Window> window = OwnerWindow();
    QPoint origin(left_, top_ + (window ? window->ContentTop() : 0));
    QWidget* parent = widget_->parentWidget();
    if (parent && window && parent != window->Widget()) origin = parent->mapFrom(window->Widget(), origin);
    widget_->setGeometry(origin.x(), origin.y(), std::max(width_, 0), std::max(height_, 0));
}

void RectControl::SetLeft(int32_t v) { RequireMainThread(); left_ = v; Place(); }
void RectControl::SetTop(int32_t v) { RequireMainThread(); top_ = v; Place(); }
void RectControl::SetWidth(int32_t v) { RequireMainThread(); width_ = v; Place(); }
void RectControl::SetHeight(int32_t v) { RequireMainThread(); height_ = v; Place(); }

void RectControl::FollowWindowResize(int32_t dw, int32_t dh) {
    RequireMainThread();
    if (lockRight_) {
        if (lockLeft_) width_ += dw;
        else left_ += dw;
    }
    if (lockBottom_) {
        if (lockTop_) height_ += dh;
        else top_ += dh;
    }
    Place();
}

void RectControl::SetInitialParent(const String& name) {
    RequireMainThread();
    initialParent_ = name;
    MoveToContainer();
}

void RectControl::SetTabPanelIndex(int32_t page) {
    RequireMainThread();
    tabPanelIndex_ = page;
    MoveToContainer();
}

void RectControl::MoveToContainer() {
    Ref<class Window> window = OwnerWindow();
    if (!widget_ || window.IsNil()) return;
    QWidget* container = window->Widget();
    if (!initialParent_.IsEmpty() && tabPanelIndex_ != 0) {
        Ref<Object> parent = window->_ControlByName(initialParent_);
        if (parent.IsNil()) throw NilObjectException("no control " + initialParent_.ToUTF8() + " to lie on");
        Ref<TabPanel> panel = DynamicCast<TabPanel>(parent);
        if (panel.IsNil()) throw IllegalCastException(initialParent_.ToUTF8() + " is not a tab panel");
        container = panel->Page(tabPanelIndex_ - 1);
    }
    QWidget* old = widget_->parentWidget();
    if (old == container) return;
    widget_->setParent(container);
    widget_->setVisible(visible_);  // a new parent hides the widget
    Place();
    if (old) ApplyKeyboardOrder(*window, old);
    ApplyKeyboardOrder(*window, container);
}

void RectControl::SetTabIndex(int32_t index) {
    RequireMainThread();
    tabIndex_ = index;
    Ref<class Window> window = OwnerWindow();
    if (widget_ && widget_->parentWidget() && window) ApplyKeyboardOrder(*window, widget_->parentWidget());
}

void RectControl::SetTabStop(bool v) {
    RequireMainThread();
    tabStop_ = v;
    ApplyFocusPolicy();
}

Qt::FocusPolicy RectControl::KindFocusPolicy() const { return Qt::StrongFocus; }

void RectControl::ApplyFocusPolicy() {
    if (!widget_) return;
    Qt::FocusPolicy policy = KindFocusPolicy();
    if (!tabStop_ && (policy & Qt::TabFocus)) policy = Qt::FocusPolicy(policy & ~Qt::TabFocus);
    widget_->setFocusPolicy(policy);
    Ref<class Window> window = OwnerWindow();
    if (widget_->parentWidget() && window) ApplyKeyboardOrder(*window, widget_->parentWidget());
}

bool RectControl::Enabled() const {
    RequireMainThread();
    return enabled_;
}

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

void RectControl::SetHelpTag(const String& tag) {
    RequireMainThread();
    helpTag_ = tag;
    if (widget_) widget_->setToolTip(QString::fromStdString(tag.ToUTF8()));
}

void RectControl::SetTextFont(const String& font) { RequireMainThread(); textFont_ = font; ApplyFont(); }
void RectControl::SetTextSize(float size) { RequireMainThread(); textSize_ = size; ApplyFont(); }
void RectControl::SetTextUnit(int32_t unit) { RequireMainThread(); textUnit_ = unit; ApplyFont(); }
void RectControl::SetBold(bool v) { RequireMainThread(); bold_ = v; ApplyFont(); }
void RectControl::SetItalic(bool v) { RequireMainThread(); italic_ = v; ApplyFont(); }
void RectControl::SetUnderline(bool v) { RequireMainThread(); underline_ = v; ApplyFont(); }

void RectControl::ApplyFont() {
    if (!widget_) return;
    QFont font = QApplication::font(widget_);
    const std::string family = textFont_.ToUTF8();
    if (family.empty() || family == "System") {
        if (!SystemFamily().isEmpty()) font.setFamily(SystemFamily());
    } else {
        font.setFamily(QString::fromStdString(family));
    }
    if (textSize_ > 0) {
        // The windows are laid out in pixels at 72 per inch, where a point is a
        // pixel: sizes in points are pixel sizes here, so text fits its control.
        double pixels = textSize_;
        if (textUnit_ == 3) pixels = textSize_ * 72.0;         // inches
        else if (textUnit_ == 4) pixels = textSize_ * 72.0 / 25.4;  // millimetres
        font.setPixelSize(std::max(1, int(pixels + 0.5)));
    }
    font.setBold(bold_);
    font.setItalic(italic_);
    font.setUnderline(underline_);
    widget_->setFont(font);
}

void ApplyKeyboardOrder(Window& window, QWidget* container) {
    std::vector<RectControl*> inOrder;
    for (const Ref<Control>& c : window.Controls()) {
        auto* rc = dynamic_cast<RectControl*>(c.raw());
        if (!rc || !rc->Widget() || rc->Widget()->parentWidget() != container || rc->TabIndex() < 0) continue;
        if (rc->Widget()->focusPolicy() == Qt::NoFocus) continue;  // never reached by Tab
        inOrder.push_back(rc);
    }
    std::stable_sort(inOrder.begin(), inOrder.end(),
                     [](const RectControl* a, const RectControl* b) { return a->TabIndex() < b->TabIndex(); });
    for (size_t i = 1; i < inOrder.size(); ++i) QWidget::setTabOrder(inOrder[i - 1]->Widget(), inOrder[i]->Widget());
}

}  // namespace fw
