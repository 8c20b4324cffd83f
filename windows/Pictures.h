#pragma once
// The four pictures of the program, read from the application's "Resources"
// folder the first time a window asks for each, and kept for the rest of the
// run. A picture that cannot be loaded is Nil, reported nowhere, and tried
// again at the next call.
#include "framework/FolderItem.h"
#include "framework/Picture.h"

// The "Resources" folder beside the folder of the application's executable;
// Nil when there is no entry of that name.
fw::Ref<fw::FolderItem> GetResourcesFolder();

fw::Ref<fw::Picture> OrdnerPicture();        // "Ordner.PNG", white transparent
fw::Ref<fw::Picture> AboutPicture();         // "About.png"
fw::Ref<fw::Picture> FragezeichenPicture();  // "Fragezeichen.PNG", white transparent
fw::Ref<fw::Picture> BriefmarkePicture();    // "Briefmarke.png"

// Tests only: empties the four caches, as at process start.
void ForgetPicturesForTests();
