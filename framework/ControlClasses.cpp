// The class records of the control kinds with their properties: the names a
// design-time record may carry for each kind, the type of each, and what
// reads and sets it.
#include <type_traits>

#include "framework/Controls.h"
#include "framework/Plugins.h"
#include "framework/PropertyTable.h"
#include "framework/Timer.h"

namespace fw {

namespace {

template <class T>
ClassRecord* NewKind(const char* name, const ClassRecord* super) {
    ClassRecord* r = RuntimeNewClass(name, super);
    RuntimeNewVtable(r, {});
    if constexpr (!std::is_abstract_v<T>) r->factory = [] { return static_cast<Object*>(new T()); };
    r->attributes = RuntimeAllocateAttributeTable({{"__Scope", "Public"}});
    return r;
}

// The font of every kind that shows text.
template <class C>
void AddTextProperties(ClassRecord* r) {
    AddProperties(r, {
        Property("TextFont", kTypeString, &C::TextFont, &C::SetTextFont),
        Property("TextSize", kTypeSingle, &C::TextSize, &C::SetTextSize),
        Property("TextUnit", kTypeInt32, &C::TextUnit, &C::SetTextUnit),
        Property("Bold", kTypeBoolean, &C::Bold, &C::SetBold),
        Property("Italic", kTypeBoolean, &C::Italic, &C::SetItalic),
        Property("Underline", kTypeBoolean, &C::Underline, &C::SetUnderline),
    });
}

}  // namespace

const ClassRecord* GetControlClass() {
    static const ClassRecord* record = [] {
        ClassRecord* r = NewKind<Control>("Control", nullptr);
        AddProperties(r, {
            Property("Name", kTypeString, &Control::Name, &Control::SetName),
            Property("Index", kTypeInt32, &Control::Index, &Control::SetIndex),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetRectControlClass() {
    static const ClassRecord* record = [] {
        using C = RectControl;
        ClassRecord* r = NewKind<C>("RectControl", GetControlClass());
        AddProperties(r, {
            Property("Left", kTypeInt32, &C::Left, &C::SetLeft),
            Property("Top", kTypeInt32, &C::Top, &C::SetTop),
            Property("Width", kTypeInt32, &C::Width, &C::SetWidth),
            Property("Height", kTypeInt32, &C::Height, &C::SetHeight),
            Property("LockLeft", kTypeBoolean, &C::LockLeft, &C::SetLockLeft),
            Property("LockTop", kTypeBoolean, &C::LockTop, &C::SetLockTop),
            Property("LockRight", kTypeBoolean, &C::LockRight, &C::SetLockRight),
            Property("LockBottom", kTypeBoolean, &C::LockBottom, &C::SetLockBottom),
            Property("InitialParent", kTypeString, &C::InitialParent, &C::SetInitialParent),
            Property("TabPanelIndex", kTypeInt32, &C::TabPanelIndex, &C::SetTabPanelIndex),
            Property("TabIndex", kTypeInt32, &C::TabIndex, &C::SetTabIndex),
            Property("TabStop", kTypeBoolean, &C::TabStop, &C::SetTabStop),
            Property("Visible", kTypeBoolean, &C::Visible, &C::SetVisible),
            Property("Enabled", kTypeBoolean, &C::Enabled, &C::SetEnabled),
            Property("HelpTag", kTypeString, &C::HelpTag, &C::SetHelpTag),
            KeptCode<Control>("AutoDeactivate", kTypeBoolean),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetLabelClass() {
    static const ClassRecord* record = [] {
        using C = Label;
        ClassRecord* r = NewKind<C>("Label", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("Text", kTypeString, &C::Text, &C::SetText),
            Property("TextAlign", kTypeInt32, &C::TextAlign, &C::SetTextAlign),
            Property("TextColor", kTypeColor, &C::TextColor, &C::SetTextColor),
            Property("Multiline", kTypeBoolean, &C::Multiline, &C::SetMultiline),
            Property("Selectable", kTypeBoolean, &C::Selectable, &C::SetSelectable),
            KeptCode<Control>("Transparent", kTypeBoolean),
            KeptCode<Control>("DataSource", kTypeString),
            KeptCode<Control>("DataField", kTypeString),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetTextFieldClass() {
    static const ClassRecord* record = [] {
        using C = TextField;
        ClassRecord* r = NewKind<C>("TextField", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("Text", kTypeString, &C::Text, &C::SetText),
            Property("ReadOnly", kTypeBoolean, &C::ReadOnly, &C::SetReadOnly),
            Property("Border", kTypeBoolean, &C::Border, &C::SetBorder),
            Property("Password", kTypeBoolean, &C::Password, &C::SetPassword),
            Property("CueText", kTypeString, &C::CueText, &C::SetCueText),
            Property("LimitText", kTypeInt32, &C::LimitText, &C::SetLimitText),
            Property("Alignment", kTypeInt32, &C::Alignment, &C::SetAlignment),
            Property("TextColor", kTypeColor, &C::TextColor, &C::SetTextColor),
            Property("BackColor", kTypeColor, &C::BackColor, &C::SetBackColor),
            KeptCode<Control>("UseFocusRing", kTypeBoolean),
            KeptCode<Control>("Format", kTypeString),
            KeptCode<Control>("Mask", kTypeString),
            KeptCode<Control>("AcceptTabs", kTypeBoolean),
            KeptCode<Control>("AutomaticallyCheckSpelling", kTypeBoolean),
            KeptCode<Control>("DataSource", kTypeString),
            KeptCode<Control>("DataField", kTypeString),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetPushButtonClass() {
    static const ClassRecord* record = [] {
        using C = PushButton;
        ClassRecord* r = NewKind<C>("PushButton", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("Caption", kTypeString, &C::Caption, &C::SetCaption),
            Property("Default", kTypeBoolean, &C::Default, &C::SetDefault),
            KeptCode<Control>("Cancel", kTypeBoolean),
            KeptCode<Control>("ButtonStyle", kTypeInt32),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetBevelButtonClass() {
    static const ClassRecord* record = [] {
        using C = BevelButton;
        ClassRecord* r = NewKind<C>("BevelButton", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("Caption", kTypeString, &C::Caption, &C::SetCaption),
            Property("Icon", kTypePicture, &C::Icon, &C::SetIcon),
            Property("Value", kTypeBoolean, &C::Value, &C::SetValue),
            Property("AcceptFocus", kTypeBoolean, &C::AcceptFocus, &C::SetAcceptFocus),
            Property("TextColor", kTypeColor, &C::TextColor, &C::SetTextColor),
            Property("HasBackColor", kTypeBoolean, &C::HasBackColor, &C::SetHasBackColor),
            Property("BackColor", kTypeColor, &C::BackColor, &C::SetBackColor),
            KeptCode<Control>("CaptionAlign", kTypeInt32),
            KeptCode<Control>("CaptionPlacement", kTypeInt32),
            KeptCode<Control>("CaptionDelta", kTypeInt32),
            KeptCode<Control>("IconAlign", kTypeInt32),
            KeptCode<Control>("IconDX", kTypeInt32),
            KeptCode<Control>("IconDY", kTypeInt32),
            KeptCode<Control>("Bevel", kTypeInt32),
            KeptCode<Control>("HasMenu", kTypeInt32),
            KeptCode<Control>("MenuValue", kTypeInt32),
            KeptCode<Control>("ButtonType", kTypeInt32),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetCheckBoxClass() {
    static const ClassRecord* record = [] {
        using C = CheckBox;
        ClassRecord* r = NewKind<C>("CheckBox", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("Caption", kTypeString, &C::Caption, &C::SetCaption),
            Property("Value", kTypeBoolean, &C::Value, &C::SetValue),
            Property("State", kTypeInt32, &C::State, &C::SetState),
            KeptCode<Control>("DataSource", kTypeString),
            KeptCode<Control>("DataField", kTypeString),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetProgressBarClass() {
    static const ClassRecord* record = [] {
        using C = ProgressBar;
        ClassRecord* r = NewKind<C>("ProgressBar", GetRectControlClass());
        AddProperties(r, {
            Property("Value", kTypeInt32, &C::Value, &C::SetValue),
            Property("Maximum", kTypeInt32, &C::Maximum, &C::SetMaximum),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetTabPanelClass() {
    static const ClassRecord* record = [] {
        using C = TabPanel;
        ClassRecord* r = NewKind<C>("TabPanel", GetRectControlClass());
        AddTextProperties<C>(r);
        AddProperties(r, {
            Property("TabDefinition", kTypeString, &C::TabDefinition, &C::SetTabDefinition),
            Property("Value", kTypeInt32, &C::Value, &C::SetValue),
            KeptCode<Control>("SmallTabs", kTypeBoolean),
        });
        return r;
    }();
    return record;
}

const ClassRecord* GetTimerClass() {
    static const ClassRecord* record = [] {
        using C = Timer;
        ClassRecord* r = NewKind<C>("Timer", GetControlClass());
        AddProperties(r, {
            Property("Period", kTypeInt32, &C::Period, &C::SetPeriod),
            Property("Mode", kTypeInt32, &C::Mode, &C::SetMode),
        });
        return r;
    }();
    return record;
}

const ClassRecord* ControlKindNamed(const std::string& name) {
    static const ClassRecord* const builtIn[] = {
        GetLabelClass(),       GetTextFieldClass(), GetPushButtonClass(), GetCheckBoxClass(),
        GetProgressBarClass(), GetTabPanelClass(),  GetTimerClass(),
    };
    for (const ClassRecord* kind : builtIn)
        if (kind->name == name) return kind;
    // The others come with the plug-ins: bound by name from the libraries
    // loaded, refused when none has it.
    return RuntimeLookupPluginEntrypoint(name).cls;
}

}  // namespace fw
