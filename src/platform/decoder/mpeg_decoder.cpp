#include "mpeg_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace xa_engine {

// A whole-file scan on a handle and a thread of its own: the exact length in output samples (VBR files without a
// Xing or VBRI header too) and a complete frame index for exact, fast seeks. The playing handle never scans
// itself, since decoding after a scan and a seek back to the start differs from a plain decode in the last bit.
// The scan reads through its own reader, which gives up as soon as the decoder that asked for it is gone.
struct MpegDecoder::Scan {
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int64_t length = -1;
    std::vector<off_t> index;
    off_t step = 0;
};

namespace {
// Files up to this size seek exactly even before their frame index is known (reading their frame headers
// takes a few milliseconds).
constexpr int64_t kExactSeekBytes = 4 << 20;
// Reads one seek may take: enough to walk the frame headers of such a file (two or three reads a frame).
constexpr long kSeekReads = 60000;

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
    struct stat st { };
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
    if (scan_) {
        scan_->cancelled = true;
        scan_.reset();
    }
    scan_applied_ = false;
    have_index_ = false;
    estimated_ = false;
    if (mh_) {
        mpg123_close(mh_);
        mpg123_delete(mh_);
        mh_ = nullptr;
    }
    reader_.reset();
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

// A file read through a buffer. The decoder asks for a few bytes at a time (four for a frame header, one at a
// time while it searches for the next header in damaged data); each such read from the buffer costs no system
// call. Seeks inside what the buffer holds move in the buffer; any other seek empties it.
class BufferedFile {
public:
    BufferedFile() = default;
    BufferedFile(const BufferedFile &) = delete;
    BufferedFile &operator=(const BufferedFile &) = delete;
    ~BufferedFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool open(const std::string &path)
    {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        return fd_ >= 0;
    }

