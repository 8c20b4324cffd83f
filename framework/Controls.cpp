#include "framework/Controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "framework/EventDispatch.h"
#include "framework/MainThread.h"
#include "framework/WidgetText.h"
#include "framework/Window.h"

namespace fw {

namespace {
QString Q(const String& s) { return ToQString(s); }
QColor QC(Color c) { return QColor(c.red, c.green, c.blue); }
// A colour of an enabled control: a disabled one keeps the style's greyed colours.
void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, Color c) {
    palette.setColor(QPalette::Active, role, QC(c));
    palette.setColor(QPalette::Inactive, role, QC(c));
}

template <class W>
W* As(QWidget* w) {
    return static_cast<W*>(w);
}

// A picture as an icon; with Transparent 1 its white pixels are see-through.
QIcon IconOf(const Picture& picture) {
    if (picture.Transparent() != 1) return QIcon(QPixmap::fromImage(picture.Image()));
    QImage image = picture.Image().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == 0x00FFFFFF) line[x] = 0;
    }
    return QIcon(QPixmap::fromImage(image));
}
}  // namespace

// Label

void Label::SetText(const String& text) {
    RequireMainThread();
    text_ = text;
    if (Widget()) As<QLabel>(Widget())->setText(Q(text_));  // the status line changes per file: text only
}
void Label::SetTextAlign(int32_t align) { RequireMainThread(); textAlign_ = align; Apply(); }
void Label::SetTextColor(Color color) { RequireMainThread(); textColor_ = color; Apply(); }
void Label::SetMultiline(bool v) { RequireMainThread(); multiline_ = v; Apply(); }
void Label::SetSelectable(bool v) { RequireMainThread(); selectable_ = v; Apply(); }

void Label::Apply() {
    auto* label = As<QLabel>(Widget());
    if (!label) return;
    label->setText(Q(text_));
    const Qt::Alignment horizontal = textAlign_ == 1 ? Qt::AlignHCenter : textAlign_ == 2 ? Qt::AlignRight : Qt::AlignLeft;
    // One line stands in the middle of its box. At the top, the font's small
    // leading put its letters on the edge of a control just above: the status
    // line's box begins 3 pixels inside the progress bar's. Several lines run
    // from the top.
    label->setAlignment(horizontal | (multiline_ ? Qt::AlignTop : Qt::AlignVCenter));
    label->setWordWrap(multiline_);
    label->setTextInteractionFlags(selectable_ ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
    QPalette palette = label->palette();
    SetEnabledColor(palette, QPalette::WindowText, textColor_);
    label->setPalette(palette);
}

QWidget* Label::MakeWidget(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // a text is shown as it stands, never as markup
    return label;
}

// TextField

bool TextField::RaisesEvent(const std::string& event) const {
    return event == "TextChange" || RectControl::RaisesEvent(event);
}

void TextField::SetText(const String& text) {
    RequireMainThread();
    if (text == text_) return;
    text_ = text;
    if (Widget()) As<QLineEdit>(Widget())->setText(Q(text));
    RaiseEvent("TextChange");
}
void TextField::SetReadOnly(bool readOnly) { RequireMainThread(); readOnly_ = readOnly; Show(); }
void TextField::SetBorder(bool v) { RequireMainThread(); border_ = v; Show(); }
void TextField::SetPassword(bool v) { RequireMainThread(); password_ = v; Show(); }
void TextField::SetCueText(const String& text) { RequireMainThread(); cueText_ = text; Show(); }
void TextField::SetLimitText(int32_t limit) { RequireMainThread(); limitText_ = limit; Show(); }
void TextField::SetAlignment(int32_t alignment) { RequireMainThread(); alignment_ = alignment; Show(); }
void TextField::SetTextColor(Color color) { RequireMainThread(); textColor_ = color; Show(); }
void TextField::SetBackColor(Color color) { RequireMainThread(); backColor_ = color; Show(); }

// Everything but the text, which only SetText and typing change.
void TextField::Show() {
    auto* field = As<QLineEdit>(Widget());
    if (!field) return;
    field->setReadOnly(readOnly_);
    field->setFrame(border_);
    field->setEchoMode(password_ ? QLineEdit::Password : QLineEdit::Normal);
    field->setPlaceholderText(Q(cueText_));
    field->setMaxLength(limitText_ > 0 ? limitText_ : 32767);
    const Qt::Alignment a = alignment_ == 2 ? Qt::AlignHCenter : alignment_ == 3 ? Qt::AlignRight : Qt::AlignLeft;
    field->setAlignment(a | Qt::AlignVCenter);
    QPalette palette = field->palette();
    SetEnabledColor(palette, QPalette::Text, textColor_);
    SetEnabledColor(palette, QPalette::Base, backColor_);
    field->setPalette(palette);
}

QWidget* TextField::MakeWidget(QWidget* parent) { return new QLineEdit(parent); }
void TextField::Wire() {
    As<QLineEdit>(Widget())->setText(Q(text_));
    Show();
    // Typing; a text set in code raises its event in SetText.
    Connect(&QLineEdit::textEdited, [this](const QString& typed) {
        if (HandlerRunning("TextChange")) {
            // Typed while its own handler runs: the event is dropped, so is the keystroke.
            As<QLineEdit>(Widget())->setText(Q(text_));
            return;
        }
        text_ = String(typed.toStdString());
        RaiseUserEvent("TextChange");
    });
}

// PushButton

bool PushButton::RaisesEvent(const std::string& event) const {
    return event == "Action" || RectControl::RaisesEvent(event);
}

void PushButton::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QPushButton>(Widget())->setText(AsCaption(caption));
}

