// The About window's menu handler.
#include "app/App.h"

// Shows the About window modally and returns False once it has closed. The
// About window is not part of the program yet: there is nothing to show.
bool App::_AboutMenue_Action() { return false; }
