#pragma once
// The program's entry and exit, step by step.
#include <cstdint>

#include "framework/Object.h"
#include "framework/Runtime.h"

// The process entry: sets the runtime up, registers the classes, runs the
// application and shuts down. Its result is the process's exit code.
int32_t ApplicationMain();

// The framework's classes, then the program's own, and the module initialisers.
void InitializeClassesAndModules();
// The guarded set-up and the event loop.
void RunApplication();
// External classes, plug-ins, the document type, the application object and
// the About handler, in this order; then, once the application object exists,
// the menu bar.
void InitializeProgramObjects();
void LoadFrameworkPlugins();
void CreateAppObject();
void BindAboutMenuHandler();
void InstallAppMenuBar();
// The module releases at exit: the document type, then the menu bar.
void ReleaseModuleGlobals();

// Runs the framework's routine with its argument: the RuntimeException it
// raised, as an object, or Nil; other exceptions pass on.
fw::Ref<fw::Object> ExceptionHelperCallback(fw::Ptr routine, fw::Ptr argument);
// The framework's initialisation asks for a routine of the program: there is nothing to do.
void EmptyInitCallback();
