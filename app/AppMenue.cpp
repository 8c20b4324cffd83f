// The menu bar's items, its class record and its shared instance.
#include "app/AppMenue.h"

using namespace fw;

namespace {

using ClassGetter = const ClassRecord* (*)();

constexpr const char* kTheBar = nullptr;       // attached to the bar itself
constexpr const char* kShortcutNotSet = nullptr;  // the shortcut is never assigned

// One item, in the order the items are built and attached.
struct MenuRow {
    const char* attachedTo;  // the top menu's name, or kTheBar
    const char* name;
    ClassGetter itemClass;
    const char* text;      // "&" before the mnemonic; "-" a separator
    const char* shortcut;  // "" sets it to empty
};

const MenuRow kFileMenu[] = {
    {kTheBar, "FileMenu", GetMenuItemClass, "&File", ""},
    {"FileMenu", "FileQuit", GetQuitMenuItemClass, "&Quit", ""},
};

const MenuRow kEditMenu[] = {
    {kTheBar, "EditMenu", GetMenuItemClass, "&Edit", ""},
    {"EditMenu", "EditUndo", GetMenuItemClass, "&Undo", "Cmd+Z"},
    {"EditMenu", "EditSeparator1", GetMenuItemClass, "-", kShortcutNotSet},
    {"EditMenu", "EditCut", GetMenuItemClass, "Cu&t", "Cmd+X"},
    {"EditMenu", "EditCopy", GetMenuItemClass, "&Copy", "Cmd+C"},
    {"EditMenu", "EditPaste", GetMenuItemClass, "&Paste", "Cmd+V"},
    {"EditMenu", "EditClear", GetMenuItemClass, "&Delete", ""},
    {"EditMenu", "EditSeparator2", GetMenuItemClass, "-", kShortcutNotSet},
    {"EditMenu", "EditSelectAll", GetMenuItemClass, "Select &All", "Cmd+A"},
};

template <size_t N>
void Build(MenuBar& bar, const MenuRow (&rows)[N]) {
    for (const MenuRow& row : rows) {
        Ref<MenuItem> item = RuntimeCheckCastTo<MenuItem>(RuntimeNewObject(row.itemClass()), GetMenuItemClass());
        item->MenuItem::Constructor();
        item->SetName(row.name);
        item->SetAutoEnable(true);
        item->SetText(row.text);
        item->SetVisible(true);
        if (row.shortcut != kShortcutNotSet) item->SetKeyboardShortcut(row.shortcut);
        // A top menu is looked up anew for every entry; a missing one raises NilObjectException.
        if (row.attachedTo == kTheBar) bar.Append(item);
        else bar.Child(row.attachedTo)->Append(item);
    }
}

Ref<AppMenue>& Slot() {
    static Ref<AppMenue> instance;
    return instance;
}

}  // namespace

void AppMenue::Constructor() {
    Untitled0();
    Untitled1();
}

void AppMenue::Untitled0() { Build(*this, kFileMenu); }
void AppMenue::Untitled1() { Build(*this, kEditMenu); }

void AppMenue::RegisterClass() {
    if (RuntimeFindClass("AppMenue.AppMenue")) return;
    ClassRecord* record = RuntimeNewClass("AppMenue.AppMenue", GetMenuBarClass());
    record->factory = [] { return static_cast<Object*>(new AppMenue()); };
    RuntimeNewVtable(record, {
        RuntimeDescribeMember("Untitled0", "%%", MakeInvoker(&AppMenue::Untitled0)),
        RuntimeDescribeMember("Untitled1", "%%", MakeInvoker(&AppMenue::Untitled1)),
    });
    // The constructor takes the slot of the parameterless MenuItem.Constructor.
    RuntimeOverrideSlot(record, RuntimeDescribeMember("Constructor", "%%", MakeInvoker(&AppMenue::Constructor)));
    record->described = {"Untitled0", "Untitled1", "Constructor"};
    record->attributes = RuntimeScopeAttributes("Public");
}

const ClassRecord* GetAppMenueClass() {
    AppMenue::RegisterClass();
    return RuntimeFindClass("AppMenue.AppMenue");
}

Ref<AppMenue> GetAppMenueInstance() {
    if (Slot()) return Slot();
    Ref<AppMenue> bar = RuntimeCheckCastTo<AppMenue>(RuntimeNewObject(GetAppMenueClass()), GetAppMenueClass());
    bar->Constructor();  // a failure leaves the slot empty
    Slot() = bar;
    return bar;
}

void AppMenueModuleInit() {}

void AppMenueModuleRelease() {
    Ref<AppMenue> bar = Slot();
    Slot() = Nil;
    bar.Release();
}
