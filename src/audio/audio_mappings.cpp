#include "audio/audio_mappings.h"

#include <cmath>

namespace audio {

namespace {
std::optional<int> Identity(int value, int count)
{
    if (value < 0 || value >= count)
        return std::nullopt;
    return value;
}

constexpr uint32_t kPortLine = 1;
constexpr uint32_t kPortSpeaker = 2;
constexpr uint32_t kPortHeadphone = 4;
constexpr uint32_t kPortByIndex[] = {kPortSpeaker, kPortLine, kPortHeadphone, 0};
}  // namespace

std::optional<int> ChannelsValue(int index) { return Identity(index, 4); }
std::optional<int> ChannelsIndex(int value) { return Identity(value, 4); }

std::optional<uint32_t> PortValue(int index)
{
    if (index < 0 || index >= 4)
        return std::nullopt;
    return kPortByIndex[index];
}

int PortIndex(uint32_t ports)
{
    switch (ports) {
    case kPortSpeaker:
        return 0;
    case kPortLine:
        return 1;
    case kPortHeadphone:
        return 2;
    default:
        return 3;  // none, or several ports at once
    }
}

std::optional<int> QualityValue(int index) { return Identity(index, 3); }
std::optional<int> QualityIndex(int value) { return Identity(value, 3); }

std::optional<int> PriorityIndex(int value) { return Identity(value, kPriorityHighest + 1); }

int LevelFromPosition(int position) { return kLevelMaximum - position; }
int PositionFromLevel(int level) { return kLevelMaximum - level; }

QString LevelText(int level) { return QString::number(level) + QLatin1Char('%'); }

int LabelTop(int trackbarHeight, int trackbarMaximum, int position, int trackbarTop)
{
    if (trackbarMaximum == 0)
        return trackbarTop;
    const double top = double(trackbarHeight) / trackbarMaximum * position + trackbarTop;
    return static_cast<int>(std::lround(top));
}

}  // namespace audio
