#include "mpeg_decoder.h"

#include <mpg123.h>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace xa_engine {

namespace {
void init_library()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// +-12 dB over the signed band value: -128 and 127 are the two ends, 0 is flat.
double band_factor(int8_t value)
{
    const double db = value < 0 ? value * 12.0 / 128.0 : value * 12.0 / 127.0;
    return std::pow(10.0, db / 20.0);
}
}  // namespace

int check_readable_file(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == EACCES ? XA_ERROR_INPUT_PERMISSION_DENIED : XA_ERROR_INPUT_NOT_FOUND;
    if (S_ISDIR(st.st_mode))
        return XA_ERROR_INPUT_IS_DIRECTORY;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES || errno == EPERM ? XA_ERROR_INPUT_PERMISSION_DENIED : XA_ERROR_INPUT_CANNOT_READ;
    ::close(fd);
    return XA_SUCCESS;
}

MpegDecoder::MpegDecoder() { init_library(); }

MpegDecoder::~MpegDecoder() { close(); }

void MpegDecoder::close()
{
    if (mh_) {
        mpg123_close(mh_);
        mpg123_delete(mh_);
        mh_ = nullptr;
    }
    rate_ = 0;
    length_ = -1;
}

bool MpegDecoder::new_handle(int quality)
{
    close();
    int err = MPG123_OK;
    mh_ = mpg123_new(nullptr, &err);
    if (!mh_)
        return false;
    mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_param(mh_, MPG123_VERBOSE, 0, 0.0);
    // Decode enough frames before a seek target that the bit reservoir and the filter bank are primed again:
    // the first audio after a seek is then exactly what a decode from the start gives there.
    mpg123_param(mh_, MPG123_PREFRAMES, 8, 0.0);
    mpg123_param(mh_, MPG123_DOWN_SAMPLE, quality, 0.0);
    // Everything decodes to interleaved stereo signed 16-bit, whatever the rate.
    mpg123_format_none(mh_);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(mh_, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    quality_ = quality;
    set_equalizer(have_eq_ ? &eq_ : nullptr);
    return true;
}

int MpegDecoder::read_format()
{
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh_, &rate, &channels, &encoding) != MPG123_OK)
        return XA_FAILURE;
    rate_ = rate;
    return XA_SUCCESS;
}

namespace {
// Scans a whole file on a handle of its own: the exact length in output samples (VBR files without a Xing or
// VBRI header too) and a complete frame index for fast seeks. The playing handle never scans itself, since
// decoding after a scan and a seek back to the start differs from a plain decode in the last bit.
struct ScanResult {
    int64_t length = -1;
    std::vector<off_t> index;
    off_t step = 0;
};

ScanResult scan_file(const std::string &path, int quality)
{
    ScanResult result;
    int err = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh)
        return result;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
    mpg123_param(mh, MPG123_DOWN_SAMPLE, quality, 0.0);
    if (mpg123_open(mh, path.c_str()) == MPG123_OK && mpg123_scan(mh) == MPG123_OK) {
        const off_t len = mpg123_length(mh);
        result.length = len > 0 ? len : -1;
        off_t *offsets = nullptr;
        size_t fill = 0;
        if (mpg123_index(mh, &offsets, &result.step, &fill) == MPG123_OK && offsets)
            result.index.assign(offsets, offsets + fill);
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    return result;
}
}  // namespace

int MpegDecoder::open_file(const std::string &path, int quality)
{
    if (const int err = check_readable_file(path); err != XA_SUCCESS)
        return err;
    struct stat st {};
    file_bytes_ = ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
    path_ = path;
    is_file_ = true;
    // A reduced rate that the decoder cannot make (a quarter of 22.05 kHz, say) falls back to the next better.
    for (int q = quality < 0 || quality > 2 ? 0 : quality; q >= 0; --q) {
        if (!new_handle(q))
            return XA_ERROR_OUT_OF_MEMORY;
        if (mpg123_open(mh_, path.c_str()) != MPG123_OK)
            return XA_ERROR_INPUT_CANNOT_READ;
        if (read_format() == XA_SUCCESS) {
            ScanResult scan = scan_file(path, q);
            if (!scan.index.empty())
                mpg123_set_index(mh_, scan.index.data(), scan.step, scan.index.size());
            const off_t len = mpg123_length(mh_);
            length_ = scan.length > 0 ? scan.length : (len > 0 ? len : -1);
            return XA_SUCCESS;
        }
    }
    close();
    return XA_ERROR_INPUT_NOT_MPEG_AUDIO;
}

