#pragma once
// The About box: a window without title bar or buttons whose background is
// "About.png", with the version along its bottom edge. A mouse press closes
// it, and so does its close timer 3000 milliseconds after it was built,
// unless the caller switches the timer off.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Timer.h"
#include "framework/Window.h"

class AboutWindow : public fw::Window {
public:
    // The close timer's class: a Timer tied to its window. The tie is the
    // control's weak reference to its window, so the timer never keeps its
    // window alive.
    class _wrapper_CloseTimer : public fw::Timer {
    public:
        void _SetWindow(fw::Ref<fw::Window> window) { SetOwnerWindow(window); }
        fw::Ref<fw::Window> Window() { return OwnerWindow(); }
        int32_t _Index() { return Index(); }
        void _SetIndex(int32_t index) { SetIndex(index); }
        // Nothing of its own beyond the timer's construction.
        void Constructor() override { fw::Timer::Constructor(); }

        static void RegisterClass();
    };

    // Window construction hooks.
    void Layout();
    void CreateControls();
    void _CreateControls0();

    // Control accessors: each looks its control up by name.
    fw::Ref<fw::Timer> CloseTimer();
    fw::Ref<fw::Label> StaticText3();

    // Event handlers.
    void CloseTimer_Action(fw::Ref<fw::Timer> sender);
    void StaticText3_Open(fw::Ref<fw::Label> sender);
    bool Event_MouseDown(int32_t x, int32_t y);

    static void RegisterClass();
};

// The shared About window: the open one, or a new one, built and open.
fw::Ref<AboutWindow> GetAboutWindowInstance();
const fw::ClassRecord* GetAboutWindowClass();
const fw::ClassRecord* GetCloseTimerClass();
