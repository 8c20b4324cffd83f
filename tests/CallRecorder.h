#pragma once
// Records the framework operations that report themselves, and can make one
// of them fail, for the lifetime of the scope.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/CallTrace.h"

class CallRecorder {
public:
    CallRecorder() {
        previous_ = fw::SetCallObserver([this](const std::string& operation, const std::string& detail) {
            calls.push_back(detail.empty() ? operation : operation + " " + detail);
            if (onCall) onCall(operation, detail);
        });
    }
    ~CallRecorder() { fw::SetCallObserver(std::move(previous_)); }

    // The calls that begin with `prefix`, in their order.
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
        return out;
    }
    bool Saw(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
    // The place of the first such call; calls.size() when there is none.
    size_t IndexOf(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    }

    std::vector<std::string> calls;
    // Called for each operation as it begins; raising makes it fail.
    std::function<void(const std::string& operation, const std::string& detail)> onCall;

private:
    fw::CallObserver previous_;
};

// Whether `expected` occurs in `calls` in this order (with anything between).
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& calls,
                                          const std::vector<std::string>& expected) {
    auto at = calls.begin();
    for (const std::string& e : expected) {
        at = std::find(at, calls.end(), e);
        if (at == calls.end()) return ::testing::AssertionFailure() << "missing or out of order: " << e;
        ++at;
    }
    return ::testing::AssertionSuccess();
}
