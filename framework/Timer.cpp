#include "framework/Timer.h"

#include <algorithm>

#include "framework/EventDispatch.h"
#include "framework/MainThread.h"

namespace fw {

Timer::Timer() = default;
Timer::~Timer() {
    if (!timer_) return;
    // The timer may be destroyed by its own handler, inside Qt's timeout signal,
    // or on another thread, where only the main thread's event loop may stop it.
    if (OnMainThread()) timer_->stop();
    QObject::disconnect(timer_.get(), nullptr, nullptr, nullptr);
    timer_.release()->deleteLater();
}

void Timer::Constructor() {
    RequireMainThread();
    timer_ = std::make_unique<QTimer>();
    timer_->setTimerType(Qt::PreciseTimer);  // the period asked for, not give or take 5%
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Fire(); });
    Restart();
}

bool Timer::RaisesEvent(const std::string& event) const { return event == "Action" || Control::RaisesEvent(event); }

void Timer::SetPeriod(int32_t milliseconds) {
    RequireMainThread();
    if (milliseconds < 0) throw OutOfBoundsException("timer period " + std::to_string(milliseconds));
    period_ = milliseconds;
    Restart();
}

void Timer::SetMode(int32_t mode) {
    RequireMainThread();
    if (mode < kModeOff || mode > kModeMultiple) throw OutOfBoundsException("timer mode " + std::to_string(mode));
    mode_ = mode;
    Restart();
}

int32_t Timer::Period() const {
    RequireMainThread();
    return period_;
}

int32_t Timer::Mode() const {
    RequireMainThread();
    return mode_;
}

bool Timer::Running() const {
    RequireMainThread();
    return !stopped_ && timer_ && timer_->isActive();
}

void Timer::WindowClosed() {
    // Off the main thread (a window destroyed there) the firing is only
    // disarmed: the QTimer belongs to the main thread.
    stopped_ = true;
    if (timer_ && OnMainThread()) timer_->stop();
}

void Timer::Restart() {
    if (!timer_) return;
    timer_->stop();
    if (stopped_ || mode_ == kModeOff) return;
    timer_->setSingleShot(mode_ == kModeSingle);
    timer_->start(std::max(period_, 0));
}

void Timer::Fire() {
    if (stopped_) {
        timer_->stop();
        return;
    }
    if (mode_ == kModeSingle) mode_ = kModeOff;
    if (mode_ == kModeOff) timer_->stop();
    DeliverEvent([this] { RaiseEvent("Action"); });
}

}  // namespace fw
