#include "framework/Menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "framework/Application.h"
#include "framework/CallTrace.h"
#include "framework/DesignRecord.h"
#include "framework/EventDispatch.h"
#include "framework/MenuEditing.h"
#include "framework/PropertyTable.h"
#include "framework/WidgetText.h"

namespace fw {

namespace {

// The modifier names of a shortcut text and Qt's names for them. Qt's "Ctrl"
// is the Command key on the Mac and Control elsewhere: the command key.
const std::pair<const char*, const char*> kModifierNames[] = {
    {"Cmd+", "Ctrl+"},
    {"Option+", "Alt+"},
    {"Shift+", "Shift+"},
};

QKeySequence KeySequenceOf(const String& shortcut) {
    QString text = ToQString(shortcut);
    for (const auto& [ours, qts] : kModifierNames) text.replace(ours, qts, Qt::CaseInsensitive);
    const QKeySequence keys = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (!text.isEmpty() && (keys.isEmpty() || keys[0].key() == Qt::Key_unknown))
        throw RuntimeException("not a keyboard shortcut: " + shortcut.ToUTF8());
    return keys;
}

}  // namespace

// MenuItem

MenuItem::MenuItem() {
    RequireMainThread();
    action_ = new QAction();
    QObject::connect(action_.data(), &QAction::triggered, action_.data(), [this] {
        DeliverEvent([this] {
            Ref<MenuItem> self = RefTo(this);  // the handler may let go of the bar
            Chosen();
        });
    });
}

MenuItem::~MenuItem() {
    delete action_.data();  // leaves every menu and bar that shows it
    delete menu_.data();
}

void MenuItem::Constructor() {
    RequireMainThread();
    TraceCall("MenuItem.Constructor", Class() ? Class()->name : std::string());
}

void MenuItem::SetName(const String& name) {
    RequireMainThread();
    name_ = name;
    action_->setObjectName(ToQString(name));
}

void MenuItem::SetText(const String& text) {
    RequireMainThread();
    text_ = text;
    action_->setSeparator(IsSeparator());
    action_->setText(IsSeparator() ? QString() : ToQString(text));
}

void MenuItem::SetKeyboardShortcut(const String& shortcut) {
    RequireMainThread();
    TraceCall("MenuItem.KeyboardShortcut.Set", name_.ToUTF8() + "=" + shortcut.ToUTF8());
    action_->setShortcut(KeySequenceOf(shortcut));
    shortcut_ = shortcut;
}

void MenuItem::SetAutoEnable(bool v) {
    RequireMainThread();
    autoEnable_ = v;
}

bool MenuItem::Enabled() const {
    RequireMainThread();
    return action_->isEnabled();
}

void MenuItem::SetEnabled(bool v) {
    RequireMainThread();
    enabled_ = v;
    action_->setEnabled(v);
}

void MenuItem::SetVisible(bool v) {
    RequireMainThread();
    visible_ = v;
    action_->setVisible(v);
}

void MenuItem::Append(const Ref<MenuItem>& item) {
    RequireMainThread();
    TraceCall("MenuItem.Append", name_.ToUTF8() + "<" + item->Name().ToUTF8());
    if (item.raw() == this) throw RuntimeException("a menu item cannot hold itself");
    if (!menu_) {
        menu_ = new QMenu();
        action_->setMenu(menu_.data());
        QObject::connect(menu_.data(), &QMenu::aboutToShow, menu_.data(), [this] {
            DeliverEvent([this] {
                Ref<MenuItem> self = RefTo(this);
                MenuOpening();
            });
        });
    }
    entries_.push_back(item);
    menu_->addAction(item->QtAction());
}

Ref<MenuItem> MenuItem::Child(const String& name) const {
    RequireMainThread();
    TraceCall("MenuItem.Child", name.ToUTF8());
    for (const Ref<MenuItem>& entry : entries_)
        if (entry->Name() == name) return entry;
    return Nil;
}

int32_t MenuItem::Count() const {
    RequireMainThread();
    return static_cast<int32_t>(entries_.size());
}

Ref<MenuItem> MenuItem::Item(int32_t index) const {
    RequireMainThread();
    if (index < 0 || index >= Count()) return Nil;
    return entries_[index];
}

QAction* MenuItem::QtAction() const {
    RequireMainThread();
    return action_;
}

bool MenuItem::Action() { return EditingItemAct(name_.ToUTF8()); }

void MenuItem::UpdateEnabled() {
    RequireMainThread();
    for (const Ref<MenuItem>& entry : entries_) {
        const std::string name = entry->Name().ToUTF8();
        const bool enabled = !entry->autoEnable_ ? entry->enabled_ : !IsEditingItem(name) || EditingItemCanAct(name);
        entry->action_->setEnabled(enabled);
    }
}

void MenuItem::Chosen() {
    if (Ref<Application> app = getAppObject()) app->MenuItemChosen(*this);
    else Action();
}

void MenuItem::MenuOpening() {
    UpdateEnabled();
    // Code may change what the framework decided, as the menu opens.
    if (Ref<Application> app = getAppObject()) app->RaiseEvent("EnableMenuItems");
}

// MenuBar

MenuBar::~MenuBar() {
    for (const QPointer<QMenuBar>& widget : widgets_)
        if (widget && !widget->parentWidget()) delete widget.data();  // the global bar is the bar's own
}

void MenuBar::Append(const Ref<MenuItem>& item) {
    MenuItem::Append(item);
    for (const QPointer<QMenuBar>& widget : widgets_)
        if (widget) widget->addAction(item->QtAction());
}

QMenuBar* MenuBar::NewWidget(QWidget* parent) {
    RequireMainThread();
    WatchFocusForEditing();
    auto* widget = new QMenuBar(parent);
    widget->setNativeMenuBar(parent == nullptr);
    for (int32_t i = 0; i < Count(); ++i) widget->addAction(Item(i)->QtAction());
    widgets_.erase(std::remove_if(widgets_.begin(), widgets_.end(), [](const QPointer<QMenuBar>& w) { return !w; }),
                   widgets_.end());
    widgets_.push_back(widget);
    return widget;
}

// QuitMenuItem

QuitMenuItem::QuitMenuItem() { QtAction()->setMenuRole(QAction::QuitRole); }

bool QuitMenuItem::Action() {
    QuitApplication(0);
    return true;
}

// Class records

namespace {
void AddMenuItemProperties(ClassRecord* r) {
    using M = MenuItem;
    AddProperties(r, {
        Property("Name", kTypeString, &M::Name, &M::SetName),
        Property("Text", kTypeString, &M::Text, &M::SetText),
        Property("KeyboardShortcut", kTypeString, &M::KeyboardShortcut, &M::SetKeyboardShortcut),
        Property("AutoEnable", kTypeBoolean, &M::AutoEnable, &M::SetAutoEnable),
        Property("Enabled", kTypeBoolean, &M::Enabled, &M::SetEnabled),
        Property("Visible", kTypeBoolean, &M::Visible, &M::SetVisible),
    });
}

template <class T>
const ClassRecord* NewMenuClass(const char* name, const ClassRecord* super, std::vector<MemberRecord> own = {}) {
    ClassRecord* r = RuntimeNewClass(name, super);
    r->factory = [] { return static_cast<Object*>(new T()); };
    RuntimeNewVtable(r, std::move(own));
    if (!super) AddMenuItemProperties(r);
    r->attributes = RuntimeAllocateAttributeTable({{"__Scope", "Public"}});
    return r;
}
}  // namespace

const ClassRecord* GetMenuItemClass() {
    using M = MenuItem;
    static const ClassRecord* record = NewMenuClass<M>("MenuItem", nullptr, {
        {"Constructor", "%%", MakeInvoker(&M::Constructor), true, {}},
        {"Append", "%%o<MenuItem>", MakeInvoker(&M::Append), true, {}},
        {"Child", "%o<MenuItem>%s", MakeInvoker(&M::Child), true, {}},
        {"Count", "%i4%", MakeInvoker(&M::Count), true, {}},
        {"Item", "%o<MenuItem>%i4", MakeInvoker(&M::Item), true, {}},
        {"Action", "%b%", MakeInvoker(&M::Action), true, {}},
    });
    return record;
}

const ClassRecord* GetMenuBarClass() {
    static const ClassRecord* record = NewMenuClass<MenuBar>("MenuBar", GetMenuItemClass());
    return record;
}

const ClassRecord* GetQuitMenuItemClass() {
    static const ClassRecord* record = NewMenuClass<QuitMenuItem>("QuitMenuItem", GetMenuItemClass());
    return record;
}

bool PlatformHasGlobalMenuBar() {
#ifdef Q_OS_MACOS
    return true;
#else
    return false;
#endif
}

}  // namespace fw
