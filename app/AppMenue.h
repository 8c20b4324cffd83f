#pragma once
// The menu bar: a File menu with the quit item and an Edit menu with the
// standard editing items. One shared instance, made on first use.
#include "framework/Menu.h"

class AppMenue : public fw::MenuBar {
public:
    // Builds the File menu, then the Edit menu.
    void Constructor() override;
    void Untitled0();  // the File menu
    void Untitled1();  // the Edit menu

    static void RegisterClass();
};

// The shared bar, built on first use.
fw::Ref<AppMenue> GetAppMenueInstance();
const fw::ClassRecord* GetAppMenueClass();
// The module's initialiser: no bar exists after it.
void AppMenueModuleInit();
// Empties the slot and lets go of the bar; with an empty slot, nothing.
void AppMenueModuleRelease();
