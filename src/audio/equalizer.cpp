#include "audio/equalizer.h"

#include <algorithm>

namespace audio {

namespace {
constexpr int kSingleBandSliders = 8;
}

BandRange BandsWritten(int slider)
{
    if (slider < 0 || slider >= kSlidersPerChannel)
        return {};
    if (slider < kSingleBandSliders)
        return {slider, 1};
    return {3 * slider - 16, 3};
}

int BandReadBack(int slider)
{
    if (slider < kSingleBandSliders)
        return slider;
    return 3 * slider - 15;
}

int ClampPosition(int position) { return std::clamp(position, kMinPosition, kMaxPosition); }

int8_t BandValue(int position) { return static_cast<int8_t>(std::clamp(-position, -128, 127)); }

int PositionForBand(int value) { return ClampPosition(-value); }

XA_EqualizerInfo BuildEqualizerRecord(const EqualizerPositions &positions)
{
    XA_EqualizerInfo record{};
    for (int k = 0; k < kSlidersPerChannel; ++k) {
        const BandRange bands = BandsWritten(k);
        const int8_t left = BandValue(positions[size_t(k)]);
        const int8_t right = BandValue(positions[size_t(k + kSlidersPerChannel)]);
        for (int band = bands.first; band < bands.first + bands.count; ++band) {
            record.left[band] = left;
            record.right[band] = right;
        }
    }
    return record;
}

EqualizerPositions PositionsFromRecord(const XA_EqualizerInfo &record)
{
    EqualizerPositions positions{};
    for (int k = 0; k < kSlidersPerChannel; ++k) {
        const int band = BandReadBack(k);
        positions[size_t(k)] = PositionForBand(record.left[band]);
        positions[size_t(k + kSlidersPerChannel)] = PositionForBand(record.right[band]);
    }
    return positions;
}

}  // namespace audio
