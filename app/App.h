#pragma once
// The application object: one per process, made at start-up and held by the
// framework. Of the application's events it handles "Open" alone.
#include "framework/Application.h"

class App : public fw::Application {
public:
    void Event_Open();
    // The menu handler of the item name "AboutMenue" (no item of the menu bar has it).
    bool _AboutMenue_Action();
    // Shows the main window.
    void InitializeApplication();
    void Constructor();

    static void RegisterClass();
};

// The application object as an App (Nil before it is made).
fw::Ref<App> GetAppInstance();
const fw::ClassRecord* GetAppClass();
