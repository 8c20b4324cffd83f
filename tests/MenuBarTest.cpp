// The menu bar: its items as built, its one shared instance, its class
// record, and the framework's menus on Qt (shortcuts, the editing items on
// the focused field, menu handlers bound by name).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "CallRecorder.h"
#include "ProbeWindow.h"
#include "app/AppMenue.h"
#include "framework/Application.h"
#include "framework/Menu.h"

using namespace fw;

namespace {

constexpr const char* kNotSet = nullptr;

struct ExpectedItem {
    const char* name;
    const char* className;
    const char* text;
    const char* shortcut;  // kNotSet: never assigned
    const char* qtShortcut;
};

const ExpectedItem kFileMenu[] = {
    {"FileQuit", "QuitMenuItem", "&Quit", "", ""},
};
const ExpectedItem kEditMenu[] = {
    {"EditUndo", "MenuItem", "&Undo", "Cmd+Z", "Ctrl+Z"},
    {"EditSeparator1", "MenuItem", "-", kNotSet, ""},
    {"EditCut", "MenuItem", "Cu&t", "Cmd+X", "Ctrl+X"},
    {"EditCopy", "MenuItem", "&Copy", "Cmd+C", "Ctrl+C"},
    {"EditPaste", "MenuItem", "&Paste", "Cmd+V", "Ctrl+V"},
    {"EditClear", "MenuItem", "&Delete", "", ""},
    {"EditSeparator2", "MenuItem", "-", kNotSet, ""},
    {"EditSelectAll", "MenuItem", "Select &All", "Cmd+A", "Ctrl+A"},
};

// A bar built anew, with the calls its building made.
Ref<AppMenue> FreshBar(CallRecorder& recorder) {
    AppMenueModuleRelease();
    recorder.calls.clear();
    return GetAppMenueInstance();
}

void ExpectItem(const Ref<MenuItem>& item, const ExpectedItem& e, const CallRecorder& recorder) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Name(), String(e.name));
    EXPECT_EQ(item->Class()->name, e.className);
    EXPECT_EQ(item->Text(), String(e.text));
    EXPECT_TRUE(item->AutoEnable());
    EXPECT_TRUE(item->Visible());
    const auto assigned = recorder.Starting(std::string("MenuItem.KeyboardShortcut.Set ") + e.name + "=");
    if (e.shortcut == kNotSet) {
        EXPECT_TRUE(assigned.empty()) << "a separator's shortcut is never assigned";
    } else {
        EXPECT_EQ(assigned, std::vector<std::string>{std::string("MenuItem.KeyboardShortcut.Set ") + e.name + "=" +
                                                     e.shortcut});
    }
    EXPECT_EQ(item->QtAction()->isSeparator(), std::string(e.text) == "-");
    EXPECT_EQ(item->QtAction()->shortcut(), QKeySequence(e.qtShortcut));
}

template <size_t N>
void ExpectMenu(const Ref<MenuItem>& menu, const char* name, const char* text, const ExpectedItem (&items)[N],
                const CallRecorder& recorder) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->Name(), String(name));
    EXPECT_EQ(menu->Text(), String(text));
    EXPECT_EQ(menu->Class()->name, "MenuItem");
    EXPECT_TRUE(menu->AutoEnable() && menu->Visible());
    EXPECT_TRUE(recorder.Saw(std::string("MenuItem.KeyboardShortcut.Set ") + name + "="));
    ASSERT_EQ(menu->Count(), int32_t(N));
    for (size_t i = 0; i < N; ++i) ExpectItem(menu->Item(int32_t(i)), items[i], recorder);
    EXPECT_EQ(menu->QtAction()->menu()->actions().size(), qsizetype(N));
}

bool HasItemNamed(const Ref<MenuItem>& menu, const String& name) {
    for (int32_t i = 0; i < menu->Count(); ++i)
        if (menu->Item(i)->Name() == name || HasItemNamed(menu->Item(i), name)) return true;
    return false;
}

}  // namespace

