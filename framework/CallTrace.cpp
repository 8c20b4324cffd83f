#include "framework/CallTrace.h"

namespace fw {

namespace {
CallObserver& Observer() {
    static CallObserver observer;
    return observer;
}
}  // namespace

CallObserver SetCallObserver(CallObserver observer) {
    std::swap(Observer(), observer);
    return observer;
}

void TraceCall(const char* operation, const std::string& detail) {
    if (Observer()) Observer()(operation, detail);
}

}  // namespace fw