int MpegDecoder::open_feed(int quality)
{
    is_file_ = false;
    file_bytes_ = 0;
    if (!new_handle(quality < 0 || quality > 2 ? 0 : quality))
        return XA_ERROR_OUT_OF_MEMORY;
    if (mpg123_open_feed(mh_) != MPG123_OK)
        return XA_ERROR_DECODER;
    return XA_SUCCESS;
}

void MpegDecoder::feed(const uint8_t *data, size_t size)
{
    if (mh_ && size > 0)
        mpg123_feed(mh_, data, size);
}

int MpegDecoder::probe_format()
{
    if (!mh_)
        return XA_ERROR_DECODER;
    if (format_known())
        return XA_SUCCESS;
    long rate = 0;
    int channels = 0, encoding = 0;
    const int rc = mpg123_getformat(mh_, &rate, &channels, &encoding);
    if (rc == MPG123_OK) {
        rate_ = rate;
        return XA_SUCCESS;
    }
    if (rc == MPG123_NEED_MORE)
        return XA_FAILURE;
    // The stream's frames are there but the reduced rate is impossible: the caller starts over one step better.
    return quality_ > 0 ? XA_ERROR_OUTPUT_FORMAT : XA_FAILURE;
}

size_t MpegDecoder::block_size() const { return mpg123_outblock(mh_); }

MpegDecoder::Read MpegDecoder::read(uint8_t *buffer, size_t capacity, size_t *got)
{
    *got = 0;
    if (!mh_)
        return Read::Error;
    size_t done = 0;
    const int rc = mpg123_read(mh_, buffer, capacity, &done);
    *got = done;
    switch (rc) {
    case MPG123_OK:
        return Read::Data;
    case MPG123_NEW_FORMAT:
        read_format();
        return Read::Data;
    case MPG123_NEED_MORE:
        return done > 0 ? Read::Data : Read::NeedMore;
    case MPG123_DONE:
        return done > 0 ? Read::Data : Read::Done;
    default:
        return done > 0 ? Read::Data : Read::Error;
    }
}

StreamInfo MpegDecoder::info()
{
    StreamInfo s;
    mpg123_frameinfo2 fi {};
    if (!mh_ || mpg123_info2(mh_, &fi) != MPG123_OK)
        return s;
    s.level = fi.version == MPG123_1_0 ? 1 : 2;
    s.layer = static_cast<uint8_t>(fi.layer);
    s.frequency = static_cast<uint16_t>(fi.rate);
    s.mode = static_cast<uint8_t>(fi.mode);
    s.bitrate = static_cast<uint16_t>(fi.bitrate);
    if (fi.vbr != MPG123_CBR && is_file_ && length_ > 0 && rate_ > 0 && file_bytes_ > 0) {
        const double seconds = static_cast<double>(length_) / rate_;
        s.bitrate = static_cast<uint16_t>(std::lround(file_bytes_ * 8.0 / seconds / 1000.0));
    } else if (fi.vbr == MPG123_ABR && fi.abr_rate > 0) {
        s.bitrate = static_cast<uint16_t>(fi.abr_rate);
    }
    return s;
}

int64_t MpegDecoder::tell()
{
    if (!mh_)
        return 0;
    const off_t pos = mpg123_tell(mh_);
    return pos < 0 ? 0 : pos;
}

bool MpegDecoder::seek(int64_t sample)
{
    if (!mh_ || !is_file_)
        return false;
    return mpg123_seek(mh_, static_cast<off_t>(sample), SEEK_SET) >= 0;
}

void MpegDecoder::set_equalizer(const XA_EqualizerInfo *eq)
{
    have_eq_ = eq != nullptr;
    if (eq && eq != &eq_)
        eq_ = *eq;
    if (!mh_)
        return;
    mpg123_reset_eq(mh_);
    if (!have_eq_)
        return;
    for (int band = 0; band < 32; ++band) {
        mpg123_eq(mh_, MPG123_LEFT, band, band_factor(eq_.left[band]));
        mpg123_eq(mh_, MPG123_RIGHT, band, band_factor(eq_.right[band]));
    }
}

}  // namespace xa_engine
