#pragma once
// The equalizer's sliders and the decoder's bands.
//
// Each channel has 16 sliders, bass to treble, over the decoder's 32 bands: sliders 0..7 each own one of
// the eight lowest bands, sliders 8..15 three bands each. A slider's position runs from -128 (top) to 127
// (bottom); a thumb above the middle raises its bands: the band value is the negated position, limited to
// +127 (the largest value a band holds). Reading a report back, a slider of three bands follows the middle
// one.
//
// Positions in "file order" are the 16 left sliders, then the 16 right ones.

#include "platform/decoder/xaudio.h"

#include <array>
#include <cstdint>

namespace audio {

inline constexpr int kSlidersPerChannel = 16;
inline constexpr int kSliderCount = 2 * kSlidersPerChannel;
inline constexpr int kBandsPerChannel = 32;
inline constexpr int kMinPosition = -128;
inline constexpr int kMaxPosition = 127;

using EqualizerPositions = std::array<int, kSliderCount>;  // file order

struct BandRange {
    int first = 0;
    int count = 0;
};

// The bands slider k (0..15) writes, in one channel.
BandRange BandsWritten(int slider);
// The band whose value slider k shows when the decoder reports its bands.
int BandReadBack(int slider);

// The band value for a slider position: -position, limited to -128..127.
int8_t BandValue(int position);
// The slider position that shows a band value: -value, limited to the slider's range.
int PositionForBand(int value);
// A position limited to the slider's range.
int ClampPosition(int position);

// The decoder's record for all 32 positions: left sliders into the left bands, right into the right.
XA_EqualizerInfo BuildEqualizerRecord(const EqualizerPositions &positions);
// The positions that show a reported record.
EqualizerPositions PositionsFromRecord(const XA_EqualizerInfo &record);

}  // namespace audio
