#pragma once
// The control kinds of the framework.
#include <QString>

#include "framework/Control.h"
#include "framework/Picture.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QTabWidget;
class QPushButton;
class QCheckBox;
class QToolButton;

namespace fw {

class Label : public RectControl {
public:
    String Text() const { return text_; }
    void SetText(const String& text);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    String text_;
};

class TextField : public RectControl {
public:
    String Text() const { return text_; }
    void SetText(const String& text);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    String text_;
    bool readOnly_ = false;
};

class PushButton : public RectControl {
public:
    String Caption() const { return caption_; }
    void SetCaption(const String& caption);
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    String caption_;
    bool default_ = false;
};

class BevelButton : public RectControl {
public:
    String Caption() const { return caption_; }
    void SetCaption(const String& caption);
    Ref<Picture> Icon() const { return icon_; }
    void SetIcon(const Ref<Picture>& icon);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    String caption_;
    Ref<Picture> icon_;
};

class CheckBox : public RectControl {
public:
    String Caption() const { return caption_; }
    void SetCaption(const String& caption);
    bool Value() const { return value_; }
    void SetValue(bool ticked);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    String caption_;
    bool value_ = false;
};

// Keeps its own value, also one past the maximum; a maximum of 0 shows an empty bar.
class ProgressBar : public RectControl {
public:
    int32_t Value() const { return value_; }
    void SetValue(int32_t value);
    int32_t Maximum() const { return maximum_; }
    void SetMaximum(int32_t maximum);

protected:
    QWidget* MakeWidget(QWidget* parent) override;

private:
    void Show();
    int32_t value_ = 0;
    int32_t maximum_ = 100;
};

class TabPanel : public RectControl {
public:
    int32_t Value() const;  // the page shown, from 0
    void SetValue(int32_t page);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
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

}  // namespace fw
