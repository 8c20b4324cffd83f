#pragma once
// The control kinds of the framework.
//
// Events: a PushButton and a BevelButton raise "Action" when clicked. A
// CheckBox raises "Action" whenever its value changes, by the user's click or
// by code setting Value or State (so what depends on the box stays in step
// whatever changed it); setting the value it already has raises nothing. A
// TextField raises "TextChange" whenever its text changes, by typing or by
// code. Every kind raises "Open" when its window has been built. The initial
// values of a record raise nothing because the program binds its handlers
// after applying the record.
#include <QString>
#include <vector>

#include "framework/Color.h"
#include "framework/Control.h"
#include "framework/MainThread.h"
#include "framework/Picture.h"

class QTabWidget;

namespace fw {

class Label : public RectControl {
public:
    String Text() const { RequireMainThread(); return text_; }
    void SetText(const String& text);
    // 0 left, 1 centre, 2 right.
    int32_t TextAlign() const { RequireMainThread(); return textAlign_; }
    void SetTextAlign(int32_t align);
    Color TextColor() const { RequireMainThread(); return textColor_; }
    void SetTextColor(Color color);
    bool Multiline() const { RequireMainThread(); return multiline_; }
    void SetMultiline(bool v);
    bool Selectable() const { RequireMainThread(); return selectable_; }
    void SetSelectable(bool v);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override { Apply(); }
    Qt::FocusPolicy KindFocusPolicy() const override { return Qt::NoFocus; }

private:
    void Apply();
    String text_;
    int32_t textAlign_ = 0;
    Color textColor_ = kBlack;
    bool multiline_ = false;
    bool selectable_ = false;
};

// A single-line text field.
class TextField : public RectControl {
public:
    bool RaisesEvent(const std::string& event) const override;
    String Text() const { RequireMainThread(); return text_; }
    void SetText(const String& text);
    bool ReadOnly() const { RequireMainThread(); return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool Border() const { RequireMainThread(); return border_; }
    void SetBorder(bool v);
    bool Password() const { RequireMainThread(); return password_; }
    void SetPassword(bool v);
    String CueText() const { RequireMainThread(); return cueText_; }
    void SetCueText(const String& text);
    // The most characters the user can type; 0 for no limit.
    int32_t LimitText() const { RequireMainThread(); return limitText_; }
    void SetLimitText(int32_t limit);
    // 0 default (left), 1 left, 2 centre, 3 right.
    int32_t Alignment() const { RequireMainThread(); return alignment_; }
    void SetAlignment(int32_t alignment);
    Color TextColor() const { RequireMainThread(); return textColor_; }
    void SetTextColor(Color color);
    Color BackColor() const { RequireMainThread(); return backColor_; }
    void SetBackColor(Color color);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;

private:
    void Show();
    String text_;
    bool readOnly_ = false, border_ = true, password_ = false;
    String cueText_;
    int32_t limitText_ = 0;
    int32_t alignment_ = 0;
    Color textColor_ = kBlack, backColor_ = kWhite;
};

class PushButton : public RectControl {
public:
    bool RaisesEvent(const std::string& event) const override;
    String Caption() const { RequireMainThread(); return caption_; }
    void SetCaption(const String& caption);
    // The window's default button: Return presses it.
    bool Default() const { RequireMainThread(); return default_; }
    void SetDefault(bool isDefault);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;

private:
    void ShowDefault();
    String caption_;
    bool default_ = false;
};

// A button that shows an icon beside its caption.
class BevelButton : public RectControl {
public:
    bool RaisesEvent(const std::string& event) const override;
    String Caption() const { RequireMainThread(); return caption_; }
    void SetCaption(const String& caption);
    // The icon; Nil for none. A picture whose Transparent is 1 shows its white as transparent.
    Ref<Picture> Icon() const { RequireMainThread(); return icon_; }
    void SetIcon(const Ref<Picture>& icon);
    bool Value() const { RequireMainThread(); return value_; }
    void SetValue(bool v) { RequireMainThread(); value_ = v; }
    // False: clicking does not take the keyboard focus, and Tab passes it by.
    bool AcceptFocus() const { RequireMainThread(); return acceptFocus_; }
    void SetAcceptFocus(bool v);
    Color TextColor() const { RequireMainThread(); return textColor_; }
    void SetTextColor(Color color);
    bool HasBackColor() const { RequireMainThread(); return hasBackColor_; }
    void SetHasBackColor(bool v);
    Color BackColor() const { RequireMainThread(); return backColor_; }
    void SetBackColor(Color color);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;
    Qt::FocusPolicy KindFocusPolicy() const override { return acceptFocus_ ? Qt::StrongFocus : Qt::NoFocus; }

private:
    void ApplyColors();
    void ShowIcon();
    String caption_;
    Ref<Picture> icon_;
    bool value_ = false;
    bool acceptFocus_ = true;
    Color textColor_ = kBlack, backColor_ = kBlack;
    bool hasBackColor_ = false;
};

class CheckBox : public RectControl {
public:
    bool RaisesEvent(const std::string& event) const override;
    String Caption() const { RequireMainThread(); return caption_; }
    void SetCaption(const String& caption);
    // True when ticked.
    bool Value() const { RequireMainThread(); return state_ == 1; }
    void SetValue(bool ticked);
    // 0 unticked, 1 ticked, 2 mixed.
    int32_t State() const { RequireMainThread(); return state_; }
    void SetState(int32_t state);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;

private:
    void Show();
    void ChangeState(int32_t state, bool raise);
    String caption_;
    int32_t state_ = 0;
};

// Keeps its own value, also one past the maximum; a maximum of 0 shows an empty bar.
class ProgressBar : public RectControl {
public:
    int32_t Value() const { RequireMainThread(); return value_; }
    void SetValue(int32_t value);
    int32_t Maximum() const { RequireMainThread(); return maximum_; }
    void SetMaximum(int32_t maximum);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;
    Qt::FocusPolicy KindFocusPolicy() const override { return Qt::NoFocus; }

private:
    void Show();
    int32_t value_ = 0;
    int32_t maximum_ = 100;
};

// Pages with tabs. TabDefinition holds the page captions separated by CR;
// Value is the page shown, from 0. Controls lie on a page through their
// InitialParent and TabPanelIndex (from 1), at window coordinates.
class TabPanel : public RectControl {
public:
    ~TabPanel() override;
    String TabDefinition() const { RequireMainThread(); return tabDefinition_; }
    void SetTabDefinition(const String& definition);
    int32_t PanelCount() const;
    int32_t Value() const;
    void SetValue(int32_t page);
    // The widget of page `index` (from 0); OutOfBoundsException when there is none.
    QWidget* Page(int32_t index) const;
    void Place() override;

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void Wire() override;
    Qt::FocusPolicy KindFocusPolicy() const override { return Qt::TabFocus; }

private:
    QTabWidget* Tabs() const;
    void ShowPages();
    void PlacePageControls(QWidget* page);
    void PageGeometryChanged(QWidget* page);
    String tabDefinition_;
    int32_t value_ = 0;
    QPointer<QObject> watcher_;
    friend class TabPageWatcher;
};

// The class records of the control kinds, registered on first use.
const ClassRecord* GetControlClass();
const ClassRecord* GetRectControlClass();
const ClassRecord* GetLabelClass();
const ClassRecord* GetTextFieldClass();
const ClassRecord* GetPushButtonClass();
const ClassRecord* GetBevelButtonClass();
const ClassRecord* GetCheckBoxClass();
const ClassRecord* GetProgressBarClass();
const ClassRecord* GetTabPanelClass();
// The record of a control kind by its name ("Label", "Timer", ...), registering
// the kinds first. A kind that a plug-in brings ("BevelButton") is found
// through the plug-ins loaded; RuntimeException for a name that is no kind.
const ClassRecord* ControlKindNamed(const std::string& name);

}  // namespace fw
