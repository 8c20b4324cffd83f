// The class record of Application, its virtual operations, its events and
// its menu handlers, and the framework's side of a run: the framework's
// initialisation and the application's "Open" and "Close".
#include <QApplication>
#include <QFileOpenEvent>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/Application.h"
#include "framework/CallTrace.h"
#include "framework/EventDispatch.h"
#include "framework/Menu.h"
#include "framework/Plugins.h"
#include "framework/UnhandledException.h"
#include "framework/Window.h"

namespace fw {

namespace {

bool g_frameworkInitialized = false;
bool g_openRaised = false;

// Raises an application event from the event loop, if the application object is there.
void RaiseFromLoop(const std::string& event, const std::vector<Value>& args = {}) {
    DeliverEvent([&] {
        if (Ref<Application> app = getAppObject()) app->RaiseEvent(event, args);
    });
}

// The application's share of the platform's events: activation and files
// opened with the application.
class ApplicationEventFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != QCoreApplication::instance()) return false;
        switch (event->type()) {
        case QEvent::ApplicationActivate:
            RaiseFromLoop("Activate");
            break;
        case QEvent::ApplicationDeactivate:
            RaiseFromLoop("Deactivate");
            break;
        case QEvent::FileOpen: {
            const std::string path = static_cast<QFileOpenEvent*>(event)->file().toStdString();
            DeliverEvent([&] {
                if (Ref<Application> app = getAppObject()) app->OpenDocument(FolderItemFromPath(path));
            });
            return true;
        }
        default:
            break;
        }
        return false;
    }
};

void WatchApplicationEvents() {
    static QPointer<ApplicationEventFilter> filter;
    if (filter || !QCoreApplication::instance()) return;
    filter = new ApplicationEventFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

}  // namespace

const ClassRecord* GetApplicationClass() {
    static const ClassRecord* record = [] {
        using A = Application;
        ClassRecord* r = RuntimeNewClass("Application", nullptr);
        r->factory = [] { return static_cast<Object*>(new Application()); };
        RuntimeNewVtable(r, {
            {"AddTrayItem", "%%o<TrayItem>", MakeInvoker(&A::AddTrayItem), true, {}},
            {"DoEvents", "%%i4", MakeInvoker(&A::DoEvents), true, {}},
            {"NewDocument", "%%", MakeInvoker(&A::NewDocument), true, {}},
            {"OpenDocument", "%%o<FolderItem>", MakeInvoker(&A::OpenDocument), true, {}},
            {"RemoveTrayItem", "%%o<TrayItem>", MakeInvoker(&A::RemoveTrayItem), true, {}},
            {"SleepCurrentThread", "%%i4", MakeInvoker(&A::SleepCurrentThread), true, {}},
            {"YieldToNextThread", "%%", MakeInvoker(&A::YieldToNextThread), true, {}},
            {"_AddMenuHandler", "%%so<EntryPoint>", MakeInvoker(&A::_AddMenuHandler), true, {}},
            {"_AddPollableObject", "%%o<Object>", MakeInvoker(&A::_AddPollableObject), true, {}},
            {"_DoSingleEvent", "%%", MakeInvoker(&A::_DoSingleEvent), true, {}},
            {"_RemovePollableObject", "%%o<Object>", MakeInvoker(&A::_RemovePollableObject), true, {}},
            {"__DependencyList", "%s%", MakeInvoker(&A::__DependencyList), true, {}},
        });
        r->attributes = RuntimeAllocateAttributeTable({{"__Scope", "Public"}});
        return r;
    }();
    return record;
}

Application::~Application() = default;

void Application::AddTrayItem(Ref<Object>) { throw RuntimeException("there is no system tray here"); }
void Application::RemoveTrayItem(Ref<Object>) { throw RuntimeException("there is no system tray here"); }

void Application::DoEvents(int32_t milliseconds) {
    RequireMainThread();
    QCoreApplication::processEvents(QEventLoop::AllEvents, std::max(milliseconds, 0));
}

