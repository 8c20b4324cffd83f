#pragma once
// Whether the toolkit can have the threads it paints with.

#include <string>

namespace fw {

// The toolkit hands its painting to a pool of threads and waits for them; a
// thread of the pool that cannot be started is waited for all the same, and
// the program hangs before it shows anything, alerts included. So the start-up
// makes sure the pool's threads can be had (started at once and ended again;
// the pool itself is left as it is). The empty text when they can; else why not.
std::string ToolkitThreadsMissing();

}  // namespace fw
