#pragma once
// Line ends of message text: LF only inside the engine.
#include <cstddef>

// Makes every line end LF, in place, and returns the new length. A CR that
// comes before an LF goes (CR LF, and the CR CR LF of a file converted
// twice, end one line as before); any other CR ends a line of its own and
// becomes LF (files saved by older Mac programs keep their lines). A text
// without CR is left as it is.
size_t NormalizeLineEnds(char* text, size_t size);
