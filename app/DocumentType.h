#pragma once
// The document type "text/eml", registered with the framework at start-up.
#include "framework/FileType.h"

// Nil until the start-up makes it, and again after the exit releases it.
extern fw::Ref<fw::FileType> DocumentFileType;

// Creates the type, fills it in and registers it.
void CreateDocumentFileType();
// The module's initialiser: nothing to do.
void DocumentTypeModuleInit();
// Sets DocumentFileType to Nil and lets go of the type it held.
void DocumentTypeModuleRelease();
