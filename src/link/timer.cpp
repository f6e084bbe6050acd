#include "timer.h"

namespace tarvik {

Timer::Timer(QObject* parent, int interval, bool enabled)
    : QObject(parent), interval_(interval), enabled_(enabled) {
    connect(&timer_, &QTimer::timeout, this, &Timer::timeout);
    apply();
}

void Timer::setEnabled(bool on) {
    if (on == enabled_) return; // a running period goes on
    enabled_ = on;
    apply();
}

void Timer::setInterval(int ms) {
    if (ms == interval_) return; // the same interval does not restart the period
    interval_ = ms;
    apply();
}

void Timer::apply() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

} // namespace tarvik
