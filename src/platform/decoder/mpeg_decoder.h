#pragma once
// One MPEG audio input decoded by libmpg123 to interleaved stereo signed 16-bit samples: a local file (seekable,
// exact length) or a fed byte stream (network).

#include "xaudio.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct mpg123_handle_struct;

namespace xa_engine {

struct StreamInfo {
    uint8_t level = 0;       // MPEG version: 1 or 2 (MPEG 2.5 reports 2; its rates tell it apart)
    uint8_t layer = 0;       // 1, 2 or 3
    uint16_t bitrate = 0;    // kbit/s; the average for VBR files
    uint16_t frequency = 0;  // the stream's sample rate in Hz
    uint8_t mode = 0;        // XA_STREAM_MODE_*
};

class MpegDecoder {
public:
    enum class Read { Data, NeedMore, Done, Error };

    MpegDecoder();
    ~MpegDecoder();
    MpegDecoder(const MpegDecoder &) = delete;
    MpegDecoder &operator=(const MpegDecoder &) = delete;

    // Opens a file and reads up to its first frame; nothing more is read on the caller's thread, whatever the
    // file's size. The length comes from the Xing/Info/VBRI frame count where there is one (exact), otherwise
    // from an estimate. A scan on a thread of its own then walks the whole file for the exact length and a frame
    // index; `scanned` is called on that thread when it is done, and apply_scan() takes the result over.
    // quality: XA_CODEC_QUALITY_*; where a reduced rate is not possible the next better one is used (see
    // quality()). Returns XA_SUCCESS or an XA_ERROR_INPUT_* code.
    int open_file(const std::string &path, int quality, std::function<void()> scanned = {});
    // Takes over a finished scan's frame index and length: true when the length changed by it.
    bool apply_scan();
    // The scan is finished (and taken over with apply_scan()), so seeks land exactly and the length is exact.
    bool scan_applied() const { return scan_applied_; }
    // The last seek was a guess that the running scan will correct: an end of the data now may be the guess's.
    bool awaiting_exact() const { return estimated_ && scan_ && !scan_applied_; }
    // Waits up to `ms` for the scan to finish; true when it has.
    bool wait_scan(int ms);
    // Before a seek: a small file waits (briefly) for its scan, whose index makes the seek exact.
    void prepare_seek();
    // Prepares for data given with feed(); the format becomes known once enough data has been fed.
    int open_feed(int quality);
    void feed(const uint8_t *data, size_t size);

    // For fed input: tries to find the format with the data fed so far. Returns XA_SUCCESS once known,
    // XA_FAILURE while more data is needed, or an error code.
    int probe_format();
    bool format_known() const { return rate_ > 0; }

    // Decodes into `buffer` (at most `capacity` bytes); `*got` receives the byte count.
    Read read(uint8_t *buffer, size_t capacity, size_t *got);
    size_t block_size() const;

    long rate() const { return rate_; }       // output rate
    int quality() const { return quality_; }  // the quality actually in use
    bool seekable() const { return is_file_; }
    const std::string &path() const { return path_; }  // the open file
    StreamInfo info();
    // Length and position in output samples; length is -1 when unknown.
    int64_t length() const { return length_; }
    int64_t tell();
    bool seek(int64_t sample);
    void set_equalizer(const XA_EqualizerInfo *eq);

    struct Scan;  // the state a background scan shares with its thread
    struct FileReader;

private:
    void close();
    bool new_handle(int quality);
    int read_format();
    void find_audio_bytes();

    std::shared_ptr<Scan> scan_;
    std::shared_ptr<FileReader> reader_;  // the playing handle reads the file through it
    bool scan_applied_ = false;
    bool have_index_ = false;  // the scan's complete frame index is in use: seeks are exact and quick
    int64_t audio_bytes_ = 0;  // the file's bytes less its tags: what the bit rate is reckoned from
    // A seek made by estimate, before the index: where it was asked to land, in the length known then, and the
    // samples decoded since. apply_scan() puts playback on that place exactly.
    bool estimated_ = false;
    int64_t estimated_target_ = 0;
    int64_t estimated_length_ = 0;
    int64_t since_estimate_ = 0;

    mpg123_handle_struct *mh_ = nullptr;
    bool is_file_ = false;
    std::string path_;
    long rate_ = 0;
    int quality_ = 0;
    int64_t length_ = -1;
    int64_t file_bytes_ = 0;
    bool have_eq_ = false;
    XA_EqualizerInfo eq_{};
};

// The error code for a local path that cannot be opened for reading, or XA_SUCCESS.
int check_readable_file(const std::string &path);

}  // namespace xa_engine