TEST(AppMenue, HoldsAFileAndAnEditMenuWithTheirEntriesInOrder) {
    CallRecorder recorder;
    Ref<AppMenue> bar = FreshBar(recorder);
    ASSERT_EQ(bar->Count(), 2);
    ExpectMenu(bar->Item(0), "FileMenu", "&File", kFileMenu, recorder);
    ExpectMenu(bar->Item(1), "EditMenu", "&Edit", kEditMenu, recorder);
    EXPECT_FALSE(HasItemNamed(bar, "AboutMenue")) << "the About handler has no item in this bar";
    // Every entry is attached to the top menu looked up anew on the bar.
    EXPECT_EQ(recorder.Starting("MenuItem.Child").size(), 9u);
    AppMenueModuleRelease();
}

TEST(AppMenue, IsOneSharedInstanceMadeOnFirstUseAndReleasedAtExit) {
    CallRecorder recorder;
    AppMenueModuleRelease();
    recorder.calls.clear();
    AppMenueModuleRelease();  // an empty slot: nothing to release
    EXPECT_TRUE(recorder.Starting("RuntimeDestroyObject").empty());
    Ref<AppMenue> first = GetAppMenueInstance();
    EXPECT_EQ(GetAppMenueInstance(), first);
    EXPECT_EQ(recorder.Starting("RuntimeNewObject AppMenue.AppMenue").size(), 1u) << "built more than once";
    WeakRef<AppMenue> weak(first);
    first.Release();
    AppMenueModuleRelease();
    EXPECT_TRUE(weak.Expired());
    EXPECT_NE(GetAppMenueInstance(), Nil);
    AppMenueModuleRelease();
}

TEST(AppMenue, AFailingBuildPassesOutAndLeavesTheSlotEmpty) {
    CallRecorder recorder;
    AppMenueModuleRelease();
    recorder.onCall = [](const std::string& operation, const std::string& detail) {
        if (operation == "MenuItem.Append" && detail == "EditMenu<EditCut") throw NilObjectException("no menu");
    };
    EXPECT_THROW(GetAppMenueInstance(), NilObjectException);
    recorder.onCall = nullptr;
    recorder.calls.clear();
    Ref<AppMenue> bar = GetAppMenueInstance();
    EXPECT_EQ(recorder.Starting("RuntimeNewObject AppMenue.AppMenue").size(), 1u) << "the failed bar was kept";
    EXPECT_EQ(bar->Child("EditMenu")->Count(), 8);
    // A top menu that is not there is Nil, and using it raises.
    EXPECT_EQ(bar->Child("ViewMenu"), Nil);
    EXPECT_THROW(bar->Child("ViewMenu")->Append(bar->Child("FileMenu")), NilObjectException);
    AppMenueModuleRelease();
}

TEST(AppMenue, ClassRecordPutsTheConstructorInTheInheritedSlot) {
    const ClassRecord* record = GetAppMenueClass();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->name, "AppMenue.AppMenue");
    EXPECT_EQ(record->super, GetMenuBarClass());
    EXPECT_EQ(record->super->super, GetMenuItemClass());
    EXPECT_EQ(AttributeValue(record->attributes, "__Scope"), "Public");
    // MenuItem's operations in their order, the constructor among them, then the own two.
    const std::vector<MemberRecord>& inherited = GetMenuItemClass()->vtable;
    ASSERT_EQ(record->vtable.size(), inherited.size() + 2);
    for (size_t i = 0; i < inherited.size(); ++i) EXPECT_EQ(record->vtable[i].name, inherited[i].name);
    EXPECT_EQ(record->vtable[inherited.size()].name, "Untitled0");
    EXPECT_EQ(record->vtable[inherited.size() + 1].name, "Untitled1");
    std::vector<std::string> described;
    for (const MemberRecord* m : record->DescribedMembers()) {
        described.push_back(m->name);
        EXPECT_EQ(m->signature, "%%") << m->name;
        EXPECT_EQ(AttributeValue(m->attributes, "__Scope"), "Public") << m->name;
    }
    EXPECT_EQ(described, (std::vector<std::string>{"Untitled0", "Untitled1", "Constructor"}));
    // The slot runs the bar's own constructor: it builds the menus.
    Ref<Object> bar = RuntimeNewObject(record);
    RuntimeInvoke(*bar, "Constructor");
    EXPECT_EQ(DynamicCast<MenuItem>(bar)->Count(), 2);
    AppMenue::RegisterClass();
    EXPECT_EQ(GetAppMenueClass(), record);
}

