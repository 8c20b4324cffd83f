#include "framework/Controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "framework/MainThread.h"

namespace fw {

namespace {
QString Q(const String& s) { return QString::fromStdString(s.ToUTF8()); }

template <class W>
W* As(QWidget* w) {
    return static_cast<W*>(w);
}

template <class T>
const ClassRecord* ControlKind(const char* name, const ClassRecord* super) {
    ClassRecord* r = RuntimeNewClass(name, super);
    RuntimeNewVtable(r, {});
    if constexpr (!std::is_abstract_v<T>) r->factory = [] { return static_cast<Object*>(new T()); };
    return r;
}
}  // namespace

void Label::SetText(const String& text) {
    RequireMainThread();
    text_ = text;
    if (Widget()) As<QLabel>(Widget())->setText(Q(text));
}
QWidget* Label::MakeWidget(QWidget* parent) { return new QLabel(Q(text_), parent); }

void TextField::SetText(const String& text) {
    RequireMainThread();
    text_ = text;
    if (Widget()) As<QLineEdit>(Widget())->setText(Q(text));
}
void TextField::SetReadOnly(bool readOnly) {
    RequireMainThread();
    readOnly_ = readOnly;
    if (Widget()) As<QLineEdit>(Widget())->setReadOnly(readOnly);
}
QWidget* TextField::MakeWidget(QWidget* parent) { return new QLineEdit(parent); }

void PushButton::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QPushButton>(Widget())->setText(Q(caption));
}
void PushButton::SetDefault(bool isDefault) {
    RequireMainThread();
    default_ = isDefault;
    if (Widget()) As<QPushButton>(Widget())->setDefault(isDefault);
}
QWidget* PushButton::MakeWidget(QWidget* parent) { return new QPushButton(parent); }

void BevelButton::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QToolButton>(Widget())->setText(Q(caption));
}
void BevelButton::SetIcon(const Ref<Picture>& icon) {
    RequireMainThread();
    icon_ = icon;
    if (Widget()) As<QToolButton>(Widget())->setIcon(icon ? QIcon(QPixmap::fromImage(icon->Image())) : QIcon());
}
QWidget* BevelButton::MakeWidget(QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return b;
}

void CheckBox::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QCheckBox>(Widget())->setText(Q(caption));
}
void CheckBox::SetValue(bool ticked) {
    RequireMainThread();
    value_ = ticked;
    if (Widget()) As<QCheckBox>(Widget())->setChecked(ticked);
}
QWidget* CheckBox::MakeWidget(QWidget* parent) { return new QCheckBox(parent); }

void ProgressBar::SetValue(int32_t value) {
    RequireMainThread();
    value_ = value;
    Show();
}
void ProgressBar::SetMaximum(int32_t maximum) {
    RequireMainThread();
    maximum_ = maximum;
    Show();
}
void ProgressBar::Show() {
    auto* bar = As<QProgressBar>(Widget());
    if (!bar) return;
    // Qt shows a busy animation for a maximum of 0; an empty bar is what is meant.
    const int max = maximum_ > 0 ? maximum_ : 1;
    bar->setRange(0, max);
    bar->setValue(maximum_ > 0 ? std::clamp(value_, 0, max) : 0);
}
QWidget* ProgressBar::MakeWidget(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    return bar;
}

int32_t TabPanel::Value() const { return Widget() ? As<QTabWidget>(Widget())->currentIndex() : 0; }
void TabPanel::SetValue(int32_t page) {
    RequireMainThread();
    if (Widget()) As<QTabWidget>(Widget())->setCurrentIndex(page);
}
QWidget* TabPanel::MakeWidget(QWidget* parent) { return new QTabWidget(parent); }

const ClassRecord* GetControlClass() {
    static const ClassRecord* r = ControlKind<Control>("Control", nullptr);
    return r;
}
const ClassRecord* GetRectControlClass() {
    static const ClassRecord* r = ControlKind<RectControl>("RectControl", GetControlClass());
    return r;
}
#define QUELMAR_CONTROL_KIND(Kind)                                                  \
    const ClassRecord* Get##Kind##Class() {                                         \
        static const ClassRecord* r = ControlKind<Kind>(#Kind, GetRectControlClass()); \
        return r;                                                                   \
    }
QUELMAR_CONTROL_KIND(Label)
QUELMAR_CONTROL_KIND(TextField)
QUELMAR_CONTROL_KIND(PushButton)
QUELMAR_CONTROL_KIND(BevelButton)
QUELMAR_CONTROL_KIND(CheckBox)
QUELMAR_CONTROL_KIND(ProgressBar)
QUELMAR_CONTROL_KIND(TabPanel)
#undef QUELMAR_CONTROL_KIND

}  // namespace fw
