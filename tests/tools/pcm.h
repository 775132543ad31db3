#pragma once
// Decoded sound for comparisons: a plain libmpg123 reference decoder, readers for what libout123's `wav` and
// `raw` output modules write, and a few measurements (level, the amplitude of one tone, the share of
// energy in a frequency band).

#include <QString>

#include <cstdint>
#include <vector>

namespace testtools {

// Interleaved signed 16-bit samples.
struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    QString error;  // empty when the whole file was read

    bool ok() const { return error.isEmpty(); }
    qint64 frames() const { return channels > 0 ? qint64(samples.size()) / channels : 0; }
    double seconds() const { return rate > 0 ? double(frames()) / rate : 0.0; }
};

enum class DecodeChannels {
    ForceStereo,  // every stream as two channels (mono duplicated), as the player engine outputs it
    Native,       // the stream's own channel count
};

struct DecodeOptions {
    DecodeChannels channels = DecodeChannels::ForceStereo;
    bool gapless = true;  // libmpg123's default: drop the encoder's delay and padding named in the LAME tag
    int downSample = 0;   // MPG123_DOWN_SAMPLE: 0 full rate, 1 half, 2 quarter
};

// Decodes a whole file with mpg123_open and an mpg123_read loop. On a decoder error the samples read so far
// are kept and `error` says what happened.
Pcm decodeWithMpg123(const QString &path, const DecodeOptions &options = {});

// Reads a RIFF WAVE file of 8/16/24/32-bit integer or 32-bit float samples, converted to 16 bits. A data
// chunk whose size was never filled in (a stream written to a pipe) runs to the end of the file.
Pcm readWav(const QString &path);
// Reads headerless native-endian signed 16-bit samples (libout123's `raw` module).
Pcm readRaw(const QString &path, int rate, int channels);

// The frames [fromSeconds, fromSeconds + seconds) of `pcm` (clipped to what is there).
Pcm slice(const Pcm &pcm, double fromSeconds, double seconds);

// Root mean square level of one channel as a share of full scale (a full-scale sine gives 0.707).
double rms(const Pcm &pcm, int channel);
// Largest absolute sample of one channel as a share of full scale.
double peak(const Pcm &pcm, int channel);
// Amplitude (share of full scale) of the sine at `frequency` in one channel: a Goertzel filter over the
// whole buffer with a Hann window. A 0.5 amplitude 440 Hz sine measures about 0.5 at 440 Hz and near 0 at
// 1000 Hz.
double toneAmplitude(const Pcm &pcm, int channel, double frequency);
// Share (0..1) of one channel's energy that lies between lowHz and highHz: averaged power spectra of
// Hann-windowed 4096-sample blocks.
double bandShare(const Pcm &pcm, int channel, double lowHz, double highHz);
// Index of the first frame in which any channel's magnitude exceeds `threshold`, or -1.
qint64 firstFrameAbove(const Pcm &pcm, int threshold);
// Largest absolute difference between two buffers over their common length (-1 if their layouts differ).
int maxAbsDifference(const Pcm &a, const Pcm &b);

}  // namespace testtools
