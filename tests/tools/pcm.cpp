#include "tools/pcm.h"

#include <QFile>

#include <mpg123.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>

namespace testtools {

namespace {

constexpr double fullScale = 32768.0;
constexpr double pi = 3.14159265358979323846;

struct HandleDeleter {
    void operator()(mpg123_handle *h) const
    {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

uint32_t le32(const QByteArray &b, qint64 at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
        uint32_t(uint8_t(b[at + 3])) << 24;
}

uint16_t le16(const QByteArray &b, qint64 at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

void fft(std::vector<std::complex<double>> &a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * pi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

bool validChannel(const Pcm &pcm, int channel) { return channel >= 0 && channel < pcm.channels && pcm.frames() > 0; }

}  // namespace

Pcm decodeWithMpg123(const QString &path, const DecodeOptions &options)
{
    Pcm pcm;
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> mh(mpg123_new(nullptr, &err));
    if (!mh) {
        pcm.error = QStringLiteral("mpg123_new: %1").arg(QString::fromUtf8(mpg123_plain_strerror(err)));
        return pcm;
    }
    // Flags are added to and removed from libmpg123's defaults, as the player engine does.
    long add = MPG123_QUIET;
    if (options.channels == DecodeChannels::ForceStereo)
        add |= MPG123_FORCE_STEREO;
    if (options.gapless)
        add |= MPG123_GAPLESS;
    else
        mpg123_param(mh.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    mpg123_param(mh.get(), MPG123_ADD_FLAGS, add, 0);
    mpg123_param(mh.get(), MPG123_DOWN_SAMPLE, options.downSample, 0);
    mpg123_format_none(mh.get());
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    const int channelSet =
        options.channels == DecodeChannels::ForceStereo ? MPG123_STEREO : MPG123_MONO | MPG123_STEREO;
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh.get(), rates[i], channelSet, MPG123_ENC_SIGNED_16);

    if (mpg123_open(mh.get(), QFile::encodeName(path).constData()) != MPG123_OK) {
        pcm.error = QStringLiteral("mpg123_open: %1").arg(QString::fromUtf8(mpg123_strerror(mh.get())));
        return pcm;
    }
    std::vector<unsigned char> buffer(64 * 1024);
    for (;;) {
        size_t done = 0;
        const int r = mpg123_read(mh.get(), buffer.data(), buffer.size(), &done);
        const auto *samples = reinterpret_cast<const int16_t *>(buffer.data());
        pcm.samples.insert(pcm.samples.end(), samples, samples + done / sizeof(int16_t));
        if (r == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(mh.get(), &rate, &channels, &encoding);
            if (pcm.rate != 0 && (pcm.rate != rate || pcm.channels != channels)) {
                pcm.error = QStringLiteral("the format changed in mid-stream");
                break;
            }
            pcm.rate = int(rate);
            pcm.channels = channels;
        } else if (r == MPG123_DONE) {
            break;
        } else if (r != MPG123_OK) {
            pcm.error = QStringLiteral("mpg123_read: %1").arg(QString::fromUtf8(mpg123_strerror(mh.get())));
            break;
        }
    }
    if (pcm.rate == 0 && pcm.ok())
        pcm.error = QStringLiteral("no MPEG audio found");
    return pcm;
}

Pcm readWav(const QString &path)
{
    Pcm pcm;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        pcm.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return pcm;
    }
    const QByteArray b = file.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        pcm.error = QStringLiteral("%1 is no RIFF WAVE file").arg(path);
        return pcm;
    }
    int format = 0, bits = 0;
    qint64 at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const qint64 size = le32(b, at + 4);
        const qint64 body = at + 8;
        if (id == "fmt " && body + 16 <= b.size()) {
            format = le16(b, body);
            pcm.channels = le16(b, body + 2);
            pcm.rate = int(le32(b, body + 4));
            bits = le16(b, body + 14);
            if (format == 0xfffe && size >= 40 && body + 26 <= b.size())
                format = le16(b, body + 24);  // WAVE_FORMAT_EXTENSIBLE: the sub-format's tag
        } else if (id == "data") {
            const int bytes = bits / 8;
            if (pcm.channels <= 0 || bytes <= 0 || !((format == 1 && bits <= 32) || (format == 3 && bits == 32))) {
                pcm.error = QStringLiteral("%1: unsupported format %2 with %3 bits").arg(path).arg(format).arg(bits);
                return pcm;
            }
            qint64 end = body + size;
            if (size == 0 || size == 0xffffffff || end > b.size())
                end = b.size();
            const qint64 count = (end - body) / bytes;
            pcm.samples.resize(size_t(count - count % pcm.channels));
            for (size_t i = 0; i < pcm.samples.size(); ++i) {
                const qint64 p = body + qint64(i) * bytes;
                int32_t v = 0;
                if (format == 3) {
                    const float f = std::bit_cast<float>(le32(b, p));
                    v = int32_t(std::lround(std::clamp(double(f), -1.0, 32767.0 / 32768.0) * fullScale));
                } else if (bits == 8) {
                    v = (int32_t(uint8_t(b[p])) - 128) * 256;
                } else {  // the two most significant bytes of a little-endian sample
                    v = int32_t(int8_t(b[p + bytes - 1])) * 256 + uint8_t(b[p + bytes - 2]);
                }
                pcm.samples[i] = int16_t(v);
            }
            return pcm;
        }
        at = body + size + (size & 1);
    }
    pcm.error = QStringLiteral("%1 has no data chunk").arg(path);
    return pcm;
}

Pcm readRaw(const QString &path, int rate, int channels)
{
    Pcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        pcm.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return pcm;
    }
    const QByteArray b = file.readAll();
    const qint64 count = b.size() / 2;
    pcm.samples.resize(size_t(channels > 0 ? count - count % channels : 0));
    std::memcpy(pcm.samples.data(), b.constData(), pcm.samples.size() * 2);
    return pcm;
}

Pcm slice(const Pcm &pcm, double fromSeconds, double seconds)
{
    Pcm out;
    out.rate = pcm.rate;
    out.channels = pcm.channels;
    const qint64 first = std::clamp<qint64>(qint64(std::llround(fromSeconds * pcm.rate)), 0, pcm.frames());
    const qint64 last = std::clamp<qint64>(first + qint64(std::llround(seconds * pcm.rate)), first, pcm.frames());
    out.samples.assign(pcm.samples.begin() + first * pcm.channels, pcm.samples.begin() + last * pcm.channels);
    return out;
}

double rms(const Pcm &pcm, int channel)
{
    if (!validChannel(pcm, channel))
        return 0.0;
    double sum = 0;
    for (size_t i = size_t(channel); i < pcm.samples.size(); i += size_t(pcm.channels))
        sum += double(pcm.samples[i]) * pcm.samples[i];
    return std::sqrt(sum / double(pcm.frames())) / fullScale;
}

double peak(const Pcm &pcm, int channel)
{
    if (!validChannel(pcm, channel))
        return 0.0;
    int best = 0;
    for (size_t i = size_t(channel); i < pcm.samples.size(); i += size_t(pcm.channels))
        best = std::max(best, std::abs(int(pcm.samples[i])));
    return best / fullScale;
}

double toneAmplitude(const Pcm &pcm, int channel, double frequency)
{
    if (!validChannel(pcm, channel) || pcm.rate <= 0)
        return 0.0;
    const qint64 n = pcm.frames();
    const double w = 2 * pi * frequency / pcm.rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0, windowSum = 0;
    for (qint64 i = 0; i < n; ++i) {
        const double hann = n > 1 ? 0.5 - 0.5 * std::cos(2 * pi * double(i) / double(n - 1)) : 1.0;
        windowSum += hann;
        const double s = hann * pcm.samples[size_t(i * pcm.channels + channel)] / fullScale + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / windowSum;
}

double bandShare(const Pcm &pcm, int channel, double lowHz, double highHz)
{
    constexpr size_t block = 4096;
    if (!validChannel(pcm, channel) || pcm.rate <= 0)
        return 0.0;
    std::vector<double> hann(block);
    for (size_t i = 0; i < block; ++i)
        hann[i] = 0.5 - 0.5 * std::cos(2 * pi * double(i) / double(block - 1));
    std::vector<double> power(block / 2 + 1, 0.0);
    std::vector<std::complex<double>> a(block);
    const qint64 frames = pcm.frames();
    // Blocks overlap by half; a buffer shorter than one block is zero-padded.
    for (qint64 start = 0; start == 0 || start + qint64(block) <= frames; start += block / 2) {
        for (size_t i = 0; i < block; ++i) {
            const qint64 f = start + qint64(i);
            const double x = f < frames ? pcm.samples[size_t(f * pcm.channels + channel)] / fullScale : 0.0;
            a[i] = x * hann[i];
        }
        fft(a);
        for (size_t k = 0; k < power.size(); ++k)
            power[k] += std::norm(a[k]);
    }
    double total = 0, inBand = 0;
    for (size_t k = 0; k < power.size(); ++k) {
        const double hz = double(k) * pcm.rate / double(block);
        total += power[k];
        if (hz >= lowHz && hz <= highHz)
            inBand += power[k];
    }
    return total > 0 ? inBand / total : 0.0;
}

qint64 firstFrameAbove(const Pcm &pcm, int threshold)
{
    for (size_t i = 0; i < pcm.samples.size(); ++i)
        if (std::abs(int(pcm.samples[i])) > threshold)
            return qint64(i) / pcm.channels;
    return -1;
}

int maxAbsDifference(const Pcm &a, const Pcm &b)
{
    if (a.channels != b.channels || a.rate != b.rate)
        return -1;
    const size_t n = std::min(a.samples.size(), b.samples.size());
    int worst = 0;
    for (size_t i = 0; i < n; ++i)
        worst = std::max(worst, std::abs(int(a.samples[i]) - int(b.samples[i])));
    return worst;
}

}  // namespace testtools