    // Up to `size` bytes: fewer only at the end of the file or on an error after some were read.
    ssize_t read(void *buffer, size_t size)
    {
        auto *out = static_cast<unsigned char *>(buffer);
        size_t done = 0;
        while (done < size) {
            if (pos_ < len_) {
                const size_t n = std::min(size - done, len_ - pos_);
                std::memcpy(out + done, buf_.get() + pos_, n);
                pos_ += n;
                done += n;
                continue;
            }
            const bool direct = size - done >= kBufferBytes;
            if (!direct && !buf_)
                buf_ = std::make_unique_for_overwrite<unsigned char[]>(kBufferBytes);
            if (!direct)
                start_ = ::lseek(fd_, 0, SEEK_CUR);
            pos_ = len_ = 0;
            ssize_t n;
            do
                n = direct ? ::read(fd_, out + done, size - done) : ::read(fd_, buf_.get(), kBufferBytes);
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return done > 0 ? static_cast<ssize_t>(done) : n;
            if (direct)
                done += static_cast<size_t>(n);
            else
                len_ = static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(done);
    }

    off_t seek(off_t offset, int whence)
    {
        if (len_ > 0 && start_ >= 0 && whence != SEEK_END) {
            const off_t target = whence == SEEK_SET ? offset : start_ + static_cast<off_t>(pos_) + offset;
            if (target >= start_ && target <= start_ + static_cast<off_t>(len_)) {
                pos_ = static_cast<size_t>(target - start_);
                return target;
            }
            if (whence == SEEK_CUR) {
                offset = target;
                whence = SEEK_SET;
            }
        }
        pos_ = len_ = 0;
        return ::lseek(fd_, offset, whence);
    }

private:
    static constexpr size_t kBufferBytes = 16 * 1024;
    int fd_ = -1;
    std::unique_ptr<unsigned char[]> buf_;
    size_t pos_ = 0;    // next byte to hand out
    size_t len_ = 0;    // bytes the buffer holds
    off_t start_ = -1;  // where in the file the buffer's first byte is
};

// The file as the playing handle reads it. A seek may be given a budget of reads: a seek that lands in a long
// run of data without frames (a damaged or mostly empty file) is searched a byte at a time, and without the
// budget could keep the engine from its commands for minutes.
struct MpegDecoder::FileReader {
    BufferedFile file;
    long budget = -1;  // reads left, or -1 for no limit
};

namespace {
mpg123_ssize_t file_read(void *handle, void *buffer, size_t size)
{
    auto *r = static_cast<MpegDecoder::FileReader *>(handle);
    if (r->budget == 0)
        return -1;
    if (r->budget > 0)
        --r->budget;
    return r->file.read(buffer, size);
}

off_t file_seek(void *handle, off_t offset, int whence)
{
    return static_cast<MpegDecoder::FileReader *>(handle)->file.seek(offset, whence);
}

struct ScanReader {
    BufferedFile file;
    std::shared_ptr<MpegDecoder::Scan> scan;
};

mpg123_ssize_t scan_read(void *handle, void *buffer, size_t size)
{
    auto *r = static_cast<ScanReader *>(handle);
    if (r->scan->cancelled)
        return -1;
    return r->file.read(buffer, size);
}

off_t scan_seek(void *handle, off_t offset, int whence)
{
    auto *r = static_cast<ScanReader *>(handle);
    return r->scan->cancelled ? off_t(-1) : r->file.seek(offset, whence);
}

void scan_file(const std::shared_ptr<MpegDecoder::Scan> &scan, const std::string &path, int quality)
{
    int err = MPG123_OK;
    ScanReader reader;
    reader.scan = scan;
    mpg123_handle *mh = reader.file.open(path) ? mpg123_new(nullptr, &err) : nullptr;
    int64_t length = -1;
    std::vector<off_t> index;
    off_t step = 0;
    if (mh) {
        mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
        mpg123_param(mh, MPG123_DOWN_SAMPLE, quality, 0.0);
        mpg123_replace_reader_handle(mh, scan_read, scan_seek, nullptr);
        if (mpg123_open_handle(mh, &reader) == MPG123_OK && mpg123_scan(mh) == MPG123_OK && !scan->cancelled) {
            const off_t len = mpg123_length(mh);
            length = len > 0 ? len : -1;
            off_t *offsets = nullptr;
            size_t fill = 0;
            if (mpg123_index(mh, &offsets, &step, &fill) == MPG123_OK && offsets)
                index.assign(offsets, offsets + fill);
        }
        mpg123_close(mh);
        mpg123_delete(mh);
    }
    std::lock_guard lock(scan->mutex);
    scan->length = length;
    scan->index = std::move(index);
    scan->step = step;
    scan->done = true;
    scan->finished.notify_all();
}

// Bytes of tags at the end of a file: an ID3v1 tag, and an APE tag before it or at the very end.
int64_t trailing_tag_bytes(int fd, int64_t size)
{
    int64_t end = size;
    char tail[128];
    if (end >= 128 && ::pread(fd, tail, 3, static_cast<off_t>(end - 128)) == 3 && std::memcmp(tail, "TAG", 3) == 0)
        end -= 128;
    unsigned char footer[32];
    if (end >= 32 && ::pread(fd, footer, 32, static_cast<off_t>(end - 32)) == 32 &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        const uint32_t tag_size = footer[12] | footer[13] << 8 | footer[14] << 16 | uint32_t(footer[15]) << 24;
        const bool has_header = footer[23] & 0x80;
        const int64_t total = int64_t(tag_size) + (has_header ? 32 : 0);
        if (total <= end)
            end -= total;
    }
    return size - end;
}
}  // namespace

void MpegDecoder::find_audio_bytes()
{
    // The audio begins at the first frame (after any ID3v2 tag, cover art and all) and ends before the tags at
    // the end: a bit rate reckoned from the file's size would count a picture as audio.
    const off_t first = mpg123_framepos(mh_);
    int64_t bytes = file_bytes_ - (first > 0 ? first : 0);
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        bytes -= trailing_tag_bytes(fd, file_bytes_);
        ::close(fd);
    }
    audio_bytes_ = bytes > 0 ? bytes : 0;
}

int MpegDecoder::open_file(const std::string &path, int quality, std::function<void()> scanned)
{
    if (const int err = check_readable_file(path); err != XA_SUCCESS)
        return err;
    struct stat st { };
    file_bytes_ = ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
    path_ = path;
    is_file_ = true;
    // A reduced rate that the decoder cannot make (a quarter of 22.05 kHz, say) falls back to the next better.
    for (int q = quality < 0 || quality > 2 ? 0 : quality; q >= 0; --q) {
        if (!new_handle(q))
            return XA_ERROR_OUT_OF_MEMORY;
        reader_ = std::make_shared<FileReader>();
        if (!reader_->file.open(path) ||
            mpg123_replace_reader_handle(mh_, file_read, file_seek, nullptr) != MPG123_OK ||
            mpg123_open_handle(mh_, reader_.get()) != MPG123_OK)
            return XA_ERROR_INPUT_CANNOT_READ;
        if (read_format() == XA_SUCCESS) {
            const off_t len = mpg123_length(mh_);
            length_ = len > 0 ? len : -1;
            find_audio_bytes();
            auto scan = std::make_shared<Scan>();
            scan_ = scan;
            scan_applied_ = false;
            std::thread([scan, path, q, scanned = std::move(scanned)] {
                // Below the decoding thread's priority: on a busy machine the scan waits, not the sound.
                ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
                scan_file(scan, path, q);
                if (!scan->cancelled && scanned)
                    scanned();
            }).detach();
            return XA_SUCCESS;
        }
    }
    close();
    return XA_ERROR_INPUT_NOT_MPEG_AUDIO;
}

bool MpegDecoder::wait_scan(int ms)
{
    if (!scan_)
        return false;
    std::unique_lock lock(scan_->mutex);
    return scan_->finished.wait_for(lock, std::chrono::milliseconds(ms), [&] { return scan_->done; });
}

void MpegDecoder::prepare_seek()
{
    if (scan_ && !scan_applied_ && file_bytes_ <= kExactSeekBytes)
        wait_scan(50);
}

bool MpegDecoder::apply_scan()
{
    if (!scan_ || scan_applied_ || !mh_)
        return false;
    std::lock_guard lock(scan_->mutex);
    if (!scan_->done)
        return false;
    scan_applied_ = true;
    have_index_ = !scan_->index.empty() &&
        mpg123_set_index(mh_, scan_->index.data(), scan_->step, scan_->index.size()) == MPG123_OK;
    const bool changed = scan_->length > 0 && scan_->length != length_;
    const int64_t old_length = length_;
    if (scan_->length > 0)
        length_ = scan_->length;
    if (estimated_ && have_index_) {
        // The last seek was a guess. The same share of the exact length, plus what has been decoded since, is
        // where playback should be now: go there exactly.
        int64_t at = estimated_target_;
        if (estimated_length_ > 0 && length_ > 0 && old_length > 0)
            at = static_cast<int64_t>(static_cast<double>(estimated_target_) * length_ / estimated_length_);
        at += since_estimate_;
        if (length_ > 0)
            at = std::min(at, length_);
        mpg123_seek(mh_, static_cast<off_t>(at), SEEK_SET);
    }
    estimated_ = false;
    scan_->index.clear();
    scan_->index.shrink_to_fit();
    return changed;
}

int MpegDecoder::open_feed(int quality)
{
    is_file_ = false;
    file_bytes_ = 0;
    if (!new_handle(quality < 0 || quality > 2 ? 0 : quality))
        return XA_ERROR_OUT_OF_MEMORY;
    // A stream's ID3v2 tag is stepped over, not parsed: nothing is taken from it (a station's titles come as
    // ICY metadata), and parsing first reserves the whole size the tag claims, up to 256 MB from ten bytes.
    mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_SKIP_ID3V2, 0.0);
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
    if (estimated_)
        since_estimate_ += static_cast<int64_t>(done / 4);
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
    mpg123_frameinfo2 fi{};
    if (!mh_ || mpg123_info2(mh_, &fi) != MPG123_OK)
        return s;
    s.level = fi.version == MPG123_1_0 ? 1 : 2;
    s.layer = static_cast<uint8_t>(fi.layer);
    s.frequency = static_cast<uint16_t>(fi.rate);
    s.mode = static_cast<uint8_t>(fi.mode);
    s.bitrate = static_cast<uint16_t>(fi.bitrate);
    if (fi.vbr != MPG123_CBR && is_file_ && length_ > 0 && rate_ > 0 && audio_bytes_ > 0) {
        const double seconds = static_cast<double>(length_) / rate_;
        s.bitrate =
            static_cast<uint16_t>(std::clamp<long>(std::lround(audio_bytes_ * 8.0 / seconds / 1000.0), 0, 65535));
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
    // Until the frame index is known, an exact seek reads every frame header up to the target. That is quick
    // for a small file; in a large one the seek uses the Xing TOC or the average frame size instead, and
    // seeks land exactly once the scan has delivered the index.
    const bool estimate = !have_index_ && file_bytes_ > kExactSeekBytes;
    if (estimate)
        mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_FUZZY, 0.0);
    if (reader_)
        reader_->budget = kSeekReads;
    const bool ok = mpg123_seek(mh_, static_cast<off_t>(sample), SEEK_SET) >= 0;
    if (reader_)
        reader_->budget = -1;
    if (estimate)
        mpg123_param(mh_, MPG123_REMOVE_FLAGS, MPG123_FUZZY, 0.0);
    estimated_ = ok && estimate;
    estimated_target_ = sample;
    estimated_length_ = length_;
    since_estimate_ = 0;
    return ok;
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