TEST(MenuItem, ShortcutsNameThePlatformsCommandKey) {
    Ref<MenuItem> item = DynamicCast<MenuItem>(RuntimeNewObject(GetMenuItemClass()));
    const std::pair<const char*, QKeySequence> cases[] = {
        {"Cmd+Z", QKeySequence(Qt::CTRL | Qt::Key_Z)},  // Qt's Ctrl is the Command key on the Mac
        {"Cmd+Shift+A", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
        {"Option+F4", QKeySequence(Qt::ALT | Qt::Key_F4)},
        {"", QKeySequence()},
    };
    for (const auto& [text, keys] : cases) {
        item->SetKeyboardShortcut(text);
        EXPECT_EQ(item->QtAction()->shortcut(), keys) << text;
        EXPECT_EQ(item->KeyboardShortcut(), String(text));
    }
    EXPECT_THROW(item->SetKeyboardShortcut("Cmd+Nothing"), RuntimeException);
    EXPECT_EQ(item->KeyboardShortcut(), String("")) << "a refused shortcut changed the item";
}

// The editing items act on the focused field: a read-only path field allows
// Copy and Select All; an editable one all that its text and selection allow.
TEST(MenuItem, EditingItemsAreEnabledForWhatTheFocusedFieldAllows) {
    Ref<AppMenue> bar = GetAppMenueInstance();
    Ref<MenuItem> edit = bar->Child("EditMenu");
    Ref<ProbeWindow> window = ProbeWindow::Open();
    Ref<TextField> path = window->Add<TextField>("TextField", "Path");
    Ref<TextField> editable = window->Add<TextField>("TextField", "Editable");
    editable->SetTop(40);
    path->SetText("/home/user/mail/a.eml");
    path->SetReadOnly(true);
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    QApplication::clipboard()->setText("pasted");

    auto* pathWidget = static_cast<QLineEdit*>(path->Widget());
    auto* editableWidget = static_cast<QLineEdit*>(editable->Widget());
    const struct {
        const char* what;
        QLineEdit* field;
        std::function<void(QLineEdit&)> prepare;
        std::vector<std::string> enabled;
    } cases[] = {
        {"read-only, nothing selected", pathWidget, [](QLineEdit& f) { f.deselect(); }, {"EditSelectAll"}},
        {"read-only, all selected", pathWidget, [](QLineEdit& f) { f.selectAll(); }, {"EditCopy", "EditSelectAll"}},
        {"editable and empty", editableWidget, [](QLineEdit&) {}, {"EditPaste"}},
        {"editable, typed and selected", editableWidget,
         [](QLineEdit& f) {
             QTest::keyClicks(&f, "abc");
             f.selectAll();
         },
         {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.field->setFocus();
        c.prepare(*c.field);
        edit->UpdateEnabled();
        std::vector<std::string> enabled;
        for (int32_t i = 0; i < edit->Count(); ++i)
            if (!edit->Item(i)->IsSeparator() && edit->Item(i)->Enabled()) enabled.push_back(edit->Item(i)->Name().ToUTF8());
        EXPECT_EQ(enabled, c.enabled);
    }

    // Choosing them acts on the focused field; a disabled one does nothing.
    editableWidget->setFocus();
    edit->Child("EditCut")->QtAction()->trigger();
    EXPECT_EQ(editableWidget->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    edit->Child("EditPaste")->QtAction()->trigger();
    edit->Child("EditPaste")->QtAction()->trigger();
    EXPECT_EQ(editableWidget->text(), "abcabc");
    pathWidget->setFocus();
    edit->Child("EditPaste")->Action();
    EXPECT_EQ(pathWidget->text(), "/home/user/mail/a.eml") << "pasted into a read-only field";
    edit->Child("EditSelectAll")->QtAction()->trigger();
    edit->Child("EditCopy")->QtAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "/home/user/mail/a.eml");
    window->Close();
    AppMenueModuleRelease();
}

// Escape closing one of the bar's menus, or Alt and a mnemonic, puts the bar
// into keyboard navigation, which takes the focus: the items still act on the
// field the user was in.
TEST(MenuItem, EditingItemsKeepTheirFieldWhileTheBarHasTheFocus) {
    Ref<AppMenue> bar = GetAppMenueInstance();
    Ref<MenuItem> edit = bar->Child("EditMenu");
    Ref<ProbeWindow> window = ProbeWindow::Open();
    QMenuBar* barWidget = bar->NewWidget(window->Widget());
    barWidget->show();
    Ref<TextField> path = window->Add<TextField>("TextField", "Path");
    path->SetTop(40);
    path->SetText("/home/user/mail/b.eml");
    path->SetReadOnly(true);
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    auto* pathWidget = static_cast<QLineEdit*>(path->Widget());
    pathWidget->setFocus();
    pathWidget->deselect();
    barWidget->setFocusPolicy(Qt::StrongFocus);  // what the bar does as its keyboard navigation begins
    barWidget->setFocus(Qt::MenuBarFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), barWidget);

    edit->UpdateEnabled();
    EXPECT_TRUE(edit->Child("EditSelectAll")->Enabled());
    EXPECT_FALSE(edit->Child("EditCopy")->Enabled()) << "nothing is selected yet";
    edit->Child("EditSelectAll")->QtAction()->trigger();
    edit->UpdateEnabled();
    EXPECT_TRUE(edit->Child("EditCopy")->Enabled());
    EXPECT_FALSE(edit->Child("EditPaste")->Enabled()) << "the field is read-only";
    QApplication::clipboard()->clear();
    edit->Child("EditCopy")->QtAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "/home/user/mail/b.eml");
    window->Close();
    AppMenueModuleRelease();
}

TEST(MenuItem, AHandlerBoundToTheItemsNameTakesTheChoiceFirst) {
    Ref<Application> app = DynamicCast<Application>(RuntimeNewObject(GetApplicationClass()));
    RuntimeRegisterAppObject(app);
    Ref<MenuItem> item = DynamicCast<MenuItem>(RuntimeNewObject(GetMenuItemClass()));
    item->SetName("EditSelectAll");
    Ref<ProbeWindow> window = ProbeWindow::Open();
    Ref<TextField> field = window->Add<TextField>("TextField", "Field");
    field->SetText("text");
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->Widget()));
    field->Widget()->setFocus();
    auto* shown = static_cast<QLineEdit*>(field->Widget());
    for (bool claims : {true, false}) {
        SCOPED_TRACE(claims ? "the handler claims the choice" : "the handler leaves it to the item");
        int called = 0;
        shown->deselect();
        app->_AddMenuHandler("EditSelectAll", New<EntryPoint>([&](const std::vector<Value>&) -> Value {
                                 ++called;
                                 return claims;
                             }));
        item->QtAction()->trigger();
        EXPECT_EQ(called, 1);
        EXPECT_EQ(shown->hasSelectedText(), !claims);
    }
    window->Close();
    RuntimeRegisterAppObject(Nil);
}
