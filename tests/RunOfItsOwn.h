#pragma once
// A test that drives handlers without the event loop plays a run of the
// program without RuntimeRun. There an exception that escapes a handler
// marks the run failed, as one at start-up does, and a quit stays requested.
// The run ends with the scope, as RuntimeExit ends the program's, so the
// next test starts on a new one.
#include "framework/Application.h"

class RunOfItsOwn {
public:
    RunOfItsOwn() = default;
    RunOfItsOwn(const RunOfItsOwn&) = delete;
    RunOfItsOwn& operator=(const RunOfItsOwn&) = delete;
    ~RunOfItsOwn() { fw::RuntimeExit(); }
};
