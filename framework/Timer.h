#pragma once
// A timer placed on a window like a control. Mode 0 is off, 1 fires once
// Period milliseconds after it was set, 2 fires every Period milliseconds.
// Setting Period or Mode starts the count again. "Action" is raised on the
// main thread by the event loop; after a single firing the mode is 0. A timer
// stops for good when its window closes.
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>

#include "framework/Control.h"

namespace fw {

class Timer : public Control {
public:
    Timer();
    ~Timer() override;

    void Constructor() override;
    void WindowClosed() override;
    bool RaisesEvent(const std::string& event) const override;

    int32_t Period() const;
    void SetPeriod(int32_t milliseconds);
    int32_t Mode() const;
    void SetMode(int32_t mode);
    // Whether a firing is due.
    bool Running() const;

    static constexpr int32_t kModeOff = 0;
    static constexpr int32_t kModeSingle = 1;
    static constexpr int32_t kModeMultiple = 2;

private:
    void Restart();
    void Fire();

    std::unique_ptr<QTimer> timer_;
    int32_t period_ = 1000;
    int32_t mode_ = kModeMultiple;
    std::atomic<bool> stopped_{false};  // set by WindowClosed, which may run on another thread
};

const ClassRecord* GetTimerClass();

}  // namespace fw
