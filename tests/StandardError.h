#pragma once
// What the program says on standard error while a piece of a test runs.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

// The program's own lines ("Quelmar: ...") that `act` wrote to standard
// error, in their order; what Qt may print there beside them is left out.
inline std::vector<std::string> ProgramLinesOnStderr(const std::function<void()>& act) {
    ::testing::internal::CaptureStderr();
    act();
    std::istringstream written(::testing::internal::GetCapturedStderr());
    std::vector<std::string> lines;
    for (std::string line; std::getline(written, line);)
        if (line.rfind("Quelmar: ", 0) == 0) lines.push_back(line);
    return lines;
}