void PushButton::SetDefault(bool isDefault) {
    RequireMainThread();
    default_ = isDefault;
    ShowDefault();
}

void PushButton::ShowDefault() {
    auto* button = As<QPushButton>(Widget());
    if (!button) return;
    button->setDefault(default_);
    // Outside a dialog Qt gives a default button no key: Return and Enter press it.
    for (QShortcut* s : button->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly)) delete s;
    if (!default_) return;
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(QKeySequence(key), button);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled()) button->animateClick();
        });
    }
}

QWidget* PushButton::MakeWidget(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    return button;
}
void PushButton::Wire() {
    As<QPushButton>(Widget())->setText(AsCaption(caption_));
    ShowDefault();
    Connect(&QPushButton::clicked, [this] { RaiseUserEvent("Action"); });
}

// BevelButton

bool BevelButton::RaisesEvent(const std::string& event) const {
    return event == "Action" || RectControl::RaisesEvent(event);
}

void BevelButton::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QToolButton>(Widget())->setText(AsCaption(caption));
}

void BevelButton::SetIcon(const Ref<Picture>& icon) {
    RequireMainThread();
    icon_ = icon;
    ShowIcon();
}

void BevelButton::ShowIcon() {
    auto* button = As<QToolButton>(Widget());
    if (!button) return;
    if (icon_.IsNil()) {
        button->setIcon(QIcon());
        return;
    }
    const int side = std::max(8, std::min({Height() - 6, icon_->Width(), icon_->Height()}));
    button->setIconSize(QSize(side, side));
    button->setIcon(IconOf(*icon_));
}

void BevelButton::SetAcceptFocus(bool v) {
    RequireMainThread();
    acceptFocus_ = v;
    ApplyFocusPolicy();
}

void BevelButton::SetTextColor(Color color) { RequireMainThread(); textColor_ = color; ApplyColors(); }
void BevelButton::SetHasBackColor(bool v) { RequireMainThread(); hasBackColor_ = v; ApplyColors(); }
void BevelButton::SetBackColor(Color color) { RequireMainThread(); backColor_ = color; ApplyColors(); }
void BevelButton::ApplyColors() {
    QWidget* w = Widget();
    if (!w) return;
    QPalette palette = QApplication::palette(w);
    SetEnabledColor(palette, QPalette::ButtonText, textColor_);
    if (hasBackColor_) SetEnabledColor(palette, QPalette::Button, backColor_);
    w->setPalette(palette);
}

QWidget* BevelButton::MakeWidget(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}
void BevelButton::Wire() {
    As<QToolButton>(Widget())->setText(AsCaption(caption_));
    ShowIcon();
    ApplyColors();
    Connect(&QToolButton::clicked, [this] { RaiseUserEvent("Action"); });
}

// CheckBox

bool CheckBox::RaisesEvent(const std::string& event) const {
    return event == "Action" || RectControl::RaisesEvent(event);
}

void CheckBox::SetCaption(const String& caption) {
    RequireMainThread();
    caption_ = caption;
    if (Widget()) As<QCheckBox>(Widget())->setText(AsCaption(caption));
}

void CheckBox::SetValue(bool ticked) {
    RequireMainThread();
    ChangeState(ticked ? 1 : 0, true);
}

void CheckBox::SetState(int32_t state) {
    RequireMainThread();
    if (state < 0 || state > 2) throw OutOfBoundsException("check box state " + std::to_string(state));
    ChangeState(state, true);
}

void CheckBox::ChangeState(int32_t state, bool raise) {
    if (state == state_) return;
    state_ = state;
    Show();
    if (raise) RaiseEvent("Action");
}

void CheckBox::Show() {
    auto* box = As<QCheckBox>(Widget());
    if (!box) return;
    box->setTristate(state_ == 2);
    box->setCheckState(state_ == 2 ? Qt::PartiallyChecked : state_ == 1 ? Qt::Checked : Qt::Unchecked);
}

QWidget* CheckBox::MakeWidget(QWidget* parent) { return new QCheckBox(parent); }
void CheckBox::Wire() {
    Show();
    // Only the user's click: a change made in code raises its event in ChangeState.
    Connect(&QCheckBox::clicked, [this] {
        if (HandlerRunning("Action")) {
            // Clicked while its own handler runs: the event is dropped, and so
            // is the tick, so the box still shows the control's state.
            Show();
            return;
        }
        const Qt::CheckState shown = As<QCheckBox>(Widget())->checkState();
        const int32_t state = shown == Qt::PartiallyChecked ? 2 : shown == Qt::Checked ? 1 : 0;
        DeliverEvent([&] { ChangeState(state, true); });
    });
}

// ProgressBar

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
    const int shown = maximum_ > 0 ? std::clamp(value_, 0, max) : 0;
    if (bar->maximum() != max) bar->setRange(0, max);
    // A step that moves the bar by less than a pixel changes nothing on the
    // screen; a batch run of many files steps it once per file.
    const auto pixels = [&](int v) { return static_cast<int64_t>(v) * bar->width() / max; };
    if (bar->value() < 0 || pixels(bar->value()) != pixels(shown) || shown == max || shown == 0) bar->setValue(shown);
}
QWidget* ProgressBar::MakeWidget(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    return bar;
}
void ProgressBar::Wire() { Show(); }

}  // namespace fw
