#pragma once
// The main window's transport and now-playing rules that need no window: which of "Play", "Pause" and
// "Stop" are enabled in which state, the rewind and fast-forward arithmetic, the player mode of the release
// items, and the texts shown for the stream, the times, the errors and the tray tip.

#include "config/texts.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace playback {

// The texts that stand for no set and no title wherever a set name or a title is passed.
using texts::kSetUnknown;
using texts::kTitleUnknown;

// Player states as the player reports them.
inline constexpr int32_t kStopped = 0;
inline constexpr int32_t kPlaying = 1;
inline constexpr int32_t kPaused = 2;
inline constexpr int32_t kEndOfFile = 3;
// The input state that means an input is open; every other value means none is.
inline constexpr int32_t kInputOpen = 0;

// Which of the transport commands "Play", "Pause" and "Stop" are enabled.
struct TransportEnabling {
    bool play = true;
    bool pause = true;
    bool stop = true;
    bool operator==(const TransportEnabling &) const = default;
};

// After a player state: stopped and end of file enable Play alone, paused enables Play and Stop, playing
// enables Pause and Stop. Any other state changes nothing.
std::optional<TransportEnabling> EnablingForPlayerState(int32_t state);

// After an input state: an open input enables Play alone, or Pause and Stop when Play is sent at once
// (autoplay); any other state disables all three.
TransportEnabling EnablingForInputState(int32_t state, bool autoplay);

// What a rewind or fast forward does to the player.
struct SeekStep {
    enum class Kind { Nothing, Seek, Stop };
    Kind kind = Kind::Nothing;
    uint32_t offset = 0;  // Seek: the new position ...
    uint32_t range = 0;   // ... in steps of this range (the seek bar's maximum)
    bool operator==(const SeekStep &) const = default;
};

// A jump of `seconds` on a seek bar of `maximum` steps over a song of `duration` seconds moves
// maximum * seconds / duration steps (the product is formed in 64 bits, so large times do not wrap).
// Before a duration is known (0) nothing can be computed and nothing happens.
//
// Rewind: back from `position`; a result at or below 0 goes to 0 (and a negative time, which moves forward,
// stops at the end).
SeekStep RewindStep(int position, int maximum, int seconds, uint32_t duration);
// Fast forward: ahead of `position`; a result whose size exceeds the maximum's stops the player, one before
// the start (a negative time) goes to 0.
SeekStep FastForwardStep(int position, int maximum, int seconds, uint32_t duration);

// The player mode of the release options: 1 release on stop, 2 on pause, 4 at end of file.
int32_t PlayerMode(bool releaseOnStop, bool releaseOnPause, bool releaseOnEndOfFile);

// The error box for a refused command: "Cannot Play Stream " or "Cannot Open Input " followed by the code;
// empty for every other command, which is not reported.
QString NackText(uint8_t command, int16_t code);

// A time typed into the rewind or fast-forward input box: a signed 32-bit whole number, decimal or
// hexadecimal ("$10", "0x10"), blanks around it allowed. Nothing for any other text.
std::optional<int> ParseSeconds(const QString &text);
// The error box for a text that is not such a number.
QString NotAnIntegerText(const QString &text);

// "MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, joint-stereo"; nothing for a mode other than 0..3.
std::optional<QString> StreamDescription(uint8_t level, uint8_t layer, uint16_t bitrate, uint16_t frequency,
                                         uint8_t mode);

// "hh:mm:ss", each field at least two digits.
QString TimeText(int hours, int minutes, int seconds);
// A duration in whole seconds as "hh:mm:ss"; the hours are not limited to two digits.
QString DurationText(uint32_t duration);
// The mini-info's time line: the current time, " / ", the duration.
QString TimeLine(const QString &timeText, uint32_t duration);

// Where the current-time label's left edge goes so that it travels under the seek bar's thumb:
// position / maximum of the bar's right edge (left + width), rounded. Nothing while the maximum is 0.
std::optional<int> TimeLabelLeft(int position, int maximum, int barLeft, int barWidth);

// Per player state (0..3; anything else gives an empty text or -1): the icon file shown in the tray and
// the main window, the suffix of the tray tip, and the state image of the song's library tree nodes.
QString StateIconFile(int32_t state);
QString StateTipSuffix(int32_t state);
int TreeStateIndex(int32_t state);

// The tray tip: the title followed by the state's suffix. When that is longer than maxLength characters,
// the title is cut and ends in "..." so that the suffix, and with it the state, stays visible.
QString NowPlayingTip(const QString &title, int32_t state, int maxLength);

}  // namespace playback
