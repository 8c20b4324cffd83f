#pragma once
// Windows on Qt widgets. A window is built by its Constructor, which raises
// the class's "Layout" and "CreateControls" hooks and then "Open". It holds its
// controls by name. Closing destroys it: the framework drops its reference,
// and the widget goes once no handler of the window is running any more.
// A modal window blocks input to every other window until it closes. A modal
// dialog (Frame 1) is modal from the moment it is built: it comes on screen
// only when Show or ShowModal asks for it, ready, and meanwhile the windows
// opened before it take no input. A window that opens while another is open
// comes up centred over the first one, the application's main window.
// Every operation belongs to the main thread and checks that before it
// changes or reads anything.
#include <QPointer>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/Color.h"
#include "framework/MainThread.h"
#include "framework/Object.h"
#include "framework/Picture.h"
#include "framework/Runtime.h"
#include "framework/Text.h"

class QEventLoop;
class QMenuBar;

namespace fw {

class Control;
class MenuBar;

class Window : public Object {
public:
    Window();
    ~Window() override;

    // Builds the window through its class's hooks, opens it and raises "Open".
    // Only once: a second call, or one after Close, raises RuntimeException.
    void Constructor();

    void Show();
    // Blocks input to every other window, also when this one was visible
    // already, and returns when it has closed.
    void ShowModal();
    // Closes and destroys the window; every ShowModal of it returns.
    void Close();
    void Refresh(bool eraseBackground = true);
    void UpdateNow();

    bool IsOpen() const { RequireMainThread(); return open_; }
    QWidget* Widget() const;

    // Controls, held by name.
    void _AddControl(const String& name, const Ref<Control>& control);
    Ref<Object> _ControlByName(const String& name) const;
    const std::vector<Ref<Control>>& Controls() const { RequireMainThread(); return controls_; }
    // A new control of the class for this window.
    Ref<Object> __New(const ClassRecord* controlClass);

    // Raises a window event through the class's event table. False when the
    // class binds no member to it.
    bool RaiseEvent(const std::string& event, const std::vector<Value>& args = {}, Value* result = nullptr);

    // Window properties.
    String Title() const;
    void SetTitle(const String& title);
    int32_t Width() const;
    int32_t Height() const;
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    int32_t MinWidth() const { RequireMainThread(); return minWidth_; }
    int32_t MinHeight() const { RequireMainThread(); return minHeight_; }
    int32_t MaxWidth() const { RequireMainThread(); return maxWidth_; }
    int32_t MaxHeight() const { RequireMainThread(); return maxHeight_; }
    void SetMinWidth(int32_t v);
    void SetMinHeight(int32_t v);
    void SetMaxWidth(int32_t v);
    void SetMaxHeight(int32_t v);
    bool Visible() const { RequireMainThread(); return visible_; }
    void SetVisible(bool visible);
    // The picture drawn as the window's background, from its top left; Nil for none.
    Ref<Picture> Backdrop() const { RequireMainThread(); return backdrop_; }
    void SetBackdrop(const Ref<Picture>& picture);
    // The background colour, painted only when HasBackColor is true.
    bool HasBackColor() const { RequireMainThread(); return hasBackColor_; }
    void SetHasBackColor(bool v);
    Color BackColor() const { RequireMainThread(); return backColor_; }
    void SetBackColor(Color color);

    // The frame of the window and its title-bar buttons.
    int32_t Frame() const { RequireMainThread(); return frame_; }
    void SetFrame(int32_t frame);
    bool Resizeable() const { RequireMainThread(); return resizeable_; }
    void SetResizeable(bool v);
    bool CloseButton() const { RequireMainThread(); return closeButton_; }
    void SetCloseButton(bool v);
    bool MinimizeButton() const { RequireMainThread(); return minimizeButton_; }
    void SetMinimizeButton(bool v);
    bool MaximizeButton() const { RequireMainThread(); return maximizeButton_; }
    void SetMaximizeButton(bool v);

    // The application's menu bar above the content, where the platform has no
    // global one: in a document window (Frame 0) with MenuBarVisible. The
    // widget grows by the bar; the content keeps its size, and window
    // coordinates still begin at its top left (WindowMenuBar.cpp).
    bool ShowsMenuBar() const;
    void AttachMenuBar(const Ref<MenuBar>& bar);  // Nil takes it away
    // Where the content begins in the widget: the height of the bar above it.
    int32_t ContentTop() const { RequireMainThread(); return menuBarHeight_; }

