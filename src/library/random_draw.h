#pragma once
// The random draw of the library's random commands. Every draw seeds the generator anew from the UTC time of
// day, advances a 32-bit linear congruential generator by one step and scales the new seed to the range:
//   seed  = ((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds
//   seed := seed * 134775813 + 1 (modulo 2^32)
//   index = the high 32 bits of the 64-bit product seed * count
// So two draws within one millisecond give the same index for the same count, and nothing remembers what was
// drawn before: the current song or set can come again.
//
// The clock is a seam: tests install their own time of day. Only the user-interface thread may draw.

#include <QTime>

#include <cstdint>
#include <functional>

namespace library {

using TimeOfDayClock = std::function<QTime()>;

// Replaces the clock (the current UTC time of day); an empty clock brings the real one back. Returns the clock
// that was installed before.
TimeOfDayClock SetRandomClock(TimeOfDayClock clock);

// The seed for a time of day: milliseconds since midnight.
uint32_t RandomSeed(const QTime &timeOfDay);
// One step of the generator.
uint32_t NextRandomSeed(uint32_t seed);
// The index an advanced seed gives over `count` choices: 0 to count - 1.
int RandomIndex(uint32_t seed, int count);

// A draw over `count` choices with the clock's time of day; -1 when there is nothing to choose from.
int DrawRandomIndex(int count);

}  // namespace library
