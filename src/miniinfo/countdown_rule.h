#pragma once
// The mini-info's hide timer is set anew on every pop-up: its interval to the display time, then switched
// on. Setting either to the value it already has changes nothing, so a pop-up while the countdown runs
// does not prolong it; a new interval while it runs starts the count anew; an interval of 0 runs no
// countdown at all (the popup then stays until a later pop-up sets a time). This class decides; its owner
// starts and stops the real timer as told.

namespace miniinfo {

class CountdownRule {
public:
    enum class Action {
        None,   // leave the timer as it is
        Start,  // (re)start the countdown from now with interval()
        Stop,   // no countdown runs
    };

    explicit CountdownRule(int interval) : interval_(interval) { }

    Action SetInterval(int interval);
    Action SetEnabled(bool enabled);

    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    // Whether a countdown runs: switched on with an interval above 0.
    bool counting() const { return enabled_ && interval_ > 0; }

private:
    int interval_;
    bool enabled_ = false;
};

}  // namespace miniinfo
