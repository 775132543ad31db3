#include "sound_processing.h"

#include <algorithm>
#include <cmath>

namespace xa_engine {

namespace {
enum { Stereo = 0, MonoLeft = 1, MonoRight = 2, MonoMix = 3 };

// Gains in 1/65536 steps; all of them are at most 1.0, so products never overflow 16 bits.
int32_t to_fixed(double gain) { return static_cast<int32_t>(std::lround(std::clamp(gain, 0.0, 1.0) * 65536.0)); }

inline int16_t scale(int32_t sample, int32_t gain)
{
    return static_cast<int16_t>((static_cast<int64_t>(sample) * gain) >> 16);
}
}  // namespace

double level_gain(int level)
{
    const double f = std::clamp(level, 0, 100) / 100.0;
    return f * f * f;
}

bool is_transparent(const SoundSettings &s)
{
    return !s.muted && s.channels == Stereo && s.balance == 50 && s.pcm >= 100 && s.master >= 100;
}

void apply_sound(int16_t *samples, size_t frames, const SoundSettings &s)
{
    if (is_transparent(s))
        return;
    if (s.muted) {
        std::fill(samples, samples + frames * 2, int16_t{0});
        return;
    }
    const double volume = level_gain(s.pcm) * level_gain(s.master);
    const int balance = std::clamp<int>(s.balance, 0, 100);
    const double left_share = balance <= 50 ? 1.0 : (100 - balance) / 50.0;
    const double right_share = balance >= 50 ? 1.0 : balance / 50.0;
    const int32_t gl = to_fixed(volume * left_share);
    const int32_t gr = to_fixed(volume * right_share);

    for (size_t i = 0; i < frames; ++i) {
        int32_t l = samples[2 * i];
        int32_t r = samples[2 * i + 1];
        switch (s.channels) {
        case MonoLeft:
            r = l;
            break;
        case MonoRight:
            l = r;
            break;
        case MonoMix:
            l = r = (l + r) / 2;
            break;
        default:
            break;
        }
        samples[2 * i] = gl == 65536 ? static_cast<int16_t>(l) : scale(l, gl);
        samples[2 * i + 1] = gr == 65536 ? static_cast<int16_t>(r) : scale(r, gr);
    }
}

}  // namespace xa_engine
