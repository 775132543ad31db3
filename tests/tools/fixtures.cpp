#include "tools/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace testtools {

namespace {

QString number(double value) { return QString::number(value, 'g', 10); }

QString lameMode(ChannelMode mode)
{
    switch (mode) {
    case ChannelMode::Stereo:
        return QStringLiteral("s");
    case ChannelMode::JointStereo:
        return QStringLiteral("j");
    case ChannelMode::DualChannel:
        return QStringLiteral("d");
    case ChannelMode::Mono:
        return QStringLiteral("m");
    case ChannelMode::EncoderDefault:
        break;
    }
    return {};
}

bool readAll(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

int syncsafe(const QByteArray &b, int at)
{
    return (uint8_t(b[at]) & 0x7f) << 21 | (uint8_t(b[at + 1]) & 0x7f) << 14 | (uint8_t(b[at + 2]) & 0x7f) << 7 |
        (uint8_t(b[at + 3]) & 0x7f);
}

// Frame length in bytes of the MPEG audio header at `h` (four bytes, big-endian), 0 if it is no valid header.
struct Header {
    int version = 0;  // 1, 2, or 25 for MPEG-2.5
    int layer = 0;
    bool mono = false;
    qint64 length = 0;
};

Header parseHeader(uint32_t h)
{
    static const int kbps[2][3][15] = {{{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                                        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                                        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
                                       {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                                        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                                        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int rates[3] = {44100, 48000, 32000};
    Header r;
    if ((h & 0xffe00000u) != 0xffe00000u)
        return r;
    const int versionBits = (h >> 19) & 3;
    const int layerBits = (h >> 17) & 3;
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return r;
    r.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    r.layer = 4 - layerBits;
    r.mono = ((h >> 6) & 3) == 3;
    const int rate = rates[rateIndex] / (r.version == 1 ? 1 : r.version == 2 ? 2 : 4);
    const int bitrate = kbps[r.version == 1 ? 0 : 1][r.layer - 1][bitrateIndex] * 1000;
    const int padding = (h >> 9) & 1;
    if (r.layer == 1)
        r.length = (12 * bitrate / rate + padding) * 4;
    else if (r.layer == 3 && r.version != 1)
        r.length = 72 * bitrate / rate + padding;
    else
        r.length = 144 * bitrate / rate + padding;
    return r;
}

}  // namespace

QByteArray pseudoRandomBytes(qint64 size, uint32_t seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    uint32_t x = seed ? seed : 0x9e3779b9u;
    for (qint64 i = 0; i < size; ++i) {
        x ^= x << 13;  // xorshift32
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

FirstFrame findFirstFrame(const QByteArray &file)
{
    FirstFrame f;
    qint64 at = 0;
    if (file.size() >= 10 && file.startsWith("ID3")) {
        at = 10 + syncsafe(file, 6);
        if (uint8_t(file[5]) & 0x10)
            at += 10;  // footer
    }
    for (; at + 4 <= file.size(); ++at) {
        const uint32_t h = uint32_t(uint8_t(file[at])) << 24 | uint32_t(uint8_t(file[at + 1])) << 16 |
            uint32_t(uint8_t(file[at + 2])) << 8 | uint8_t(file[at + 3]);
        const Header header = parseHeader(h);
        if (header.length == 0)
            continue;
        f.offset = at;
        f.length = header.length;
        if (header.layer == 3) {
            const int sideInfo = header.version == 1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
            const qint64 tag = at + 4 + sideInfo;
            const QByteArray magic = file.mid(tag, 4);
            if (magic == "Xing" || magic == "Info")
                f.xingOffset = tag;
        }
        break;
    }
    return f;
}

Fixtures::Fixtures(QString folder) : folder_(std::move(folder)) { }

QString Fixtures::path(const QString &name) const { return QDir(folder_).absoluteFilePath(name); }

QString Fixtures::fail(const QString &message)
{
    error_ = message;
    return {};
}

bool Fixtures::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const QString command = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (!process.waitForStarted(10000)) {
        error_ = QStringLiteral("cannot start %1: %2").arg(command, process.errorString());
        return false;
    }
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error_ = QStringLiteral("%1 failed (exit %2): %3")
                     .arg(command)
                     .arg(process.exitCode())
                     .arg(QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

QString Fixtures::write(const QString &name, const QByteArray &bytes)
{
    const QString target = path(name);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return fail(QStringLiteral("cannot write %1: %2").arg(target, file.errorString()));
    return target;
}

QString Fixtures::wav(const QString &name, const Tone &tone)
{
    const QString target = path(name);
    // -R: the same noise on every run; -D: no dither, so a sine stays a clean sine.
    QStringList args{QStringLiteral("-R"),           QStringLiteral("-D"),
                     QStringLiteral("-n"),           QStringLiteral("-r"),
                     QString::number(tone.rate),     QStringLiteral("-c"),
                     QString::number(tone.channels), QStringLiteral("-b"),
                     QStringLiteral("16"),           target};
    const QString seconds = number(tone.seconds);
    switch (tone.signal) {
    case Signal::Sine:
        args << QStringLiteral("synth") << seconds << QStringLiteral("sine") << number(tone.frequency);
        if (tone.rightFrequency > 0 && tone.channels == 2)
            args << QStringLiteral("sine") << number(tone.rightFrequency);
        break;
    case Signal::TwoTone:
        args << QStringLiteral("synth") << seconds << QStringLiteral("sine") << number(tone.frequency)
             << QStringLiteral("synth") << seconds << QStringLiteral("sine") << QStringLiteral("mix")
             << number(tone.secondFrequency);
        break;
    case Signal::PinkNoise:
        args << QStringLiteral("synth") << seconds << QStringLiteral("pinknoise");
        break;
    case Signal::Sweep:
        args << QStringLiteral("synth") << seconds << QStringLiteral("sine")
             << number(tone.frequency) + QLatin1Char('-') + number(tone.secondFrequency);
        break;
    case Signal::Silence:
        args << QStringLiteral("trim") << QStringLiteral("0") << seconds;
        break;
    }
    if (tone.signal != Signal::Silence)
        args << QStringLiteral("vol") << number(tone.amplitude);
    if (!run(QStringLiteral("sox"), args))
        return {};
    return target;
}

QString Fixtures::mp3(const QString &name, const QString &wavPath, const Mp3Options &o)
{
    const QString target = path(name);
    QStringList args{QStringLiteral("--quiet")};
    if (o.vbrQuality >= 0)
        args << QStringLiteral("-V") << QString::number(o.vbrQuality);
    else
        args << QStringLiteral("--cbr") << QStringLiteral("-b") << QString::number(o.bitrate);
    if (o.resampleHz > 0)
        args << QStringLiteral("--resample") << number(o.resampleHz / 1000.0);
    if (o.mode != ChannelMode::EncoderDefault)
        args << QStringLiteral("-m") << lameMode(o.mode);
    if (!o.infoHeader)
        args << QStringLiteral("-t");
    if (o.id3v1 || o.id3v2) {
        if (o.id3v1 && o.id3v2)
            args << QStringLiteral("--add-id3v2");
        else
            args << (o.id3v1 ? QStringLiteral("--id3v1-only") : QStringLiteral("--id3v2-only"));
        const auto field = [&args](const char *option, const QString &value) {
            if (!value.isEmpty())
                args << QString::fromLatin1(option) << value;
        };
        // lame writes no tag when every field is empty: give it at least a title.
        field("--tt", o.title.isEmpty() ? QStringLiteral("untitled") : o.title);
        field("--ta", o.artist);
        field("--tl", o.album);
        field("--ty", o.year);
        field("--tc", o.comment);
        if (o.track > 0)
            field("--tn", QString::number(o.track));
    }
    args << wavPath << target;
    if (!run(QStringLiteral("lame"), args))
        return {};
    return target;
}

QString Fixtures::mp3(const QString &name, const Tone &tone, const Mp3Options &options)
{
    const QString wavPath = wav(name + QStringLiteral(".source.wav"), tone);
    return wavPath.isEmpty() ? QString() : mp3(name, wavPath, options);
}

QString Fixtures::mp2(const QString &name, const QString &wavPath, const Mp2Options &o)
{
    const QString target = path(name);
    QStringList args{QStringLiteral("--quiet"), QStringLiteral("-b"), QString::number(o.bitrate)};
    if (o.mode != ChannelMode::EncoderDefault)
        args << QStringLiteral("-m") << lameMode(o.mode);
    args << wavPath << target;
    if (!run(QStringLiteral("twolame"), args))
        return {};
    return target;
}

QString Fixtures::mp2(const QString &name, const Tone &tone, const Mp2Options &options)
{
    const QString wavPath = wav(name + QStringLiteral(".source.wav"), tone);
    return wavPath.isEmpty() ? QString() : mp2(name, wavPath, options);
}

QString Fixtures::zeroLength(const QString &name) { return write(name, QByteArray()); }

QString Fixtures::randomBytes(const QString &name, qint64 size, uint32_t seed)
{
    return write(name, pseudoRandomBytes(size, seed));
}

QString Fixtures::truncated(const QString &name, const QString &source, qint64 keepBytes)
{
    QByteArray bytes;
    if (!readAll(source, &bytes, &error_))
        return {};
    return write(name, bytes.left(keepBytes));
}

QString Fixtures::withGarbage(const QString &name, const QString &source, qint64 offset, qint64 garbageBytes,
                              uint32_t seed)
{
    QByteArray bytes;
    if (!readAll(source, &bytes, &error_))
        return {};
    const qint64 at = offset < 0 ? bytes.size() / 2 : qMin<qint64>(offset, bytes.size());
    bytes.insert(at, pseudoRandomBytes(garbageBytes, seed));
    return write(name, bytes);
}

QString Fixtures::withoutXingHeader(const QString &name, const QString &source)
{
    QByteArray bytes;
    if (!readAll(source, &bytes, &error_))
        return {};
    const FirstFrame first = findFirstFrame(bytes);
    if (first.xingOffset < 0)
        return fail(QStringLiteral("%1 has no Xing/Info header").arg(source));
    bytes.remove(first.offset, first.length);
    return write(name, bytes);
}

}  // namespace testtools
