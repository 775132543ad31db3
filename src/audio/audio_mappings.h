#pragma once
// How the controls of the audio settings window map onto the player's values and back.
//
// Lists: an index is an item's place in its list, from 0; -1 is no selection. A value the player reports
// that a list has no item for gives no index (the list keeps its selection), except for the output port,
// whose last item stands for every port value that is not exactly one known port.
//
// Volume track bars are vertical with position 0 at the top, which is level 100: level = 100 - position.

#include <QString>

#include <cstdint>
#include <optional>

namespace audio {

inline constexpr int kLevelMaximum = 100;  // levels and balance are 0..100; balance 50 is the centre

// Output channels: "Stereo", "Mono Left", "Mono Right", "Mono Mix" are the channel modes 0..3.
std::optional<int> ChannelsValue(int index);
std::optional<int> ChannelsIndex(int value);

// Output port: "Speaker" (port bit 2), "Line" (1), "Headphone" (4), "Unknown (Port $00)" (0).
std::optional<uint32_t> PortValue(int index);
int PortIndex(uint32_t ports);

// Codec quality: "High", "Medium", "Low" are the qualities 0..2 (full, half, quarter sample rate).
std::optional<int> QualityValue(int index);
std::optional<int> QualityIndex(int value);

// Codec priority: "Lowest" .. "Highest" are the priorities 0..4.
inline constexpr int kPriorityHighest = 4;
std::optional<int> PriorityIndex(int value);

int LevelFromPosition(int position);
int PositionFromLevel(int level);
// "40%".
QString LevelText(int level);

// The top edge of the label that travels beside a volume thumb: the thumb's share of the track bar's height
// below the bar's top, rounded to the nearest pixel.
int LabelTop(int trackbarHeight, int trackbarMaximum, int position, int trackbarTop);

}  // namespace audio