void Application::NewDocument() {
    RequireMainThread();
    TraceCall("Application.NewDocument");
    RaiseEvent("NewDocument");
}

void Application::OpenDocument(Ref<FolderItem> item) {
    RequireMainThread();
    TraceCall("Application.OpenDocument", item ? item->AbsolutePath().ToUTF8() : std::string());
    RaiseEvent("OpenDocument", {Ref<Object>(item)});
}

void Application::SleepCurrentThread(int32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(milliseconds, 0)));
}

void Application::YieldToNextThread() { std::this_thread::yield(); }

void Application::_AddMenuHandler(String itemName, Ref<EntryPoint> handler) {
    RequireMainThread();
    TraceCall("Application._AddMenuHandler", itemName.ToUTF8());
    if (handler.IsNil()) throw NilObjectException("no menu handler for " + itemName.ToUTF8());
    menuHandlers_[itemName.ToUTF8()] = handler;
}

void Application::_AddPollableObject(Ref<Object> object) {
    RequireMainThread();
    if (object.IsNil()) throw NilObjectException("no pollable object");
    pollables_.push_back(object);
}

void Application::_RemovePollableObject(Ref<Object> object) {
    RequireMainThread();
    pollables_.erase(std::remove_if(pollables_.begin(), pollables_.end(),
                                    [&](const WeakRef<Object>& p) { return p.Expired() || p.Lock() == object; }),
                     pollables_.end());
}

void Application::_DoSingleEvent() {
    RequireMainThread();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    for (const WeakRef<Object>& weak : std::vector<WeakRef<Object>>(pollables_)) {
        Ref<Object> pollable = weak.Lock();
        if (pollable && pollable->Class() && pollable->Class()->FindMember("Poll")) RuntimeInvoke(*pollable, "Poll");
    }
}

String Application::__DependencyList() {
    std::string list;
    for (const std::string& library : LoadedPlugins()) list += library + "\n";
    return String(list);
}

void Application::SetMenuBar(const Ref<fw::MenuBar>& bar) {
    RequireMainThread();
    TraceCall("Application.MenuBar.Set", bar && bar->Class() ? bar->Class()->name : std::string());
    menuBar_ = bar;
    if (PlatformHasGlobalMenuBar()) {
        if (bar) bar->NewWidget(nullptr);
        return;
    }
    for (const Ref<Window>& window : std::vector<Ref<Window>>(OpenWindows()))
        if (window->ShowsMenuBar()) window->AttachMenuBar(bar);
}

bool Application::RaiseEvent(const std::string& event, const std::vector<Value>& args, Value* result) {
    RequireMainThread();
    TraceCall("Application.RaiseEvent", event);
    return RuntimeRaiseEvent(*this, event, args, result);
}

void Application::MenuItemChosen(MenuItem& item) {
    RequireMainThread();
    auto handler = menuHandlers_.find(item.Name().ToUTF8());
    if (handler != menuHandlers_.end()) {
        const Value claimed = handler->second->Call();
        if (std::holds_alternative<bool>(claimed) && std::get<bool>(claimed)) return;
    }
    item.Action();
}

void RunFrameworkInitialization(const Ref<EntryPoint>& callback) {
    RequireMainThread();
    TraceCall("RunFrameworkInitialization");
    if (callback.IsNil()) throw NilObjectException("no initialisation callback");
    callback->Call();
    WatchApplicationEvents();
    g_frameworkInitialized = true;
}

void ApplicationLoopStarting() {
    if (!g_frameworkInitialized || g_openRaised) return;
    g_openRaised = true;
    // Raised from the loop itself, once it runs.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { RaiseFromLoop("Open"); });
}

void ApplicationLoopEnded() {
    if (g_frameworkInitialized) RaiseFromLoop("Close");
}

void ApplicationRunEnded() {
    g_frameworkInitialized = false;
    g_openRaised = false;
    RuntimeSetExceptionHelper(Nil);
}

}  // namespace fw
