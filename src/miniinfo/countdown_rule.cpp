#include "miniinfo/countdown_rule.h"

namespace miniinfo {

CountdownRule::Action CountdownRule::SetInterval(int interval)
{
    if (interval == interval_)
        return Action::None;
    interval_ = interval;
    if (!enabled_)
        return Action::None;
    return counting() ? Action::Start : Action::Stop;
}

CountdownRule::Action CountdownRule::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return Action::None;
    enabled_ = enabled;
    return counting() ? Action::Start : Action::Stop;
}

}  // namespace miniinfo
