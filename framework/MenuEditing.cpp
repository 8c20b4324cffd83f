#include "framework/MenuEditing.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>

namespace fw {

namespace {

struct EditingItem {
    const char* name;
    bool (*canAct)(const QLineEdit& field);
    void (*act)(QLineEdit& field);
};

bool Shown(const QLineEdit& f) { return f.echoMode() == QLineEdit::Normal; }
bool ClipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

// What each item does, and when it can: read-only fields (the program's path
// fields) allow Copy and Select All only.
const EditingItem kEditingItems[] = {
    {"EditUndo", [](const QLineEdit& f) { return !f.isReadOnly() && f.isUndoAvailable(); },
     [](QLineEdit& f) { f.undo(); }},
    {"EditCut", [](const QLineEdit& f) { return !f.isReadOnly() && Shown(f) && f.hasSelectedText(); },
     [](QLineEdit& f) { f.cut(); }},
    {"EditCopy", [](const QLineEdit& f) { return Shown(f) && f.hasSelectedText(); }, [](QLineEdit& f) { f.copy(); }},
    {"EditPaste", [](const QLineEdit& f) { return !f.isReadOnly() && ClipboardHasText(); },
     [](QLineEdit& f) { f.paste(); }},
    {"EditClear", [](const QLineEdit& f) { return !f.isReadOnly() && f.hasSelectedText(); },
     [](QLineEdit& f) { f.del(); }},
    {"EditSelectAll", [](const QLineEdit& f) { return !f.text().isEmpty(); }, [](QLineEdit& f) { f.selectAll(); }},
};

const EditingItem* Find(const std::string& name) {
    for (const EditingItem& item : kEditingItems)
        if (name == item.name) return &item;
    return nullptr;
}

// The widget the user last worked in, menus aside.
QPointer<QWidget>& LastFocusOutsideMenus() {
    static QPointer<QWidget> widget;
    return widget;
}

// The text field with the focus in the active window (an open menu does not
// take it). The bar's keyboard navigation does, while it lasts (after Escape
// closes one of its menus, or Alt and a mnemonic opens one): the field the
// user was in is still the one the items act on.
QLineEdit* FocusedField() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* bar = qobject_cast<QMenuBar*>(focus)) {
        QWidget* last = LastFocusOutsideMenus();
        focus = last && last->window() == bar->window() ? last : nullptr;
    }
    if (auto* field = qobject_cast<QLineEdit*>(focus)) return field;
    QWidget* window = QApplication::activeWindow();
    return window ? qobject_cast<QLineEdit*>(window->focusWidget()) : nullptr;
}

}  // namespace

void WatchFocusForEditing() {
    static bool watching = false;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (watching || !app) return;
    watching = true;
    QObject::connect(app, &QApplication::focusChanged, app, [](QWidget*, QWidget* now) {
        if (now && !qobject_cast<QMenuBar*>(now) && !qobject_cast<QMenu*>(now)) LastFocusOutsideMenus() = now;
    });
}

bool IsEditingItem(const std::string& itemName) { return Find(itemName) != nullptr; }

bool EditingItemCanAct(const std::string& itemName) {
    const EditingItem* item = Find(itemName);
    const QLineEdit* field = FocusedField();
    return item && field && field->isEnabled() && item->canAct(*field);
}

bool EditingItemAct(const std::string& itemName) {
    if (!EditingItemCanAct(itemName)) return false;
    Find(itemName)->act(*FocusedField());
    return true;
}

}  // namespace fw