    // Property codes that change nothing on this platform are kept as given.
    std::map<std::string, Value>& Codes() { RequireMainThread(); return codes_; }

    // The widget's events, forwarded to the window and delivered to its
    // handlers like every event of the loop. True when a handler claimed it;
    // for the close request, when the window took it and closed.
    bool WidgetCloseRequested();
    bool WidgetMousePressed(int x, int y);
    bool WidgetKeyPressed(const String& key, int qtKey);
    // A title bar without a close box: the window manager's close request
    // (Alt+F4, a taskbar's "Close") is refused, and only the window's own
    // ways out close it. A plain box (Frame 2) has no title bar to ask for it.
    bool RefusesCloseRequest() const;

    // A modal dialog that is built and waits for its first show.
    bool AwaitsShow() const { RequireMainThread(); return awaitsShow_; }

private:
    friend void ShowDialogsLeftUnshown();
    // A window event that a handler may claim by returning True.
    bool RaiseClaimable(const std::string& event, const std::vector<Value>& args);
    void ApplyFlags();
    void ApplySizeLimits();
    void ApplyBackColor();
    // Sets the widget's size; the controls locked to the right or bottom edge follow.
    void Resize(int32_t width, int32_t height);
    // Shows the widget, centred over the main window the first time, and
    // again later unless the user has moved it since; not once the
    // application quits.
    void ShowWidget();
    // A modal dialog waits for its show; meanwhile the windows before it take no input.
    void AwaitShow();
    void CentreOverMainWindow();
    // Closing the last window with the menu bar quits: no other way to quit is
    // left. Not for a window that failed while it was built.
    void QuitIfLastMenuBarWindow();

    QPointer<QWidget> widget_;
    QPointer<QMenuBar> menuBar_;
    int32_t menuBarHeight_ = 0;
    std::vector<Ref<Control>> controls_;
    std::map<std::string, Ref<Control>> controlsByName_;
    std::map<std::string, Value> codes_;
    Ref<Picture> backdrop_;
    std::vector<QEventLoop*> modalLoops_;  // the pending ShowModal calls, innermost last
    bool shownBefore_ = false;
    std::optional<QPoint> placedAt_;  // where it was centred
    bool constructed_ = false;  // Constructor has run (or is running)
    bool open_ = false;
    bool closed_ = false;
    bool visible_ = true;
    bool constructing_ = false;  // shown only once built
    bool failedWhileBuilt_ = false;  // its Constructor raised: its close quits nothing
    bool awaitsShow_ = false;    // a modal dialog, built and not yet shown
    int builtAtHandlerDepth_ = 0;  // while it awaits its show (EventDispatch.h)
    bool hasBackColor_ = false;
    Color backColor_ = kWhite;
    int32_t frame_ = 0;
    int32_t minWidth_ = 64, minHeight_ = 64, maxWidth_ = 32000, maxHeight_ = 32000;
    bool resizeable_ = true, closeButton_ = true, minimizeButton_ = true, maximizeButton_ = true;
};

// The open windows, front to back in the order they were opened.
const std::vector<Ref<Window>>& OpenWindows();
// Closes every open window; RuntimeExit does so while Qt and the class registry still stand.
void CloseOpenWindows();
// Where the platform has no global menu bar, the user quits from a window
// that shows the bar (its File menu, its close box). With none open, nothing
// is left to quit from: the run ends, as a failed one (exit code 1). Nothing
// while the event loop does not run or a quit is pending.
void EndRunIfNoWindowToQuitFrom();
// The open window of the class of that name, or Nil.
Ref<Window> RuntimeGetImplicitWindow(const std::string& className);
// Shows, modally, each dialog that a handler which has returned built and
// never showed: left open unseen, it would block the other windows for good.
// Not once the application quits.
void ShowDialogsLeftUnshown();

// The class record of Window, registered on first use.
const ClassRecord* GetWindowClass();
// Adds the window properties that records and code set by name (WindowProperties.cpp).
void DescribeWindowProperties(ClassRecord* windowClass);

}  // namespace fw
