// A timer with the semantics the program's handlers rely on: enabling a running timer does not
// restart its period, setting a different interval restarts it, setting the same interval changes
// nothing, and an interval of 0 gives no ticks while the timer still counts as enabled.
#pragma once

#include <QObject>
#include <QTimer>

namespace tarvik {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr, int interval = 1000, bool enabled = false);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    int interval() const { return interval_; }
    void setInterval(int ms);
    // True when the underlying timer is really counting (enabled with a nonzero interval).
    bool ticking() const { return timer_.isActive(); }
    // Runs the tick as if the period had elapsed; tests use it instead of waiting.
    void fire() { emit timeout(); }

signals:
    void timeout();

private:
    void apply();

    QTimer timer_;
    int interval_;
    bool enabled_;
};

} // namespace tarvik
