#include "windows/Pictures.h"

#include "framework/Application.h"

using namespace fw;

namespace {

// One accessor's file, transparency setting and cache.
struct PictureResource {
    const char* fileName;
    bool setTransparent;
    Ref<Picture> cache;  // holds only a picture that loaded
};

PictureResource gOrdner{"Ordner.PNG", true, Nil};
PictureResource gAbout{"About.png", false, Nil};
PictureResource gFragezeichen{"Fragezeichen.PNG", true, Nil};
PictureResource gBriefmarke{"Briefmarke.png", false, Nil};

Ref<Picture> Load(PictureResource& resource) {
    if (resource.cache) return resource.cache;
    Ref<FolderItem> resources = GetResourcesFolder();
    if (resources) {
        Ref<FolderItem> file = resources->Child(String(resource.fileName));
        resource.cache = file->OpenAsPicture();  // a Nil child raises NilObjectException here
    }
    if (resource.setTransparent && resource.cache) resource.cache->SetTransparent(1);
    return resource.cache;
}

}  // namespace

Ref<FolderItem> GetResourcesFolder() {
    // The registered application object when there is one; the framework's own otherwise.
    Ref<Application> app = getAppObject();
    if (app.IsNil()) app = New<Application>();
    Ref<FolderItem> executable = app->ExecutableFile();
    Ref<FolderItem> binFolder = executable->Parent();
    Ref<FolderItem> bundle = binFolder->Parent();
    return bundle->Child(String("Resources"));
}

Ref<Picture> OrdnerPicture() { return Load(gOrdner); }
Ref<Picture> AboutPicture() { return Load(gAbout); }
Ref<Picture> FragezeichenPicture() { return Load(gFragezeichen); }
Ref<Picture> BriefmarkePicture() { return Load(gBriefmarke); }

void ForgetPicturesForTests() {
    for (PictureResource* r : {&gOrdner, &gAbout, &gFragezeichen, &gBriefmarke}) r->cache.Release();
}
