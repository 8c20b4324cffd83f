#pragma once
// Menus on Qt actions. A MenuItem is one entry; an item that has entries of
// its own is a menu. A MenuBar holds the top menus and is shown as the
// platform's global menu bar, or as a bar inside each document window where
// the platform has none. Choosing an item goes to the application object,
// which calls the menu handler bound to the item's name, if any, and otherwise
// the item's own action. Every operation belongs to the main thread.
#include <QPointer>
#include <cstdint>
#include <vector>

#include "framework/MainThread.h"
#include "framework/Object.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace fw {

class MenuItem : public Object {
public:
    MenuItem();
    ~MenuItem() override;

    // The parameterless constructor: an empty item, attached nowhere.
    virtual void Constructor();

    String Name() const { RequireMainThread(); return name_; }
    void SetName(const String& name);
    // "&" stands before the mnemonic letter; "-" makes the item a separator line.
    String Text() const { RequireMainThread(); return text_; }
    void SetText(const String& text);
    bool IsSeparator() const { return Text() == String("-"); }
    // A key with its modifiers, "Cmd+Z": "Cmd" is the platform's command key
    // (Control here, Command on the Mac), "Option" is Alt; "" is none.
    String KeyboardShortcut() const { RequireMainThread(); return shortcut_; }
    void SetKeyboardShortcut(const String& shortcut);
    // With AutoEnable the framework enables the item when it can act (a
    // standard editing item: when the focused field lets it); otherwise the
    // item keeps the Enabled that code gave it.
    bool AutoEnable() const { RequireMainThread(); return autoEnable_; }
    void SetAutoEnable(bool v);
    bool Enabled() const;
    void SetEnabled(bool v);
    bool Visible() const { RequireMainThread(); return visible_; }
    void SetVisible(bool v);

    // The item becomes the last entry of this one.
    virtual void Append(const Ref<MenuItem>& item);
    // The entry with that item name, or Nil.
    Ref<MenuItem> Child(const String& name) const;
    int32_t Count() const;
    Ref<MenuItem> Item(int32_t index) const;  // from 0; Nil out of range

    // What choosing the item does when no menu handler took it. A standard
    // editing item ("EditUndo", "EditCut", "EditCopy", "EditPaste",
    // "EditClear", "EditSelectAll") acts on the focused text field. True when
    // it did something.
    virtual bool Action();
    // Brings the entries' enabling up to date: the menu is about to open.
    void UpdateEnabled();

    QAction* QtAction() const;

private:
    void Chosen();
    void MenuOpening();

    QPointer<QAction> action_;
    QPointer<QMenu> menu_;  // made with the first entry
    std::vector<Ref<MenuItem>> entries_;
    String name_, text_, shortcut_;
    bool autoEnable_ = true, enabled_ = true, visible_ = true;
};

class MenuBar : public MenuItem {
public:
    ~MenuBar() override;
    void Append(const Ref<MenuItem>& item) override;
    // A bar widget that shows the top menus: inside `parent`, or the
    // platform's global bar when `parent` is null. It follows later appends.
    QMenuBar* NewWidget(QWidget* parent);

private:
    std::vector<QPointer<QMenuBar>> widgets_;
};

// The item whose action quits the application (through QuitApplication, with
// exit code 0, as the program's own quit does).
class QuitMenuItem : public MenuItem {
public:
    QuitMenuItem();
    bool Action() override;
};

const ClassRecord* GetMenuItemClass();
const ClassRecord* GetMenuBarClass();
const ClassRecord* GetQuitMenuItemClass();

// Whether the platform shows one menu bar for the whole application (the Mac).
bool PlatformHasGlobalMenuBar();

}  // namespace fw
