#pragma once
// Audio fixtures made at test time: WAV files from sox, MPEG audio from lame (layer III) and twolame
// (layer II), and damaged copies of them. Every file is written into a folder the caller owns (usually a
// QTemporaryDir that lives as long as the test). Each function returns the new file's absolute path, or an
// empty string when it failed; error() then says why (the tool's command line and its error output).
//
// No encoder in Debian writes MPEG layer I, so there are no layer I fixtures.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace testtools {

enum class Signal {
    Sine,       // `frequency` in every channel, or `frequency` left and `rightFrequency` right
    TwoTone,    // `frequency` and `secondFrequency` mixed, each at half the amplitude, in every channel
    PinkNoise,  // the same noise on every run (sox runs in repeatable mode)
    Sweep,      // a linear sweep from `frequency` to `secondFrequency`
    Silence,
};

struct Tone {
    Signal signal = Signal::Sine;
    int rate = 44100;
    int channels = 2;
    double seconds = 5.0;
    double amplitude = 0.5;  // peak, as a share of full scale
    double frequency = 440.0;
    double secondFrequency = 1000.0;
    double rightFrequency = 0.0;  // Sine with two channels: a different tone on the right; 0 = the same
};

enum class ChannelMode { EncoderDefault, Stereo, JointStereo, DualChannel, Mono };

struct Mp3Options {
    int bitrate = 128;    // kbit/s, constant bit rate; ignored when vbrQuality >= 0
    int vbrQuality = -1;  // 0..9: variable bit rate (lame -V n)
    int resampleHz = 0;   // encode at this rate: 22050/24000/16000 give MPEG-2, 11025/12000/8000 MPEG-2.5
    ChannelMode mode = ChannelMode::EncoderDefault;
    bool infoHeader = true;  // the Xing/Info frame at the start (always there for VBR unless false)
    bool id3v1 = false;
    bool id3v2 = false;
    QString title, artist, album, year, comment;
    int track = 0;  // 0 = none
};

struct Mp2Options {
    int bitrate = 192;  // kbit/s; the WAV's rate decides MPEG-1 (32/44.1/48 kHz) or MPEG-2 (16/22.05/24)
    ChannelMode mode = ChannelMode::EncoderDefault;
};

class Fixtures {
public:
    // `folder` must exist and outlive the files; usually QTemporaryDir::path().
    explicit Fixtures(QString folder);

    const QString &folder() const { return folder_; }
    QString path(const QString &name) const;  // folder + "/" + name
    const QString &error() const { return error_; }

    // Sound files.
    QString wav(const QString &name, const Tone &tone);
    QString mp3(const QString &name, const QString &wavPath, const Mp3Options &options = {});
    QString mp3(const QString &name, const Tone &tone, const Mp3Options &options = {});
    QString mp2(const QString &name, const QString &wavPath, const Mp2Options &options = {});
    QString mp2(const QString &name, const Tone &tone, const Mp2Options &options = {});

    // Damaged and foreign files.
    QString zeroLength(const QString &name);
    QString randomBytes(const QString &name, qint64 size, uint32_t seed = 1);
    QString truncated(const QString &name, const QString &source, qint64 keepBytes);
    // A copy of `source` with `garbageBytes` random bytes inserted at byte `offset` (-1: the middle).
    QString withGarbage(const QString &name, const QString &source, qint64 offset, qint64 garbageBytes,
                        uint32_t seed = 2);
    // A copy of `source` without its Xing/Info frame (and so without frame count and seek table).
    // Fails when the first frame carries no such header.
    QString withoutXingHeader(const QString &name, const QString &source);

private:
    bool run(const QString &program, const QStringList &arguments);
    QString fail(const QString &message);
    QString write(const QString &name, const QByteArray &bytes);

    QString folder_;
    QString error_;
};

// Where the Xing/Info header of an MPEG audio file lies: the offset of its first frame, that frame's
// length, and the offset of the "Xing"/"Info" tag (-1 when the first frame has none). Skips an ID3v2 tag.
struct FirstFrame {
    qint64 offset = -1;
    qint64 length = 0;
    qint64 xingOffset = -1;
};
FirstFrame findFirstFrame(const QByteArray &file);

// Bytes from a small fixed-seed generator, the same on every run.
QByteArray pseudoRandomBytes(qint64 size, uint32_t seed);

}  // namespace testtools
