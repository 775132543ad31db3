#pragma once
// Volume, balance, mute and channel mode applied to interleaved stereo 16-bit samples.

#include <cstddef>
#include <cstdint>

namespace xa_engine {

struct SoundSettings {
    uint8_t balance = 50;  // 0 = left only, 50 = centre, 100 = right only
    uint8_t pcm = 100;     // 0..100
    uint8_t master = 100;  // 0..100
    bool muted = false;
    uint8_t channels = 0;  // XA_OUTPUT_CHANNELS_*: stereo, mono left, mono right, mono mix
};

// Gain of a level 0..100 on a perceptual curve: the cube of the level's fraction, the curve desktop mixers use
// for their sliders (50 is about -18 dB, 10 is -60 dB, 0 is silence).
double level_gain(int level);

// True when processing would leave every sample unchanged, so the decoder's output can go out as it is.
bool is_transparent(const SoundSettings &settings);

// Applies the settings in place to `frames` stereo frames (left, right interleaved).
void apply_sound(int16_t *samples, size_t frames, const SoundSettings &settings);

}  // namespace xa_engine
