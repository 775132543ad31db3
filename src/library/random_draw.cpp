#include "library/random_draw.h"

#include <QDateTime>

#include <utility>

namespace library {

namespace {

TimeOfDayClock &Clock()
{
    static TimeOfDayClock clock;
    return clock;
}

QTime Now()
{
    const TimeOfDayClock &clock = Clock();
    return clock ? clock() : QDateTime::currentDateTimeUtc().time();
}

}  // namespace

TimeOfDayClock SetRandomClock(TimeOfDayClock clock) { return std::exchange(Clock(), std::move(clock)); }

uint32_t RandomSeed(const QTime &timeOfDay)
{
    const uint32_t h = static_cast<uint32_t>(timeOfDay.hour());
    const uint32_t m = static_cast<uint32_t>(timeOfDay.minute());
    const uint32_t s = static_cast<uint32_t>(timeOfDay.second());
    const uint32_t ms = static_cast<uint32_t>(timeOfDay.msec());
    return ((h * 60 + m) * 60 + s) * 1000 + ms;
}

uint32_t NextRandomSeed(uint32_t seed)
{
    return seed * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
}

int RandomIndex(uint32_t seed, int count)
{
    if (count <= 0)
        return -1;
    return static_cast<int>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(count)) >> 32);
}

int DrawRandomIndex(int count)
{
    if (count <= 0)
        return -1;
    return RandomIndex(NextRandomSeed(RandomSeed(Now())), count);
}

}  // namespace library
