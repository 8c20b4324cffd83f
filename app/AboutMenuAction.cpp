// The About window's menu handler.
#include "app/App.h"
#include "windows/AboutWindow.h"

using namespace fw;

// Shows the About window modally, its close timer running, and returns False
// once it has closed.
bool App::_AboutMenue_Action() {
    Ref<AboutWindow> about = GetAboutWindowInstance();
    about->ShowModal();
    return false;
}
