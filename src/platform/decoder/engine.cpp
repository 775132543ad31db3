#include "engine.h"

#include "playlist.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <chrono>

namespace xa_engine {

namespace {
using namespace std::chrono_literals;

// Bytes decoded per step: four layer III frames of stereo 16-bit audio. Commands wait for at most that much
// decoding (well under a millisecond), and the output is handed audio a few frames at a time. The first steps
// after an open, seek or stop decode one frame each, so the first sound goes out as early as possible.
constexpr size_t kFrameBytes = 1152 * 2 * 2;
constexpr size_t kChunkBytes = 4 * kFrameBytes;
constexpr int kSingleFrameSteps = 4;
constexpr size_t kStreamStartLimit = 256 * 1024;
// A device that takes no audio for this long has failed: playback pauses with an error instead of hanging.
constexpr long kStallMs = 5000;
// "Release the device at the end of the file" waits until the output has been silent this long, so a set
// that goes on to its next song keeps the device.
constexpr long kReleaseIdleMs = 1000;
// A stream that has sent data for this long without one MPEG audio frame is something else.
constexpr int64_t kNotMpegAfterMs = 2000;
constexpr size_t kNotMpegAfterBytes = 1024 * 1024;
constexpr size_t kStreamTagLimit = 16 * 1024 * 1024;
constexpr size_t kPlaylistLimit = 256 * 1024;
constexpr int kPlaylistHops = 4;

// The start of a local file, as much as a playlist may hold.
std::string read_head(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.read(kPlaylistLimit).toStdString() : std::string();
}

int64_t now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Names of the player environment integers the engine itself reads.
const std::string kEnvConnectTimeout = "http.connect_timeout_ms";
const std::string kEnvStallTimeout = "http.stall_timeout_ms";

bool is_url(const std::string &name)
{
    auto starts = [&](const char *prefix) {
        const size_t n = std::char_traits<char>::length(prefix);
        if (name.size() < n)
            return false;
        for (size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i])
                return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

std::string local_path(const std::string &name)
{
    if (name.rfind("file://", 0) == 0)
        return QUrl(QString::fromStdString(name)).toLocalFile().toStdString();
    return name;
}

const char *input_module_name(int id) { return id == XA_INPUT_MODULE_HTTP ? "http" : "file"; }
const char *input_module_description(int id)
{
    return id == XA_INPUT_MODULE_HTTP ? "MPEG audio over http and https, with ICY metadata"
                                      : "MPEG audio files (layers I, II and III; MPEG 1, 2 and 2.5)";
}
}  // namespace

Engine::Engine(QObject *target, std::shared_ptr<CommandQueue> queue)
    : notify_(target), queue_(std::move(queue)), output_([weak = std::weak_ptr<CommandQueue>(queue_)] {
          // Called on the output's thread, which may outlive the engine.
          if (auto q = weak.lock())
              q->wake();
      })
{
    pcm_.resize(kChunkBytes);
}

Engine::~Engine() { stop_stream(); }

void Engine::run()
{
    notify_.simple(XA_MSG_NOTIFY_READY);
    while (running_) {
        check_scan();
        const bool playing = state_ == XA_PLAYER_STATE_PLAYING && ready_;
        if (playing) {
            while (running_) {
                auto c = queue_->try_pop();
                if (!c)
                    break;
                handle(*c);
            }
            if (!running_)
                break;
            waiting_for_data_ = false;
            output_full_ = false;
            check_output();
            if (state_ == XA_PLAYER_STATE_PLAYING && ready_) {
                if (finishing_) {
                    if (output_.drained()) {
                        finishing_ = false;
                        end_of_file();
                    } else {
                        output_full_ = true;
                    }
                } else {
                    play_chunk();
                }
            }
            if (waiting_for_data_ || output_full_) {
                // The output's thread wakes the queue once the device has room for more (or has played out);
                // the timeout only paces the check for a stalled device.
                if (auto c = queue_->wait_pop(waiting_for_data_ ? 50ms : 1000ms))
                    handle(*c);
            }
        } else {
            // Idle, paused or connecting: wait for a command, or for stream data to arrive.
            const bool watch = release_pending_ || drain_ack_pending_;
            if (auto c = queue_->wait_pop(is_stream() && !ready_ ? 50ms : watch ? 100ms : 1000ms))
                handle(*c);
            if (running_ && stream_ && !ready_)
                pump_stream();
            if (running_)
                idle_tasks();
        }
    }
}

void Engine::idle_tasks()
{
    long idle_ms = 0;
    if (drain_ack_pending_ && (output_.drained() || output_.stalled_ms() > kStallMs)) {
        drain_ack_pending_ = false;
        notify_.ack(XA_MSG_COMMAND_OUTPUT_DRAIN);
    }
    if (release_pending_ && state_ != XA_PLAYER_STATE_PLAYING && output_.drained(&idle_ms) &&
        idle_ms >= kReleaseIdleMs) {
        release_pending_ = false;
        release_output_if(XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF);
    }
}

// ---------------------------------------------------------------- dispatch

void Engine::handle(const Command &c)
{
    if (handle_transport(c) || handle_input(c) || handle_output(c) || handle_settings(c))
        return;
    notify_.nack(c.code, XA_ERROR_NOT_SUPPORTED);
}

bool Engine::handle_transport(const Command &c)
{
    switch (c.code) {
    case XA_MSG_COMMAND_EXIT:
        close_input(false);
        output_.close();
        running_ = false;
        notify_.ack(c.code);
        notify_.simple(XA_MSG_NOTIFY_EXITED);
        return true;
    case XA_MSG_COMMAND_PING:
        notify_.pong(static_cast<uint32_t>(c.ints[0]));
        return true;
    case XA_MSG_COMMAND_PLAY:
        play();
        return true;
    case XA_MSG_COMMAND_PAUSE:
        pause();
        return true;
    case XA_MSG_COMMAND_STOP:
        stop();
        return true;
    case XA_MSG_COMMAND_INPUT_SEEK:
        seek(c.ints[0], c.ints[1]);
        return true;
    default:
        return false;
    }
}

bool Engine::handle_input(const Command &c)
{
    switch (c.code) {
    case XA_MSG_COMMAND_INPUT_OPEN:
        open_input(c.texts[0].empty() ? input_name_ : c.texts[0]);
        return true;
    case XA_MSG_COMMAND_INPUT_CLOSE:
        close_input(true);
        notify_.ack(c.code);
        return true;
    case XA_MSG_COMMAND_INPUT_MODULES_LIST:
        for (int id : {XA_INPUT_MODULE_FILE, XA_INPUT_MODULE_HTTP})
            report_module(XA_MSG_NOTIFY_INPUT_MODULE_INFO, id, input_module_name(id), input_module_description(id), 0);
        notify_.ack(c.code);
        return true;
    case XA_MSG_COMMAND_INPUT_MODULE_QUERY:
        if (c.ints[0] != XA_INPUT_MODULE_FILE && c.ints[0] != XA_INPUT_MODULE_HTTP) {
            notify_.nack(c.code, XA_ERROR_NO_SUCH_MODULE);
        } else {
            report_module(XA_MSG_NOTIFY_INPUT_MODULE_INFO, c.ints[0], input_module_name(c.ints[0]),
                          input_module_description(c.ints[0]), 0);
        }
        return true;
    case XA_MSG_COMMAND_INPUT_FILTER_LIST:
    case XA_MSG_COMMAND_OUTPUT_FILTER_LIST:
        notify_.ack(c.code);  // no filters are installed
        return true;
    case XA_MSG_SET_INPUT_NAME:
        input_name_ = c.texts[0];
        notify_.text(XA_MSG_NOTIFY_INPUT_NAME, input_name_);
        return true;
    case XA_MSG_GET_INPUT_NAME:
        notify_.text(XA_MSG_NOTIFY_INPUT_NAME, input_name_);
        return true;
    case XA_MSG_SET_INPUT_MODULE:
        if (c.ints[0] < -1 || c.ints[0] > XA_INPUT_MODULE_HTTP) {
            notify_.nack(c.code, XA_ERROR_NO_SUCH_MODULE);
            return true;
        }
        input_module_ = c.ints[0];
        [[fallthrough]];
    case XA_MSG_GET_INPUT_MODULE:
        notify_.s16(XA_MSG_NOTIFY_INPUT_MODULE, static_cast<int16_t>(input_module_));
        return true;
    case XA_MSG_SET_INPUT_POSITION_RANGE:
        if (c.ints[0] <= 0) {
            notify_.nack(c.code, XA_ERROR_INVALID_PARAMETERS);
            return true;
        }
        position_range_ = c.ints[0];
        last_reported_ = -1;
        [[fallthrough]];
    case XA_MSG_GET_INPUT_POSITION_RANGE:
        notify_.u32(XA_MSG_NOTIFY_INPUT_POSITION_RANGE, static_cast<uint32_t>(position_range_));
        return true;
    case XA_MSG_SET_INPUT_TIMECODE_GRANULARITY:
        if (c.ints[0] <= 0) {
            notify_.nack(c.code, XA_ERROR_INVALID_PARAMETERS);
            return true;
        }
        granularity_ms_ = std::min(c.ints[0], 1000);  // reports come at least once a second
        [[fallthrough]];
    case XA_MSG_GET_INPUT_TIMECODE_GRANULARITY:
        notify_.u32(XA_MSG_NOTIFY_INPUT_TIMECODE_GRANULARITY, static_cast<uint32_t>(granularity_ms_));
        return true;
    default:
        return false;
    }
}

bool Engine::handle_output(const Command &c)
{
    switch (c.code) {
    case XA_MSG_COMMAND_OUTPUT_OPEN:
    case XA_MSG_SET_OUTPUT_NAME: {
        const bool was_open = output_.is_open();
        output_.close();
        output_.select(c.texts[0]);
        if (c.code == XA_MSG_SET_OUTPUT_NAME && !was_open) {
            notify_.text(XA_MSG_NOTIFY_OUTPUT_NAME, output_.selected());
            return true;
        }
        if (!output_.open()) {
            notify_.error(kSourceOutput, XA_ERROR_OUTPUT_OPEN_FAILED, output_.last_error());
            notify_.nack(c.code, XA_ERROR_OUTPUT_OPEN_FAILED);
            notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_CLOSED);
            if (state_ == XA_PLAYER_STATE_PLAYING)
                set_state(XA_PLAYER_STATE_PAUSED);
            return true;
        }
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_OPEN);
        notify_.text(XA_MSG_NOTIFY_OUTPUT_NAME, output_.selected());
        notify_.ack(c.code);
        return true;
    }
    case XA_MSG_COMMAND_OUTPUT_CLOSE:
        output_.close();
        if (state_ == XA_PLAYER_STATE_PLAYING)
            set_state(XA_PLAYER_STATE_PAUSED);
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_CLOSED);
        notify_.ack(c.code);
        return true;
    case XA_MSG_GET_OUTPUT_NAME:
        notify_.text(XA_MSG_NOTIFY_OUTPUT_NAME, output_.selected());
        return true;
    case XA_MSG_COMMAND_OUTPUT_MUTE:
    case XA_MSG_COMMAND_OUTPUT_UNMUTE:
        sound_.muted = c.code == XA_MSG_COMMAND_OUTPUT_MUTE;
        notify_.ack(c.code);
        return true;
    case XA_MSG_COMMAND_OUTPUT_RESET:
        // Discards what the device still holds and lets it go; playback that goes on reopens it.
        output_.drop();
        output_.close();
        clear_pending();
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_CLOSED);
        notify_.ack(c.code);
        return true;
    case XA_MSG_COMMAND_OUTPUT_DRAIN:
        // Answered once what is queued has been heard (at once while playing goes on).
        output_.finish();
        if (state_ == XA_PLAYER_STATE_PLAYING || output_.drained())
            notify_.ack(c.code);
        else
            drain_ack_pending_ = true;
        return true;
    case XA_MSG_COMMAND_OUTPUT_MODULES_LIST:
        report_output_modules();
        notify_.ack(c.code);
        return true;
    case XA_MSG_COMMAND_OUTPUT_MODULE_QUERY: {
        const auto modules = AudioOutput::modules();
        if (c.ints[0] < 0 || c.ints[0] >= static_cast<int>(modules.size())) {
            notify_.nack(c.code, XA_ERROR_NO_SUCH_MODULE);
            return true;
        }
        const auto &m = modules[static_cast<size_t>(c.ints[0])];
        report_module(XA_MSG_NOTIFY_OUTPUT_MODULE_INFO, c.ints[0], m.name, m.description, 0);
        return true;
    }
    case XA_MSG_SET_OUTPUT_MODULE: {
        const auto modules = AudioOutput::modules();
        if (c.ints[0] < -1 || c.ints[0] >= static_cast<int>(modules.size())) {
            notify_.nack(c.code, XA_ERROR_NO_SUCH_MODULE);
            return true;
        }
        output_.close();
        output_.select(c.ints[0] < 0 ? std::string() : modules[static_cast<size_t>(c.ints[0])].name);
        [[fallthrough]];
    }
    case XA_MSG_GET_OUTPUT_MODULE: {
        const auto modules = AudioOutput::modules();
        int id = -1;
        for (size_t i = 0; i < modules.size(); ++i)
            if (modules[i].name == output_.module())
                id = static_cast<int>(i);
        notify_.s16(XA_MSG_NOTIFY_OUTPUT_MODULE, static_cast<int16_t>(id));
        return true;
    }
    case XA_MSG_SET_OUTPUT_VOLUME:
        sound_.balance = static_cast<uint8_t>(std::clamp(c.ints[0], 0, 100));
        sound_.pcm = static_cast<uint8_t>(std::clamp(c.ints[1], 0, 100));
        sound_.master = static_cast<uint8_t>(std::clamp(c.ints[2], 0, 100));
        [[fallthrough]];
    case XA_MSG_GET_OUTPUT_VOLUME:
        report_volume();
        return true;
    case XA_MSG_SET_OUTPUT_CHANNELS:
        if (c.ints[0] < XA_OUTPUT_CHANNELS_STEREO || c.ints[0] > XA_OUTPUT_CHANNELS_MONO_MIX) {
            notify_.nack(c.code, XA_ERROR_INVALID_PARAMETERS);
            return true;
        }
        sound_.channels = static_cast<uint8_t>(c.ints[0]);
        [[fallthrough]];
    case XA_MSG_GET_OUTPUT_CHANNELS:
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_CHANNELS, 4, sound_.channels);
        return true;
    case XA_MSG_SET_OUTPUT_PORTS:
        ports_ = static_cast<uint32_t>(c.ints[0]) & 0xFFu;
        [[fallthrough]];
    case XA_MSG_GET_OUTPUT_PORTS:
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_PORTS, 4, static_cast<uint8_t>(ports_));
        return true;
    case XA_MSG_COMMAND_INPUT_SEND_MESSAGE:
    case XA_MSG_COMMAND_OUTPUT_SEND_MESSAGE:
    case XA_MSG_COMMAND_INPUT_ADD_FILTER:
    case XA_MSG_COMMAND_INPUT_REMOVE_FILTER:
    case XA_MSG_COMMAND_OUTPUT_ADD_FILTER:
    case XA_MSG_COMMAND_OUTPUT_REMOVE_FILTER:
    case XA_MSG_COMMAND_INPUT_MODULE_REGISTER:
    case XA_MSG_COMMAND_OUTPUT_MODULE_REGISTER:
        // No module accepts private messages, no filters exist, and modules are built in.
        notify_.nack(c.code, XA_ERROR_NOT_SUPPORTED);
        return true;
    default:
        return false;
    }
}

bool Engine::handle_settings(const Command &c)
{
    switch (c.code) {
    case XA_MSG_SET_PLAYER_MODE:
        mode_ = c.ints[0];
        [[fallthrough]];
    case XA_MSG_GET_PLAYER_MODE:
        notify_.u32(XA_MSG_NOTIFY_PLAYER_MODE, static_cast<uint32_t>(mode_));
        return true;
    case XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER:
        env_integers_[c.texts[0]] = c.ints[0];
        env_strings_.erase(c.texts[0]);
        notify_.environment_integer(c.texts[0], c.ints[0]);
        return true;
    case XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER:
        if (auto it = env_integers_.find(c.texts[0]); it != env_integers_.end())
            notify_.environment_integer(it->first, it->second);
        else
            notify_.nack(c.code, XA_ERROR_NO_SUCH_ENVIRONMENT);
        return true;
    case XA_MSG_SET_PLAYER_ENVIRONMENT_STRING:
        env_strings_[c.texts[0]] = c.texts[1];
        env_integers_.erase(c.texts[0]);
        notify_.environment_string(c.texts[0], c.texts[1]);
        return true;
    case XA_MSG_GET_PLAYER_ENVIRONMENT_STRING:
        if (auto it = env_strings_.find(c.texts[0]); it != env_strings_.end())
            notify_.environment_string(it->first, it->second);
        else
            notify_.nack(c.code, XA_ERROR_NO_SUCH_ENVIRONMENT);
        return true;
    case XA_MSG_UNSET_PLAYER_ENVIRONMENT:
        if (env_integers_.erase(c.texts[0]) + env_strings_.erase(c.texts[0]) == 0)
            notify_.nack(c.code, XA_ERROR_NO_SUCH_ENVIRONMENT);
        else
            notify_.ack(c.code);
        return true;
    case XA_MSG_SET_CODEC_QUALITY:
        if (c.ints[0] < XA_CODEC_QUALITY_FULL || c.ints[0] > XA_CODEC_QUALITY_QUARTER) {
            notify_.nack(c.code, XA_ERROR_INVALID_PARAMETERS);
            return true;
        }
        if (quality_ != c.ints[0]) {
            quality_ = c.ints[0];
            reopen_for_quality();
        }
        [[fallthrough]];
    case XA_MSG_GET_CODEC_QUALITY:
        notify_.byte_at(XA_MSG_NOTIFY_CODEC_QUALITY, 4,
                        static_cast<uint8_t>(decoder_ && ready_ ? decoder_->quality() : quality_));
        return true;
    case XA_MSG_SET_CODEC_EQUALIZER:
        if (c.has_data && c.data.size() == sizeof(XA_EqualizerInfo)) {
            XA_EqualizerInfo eq;
            std::memcpy(&eq, c.data.data(), sizeof eq);
            equalizer_ = eq;
        } else {
            equalizer_.reset();
        }
        if (decoder_)
            decoder_->set_equalizer(equalizer_ ? &*equalizer_ : nullptr);
        notify_.ack(c.code);
        return true;
    case XA_MSG_GET_CODEC_EQUALIZER:
        notify_.equalizer(equalizer_.value_or(XA_EqualizerInfo{}));
        return true;
    case XA_MSG_SET_NOTIFICATION_MASK:
        notification_mask_ = static_cast<uint32_t>(c.ints[0]);
        [[fallthrough]];
    case XA_MSG_GET_NOTIFICATION_MASK:
        notify_.u32(XA_MSG_NOTIFY_NOTIFICATION_MASK, notification_mask_);
        return true;
    case XA_MSG_SET_DEBUG_LEVEL:
        debug_level_ = std::clamp(c.ints[0], 0, 255);
        [[fallthrough]];
    case XA_MSG_GET_DEBUG_LEVEL:
        notify_.byte_at(XA_MSG_NOTIFY_DEBUG_LEVEL, 4, static_cast<uint8_t>(debug_level_));
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- input

void Engine::open_input(const std::string &name)
{
    close_input(true);
    input_name_ = name;
    if (name.empty()) {
        notify_.nack(XA_MSG_COMMAND_INPUT_OPEN, XA_ERROR_INVALID_PARAMETERS);
        return;
    }
    open_location(name, false);
}

// Opens `name`, or, when it is a playlist, its entries in order until one opens. A stream is acknowledged at
// once and reported open once its format is known; `acked` tells whether the open was acknowledged already.
void Engine::open_location(std::string name, bool acked)
{
    while (true) {
        if (is_url(name)) {
            url_ = name;
            start_stream();
            if (!acked)
                notify_.ack(XA_MSG_COMMAND_INPUT_OPEN);
            return;
        }
        const std::string path = local_path(name);
        int rc = check_readable_file(path);
        std::string text;
        if (rc == XA_SUCCESS && playlist_by_name(path)) {
            if (take_playlist(read_head(path), path)) {
                rc = XA_FAILURE;  // go on with its first entry
            } else {
                rc = XA_ERROR_INPUT_NOT_FOUND;
                text = "the playlist names nothing that can be played";
            }
        } else if (rc == XA_SUCCESS) {
            decoder_ = std::make_unique<MpegDecoder>();
            if (equalizer_)
                decoder_->set_equalizer(&*equalizer_);
            std::weak_ptr<CommandQueue> weak = queue_;
            rc = decoder_->open_file(path, quality_, [weak] {
                if (auto q = weak.lock())
                    q->wake();
            });
            if (rc == XA_SUCCESS) {
                entries_.clear();
                if (!acked)
                    notify_.ack(XA_MSG_COMMAND_INPUT_OPEN);
                input_ready();
                return;
            }
            decoder_.reset();
        }
        if (rc == XA_ERROR_INPUT_NOT_MPEG_AUDIO) {
            // A playlist under another name is known by its first bytes.
            const std::string content = read_head(path);
            if (playlist_by_content(reinterpret_cast<const uint8_t *>(content.data()), content.size()) &&
                take_playlist(content, path))
                rc = XA_FAILURE;
        }
        if (!next_entry(rc, text))
            return;
        name = entries_.front();
        entries_.pop_front();
    }
}

// After a failed entry: true when another playlist entry is left to try. Otherwise the open fails with `error`
// (and `text`, when there is one, as the reason).
bool Engine::next_entry(int error, const std::string &text)
{
    if (!entries_.empty())
        return true;
    if (!text.empty())
        notify_.error(kSourceInput, static_cast<int16_t>(error), text);
    notify_.nack(XA_MSG_COMMAND_INPUT_OPEN, error == XA_FAILURE ? XA_ERROR_INPUT_NOT_FOUND : error);
    notify_.byte_at(XA_MSG_NOTIFY_INPUT_STATE, 4, XA_INPUT_STATE_CLOSED);
    return false;
}

// Puts a playlist's entries ahead of those still to try; false when it names nothing or playlists nest too deep.
bool Engine::take_playlist(const std::string &text, const std::string &base)
{
    if (++playlist_hops_ > kPlaylistHops)
        return false;
    const std::vector<std::string> entries = playlist_entries(text, base);
    entries_.insert(entries_.begin(), entries.begin(), entries.end());
    return !entries.empty();
}

void Engine::close_input(bool report)
{
    const bool had_input = decoder_ != nullptr || stream_ != nullptr;
    // After the end of the file its last part may still be playing: a song opened now follows it seamlessly.
    clear_pending();
    if (state_ == XA_PLAYER_STATE_PLAYING || state_ == XA_PLAYER_STATE_PAUSED) {
        output_.drop();
        if (report)
            set_state(XA_PLAYER_STATE_STOPPED);
        else
            state_ = XA_PLAYER_STATE_STOPPED;
    }
    stop_stream();
    decoder_.reset();
    url_.clear();
    entries_.clear();
    playlist_hops_ = 0;
    ready_ = false;
    play_pending_ = false;
    at_end_ = false;
    last_reported_ = -1;
    if (had_input && report)
        notify_.byte_at(XA_MSG_NOTIFY_INPUT_STATE, 4, XA_INPUT_STATE_CLOSED);
}

void Engine::start_stream()
{
    HttpOptions options;
    if (auto it = env_integers_.find(kEnvConnectTimeout); it != env_integers_.end() && it->second > 0)
        options.connect_timeout_ms = it->second;
    if (auto it = env_integers_.find(kEnvStallTimeout); it != env_integers_.end() && it->second > 0)
        options.stall_timeout_ms = it->second;
    // The transfer may outlive the engine; it only wakes a queue that still exists.
    std::weak_ptr<CommandQueue> weak = queue_;
    stream_ = HttpStream::start(url_, options, [weak] {
        if (auto q = weak.lock())
            q->wake();
    });
    decoder_ = std::make_unique<MpegDecoder>();
    if (equalizer_)
        decoder_->set_equalizer(&*equalizer_);
    decoder_->open_feed(quality_);
    stream_start_.clear();
    stream_checked_ = false;
    stream_is_playlist_ = false;
    playlist_text_.clear();
    stream_data_since_ms_ = -1;
    stream_fed_ = 0;
    stream_tag_bytes_ = 0;
    title_seen_ = 0;
    ready_ = false;
}

void Engine::stop_stream()
{
    if (stream_) {
        stream_->cancel();
        stream_.reset();
    }
}

void Engine::pump_stream()
{
    if (!stream_ || !decoder_ || ready_)
        return;
    uint8_t buffer[16384];
    size_t n;
    std::string refused;  // what the stream is instead of MPEG audio
    size_t taken = 0;     // a fast server never keeps the engine here for longer than a few reads
    while (taken < kStreamStartLimit && (n = stream_->read(buffer, sizeof buffer)) > 0) {
        taken += n;
        if (!stream_checked_) {
            // The first bytes and the media type tell a playlist, or a format that is not MPEG audio.
            stream_checked_ = true;
            // A song's cover art may come first: the time and bytes without audio count from the end of its
            // tag (up to 16 MB of it; a larger size is no picture but garbage).
            stream_tag_bytes_ = std::min<size_t>(id3v2_tag_bytes(buffer, n), kStreamTagLimit);
            const std::string type = stream_->content_type();
            stream_is_playlist_ = playlist_by_name(url_) || playlist_by_type(type) || playlist_by_content(buffer, n);
            if (!stream_is_playlist_)
                refused = not_mpeg_audio(type, buffer, n);
            if (!refused.empty())
                break;
        }
        if (stream_is_playlist_) {
            playlist_text_.append(reinterpret_cast<const char *>(buffer), n);
            if (playlist_text_.size() > kPlaylistLimit) {
                refused = "a text too long for a playlist";
                break;
            }
            continue;
        }
        decoder_->feed(buffer, n);
        // What follows the leading tag is kept for a start over at another quality (the decoder skips the tag,
        // and a tag larger than what is kept would make it skip audio instead).
        const size_t in_tag = stream_fed_ < stream_tag_bytes_ ? std::min(n, stream_tag_bytes_ - stream_fed_) : 0;
        stream_fed_ += n;
        if (stream_data_since_ms_ < 0 && stream_fed_ > stream_tag_bytes_)
            stream_data_since_ms_ = now_ms();
        if (stream_start_.size() < kStreamStartLimit)
            stream_start_.insert(stream_start_.end(), buffer + in_tag, buffer + n);
        const int rc = decoder_->probe_format();
        if (rc == XA_SUCCESS) {
            input_ready();
            break;
        }
        if (rc == XA_ERROR_OUTPUT_FORMAT && decoder_->quality() > 0) {
            // The reduced rate is impossible for this stream: start over one quality step better.
            const int better = decoder_->quality() - 1;
            decoder_->open_feed(better);
            decoder_->feed(stream_start_.data(), stream_start_.size());
            if (decoder_->probe_format() == XA_SUCCESS) {
                input_ready();
                break;
            }
        }
    }
    if (ready_)
        return;
    // The reading stopped at its limit: more may have arrived than was read, and a transfer that has ended
    // has not necessarily been read to its end (a song with a large tag from a fast server).
    const bool unread = taken >= kStreamStartLimit;
    const HttpStream::State state = stream_->state();
    // A stream whose first seconds (or first megabyte) hold no MPEG audio frame will not start to hold one.
    if (refused.empty() && !stream_is_playlist_ && stream_data_since_ms_ >= 0 &&
        (now_ms() - stream_data_since_ms_ >= kNotMpegAfterMs || stream_fed_ - stream_tag_bytes_ >= kNotMpegAfterBytes))
        refused = "data without MPEG audio frames";
    if (refused.empty() && unread) {
        queue_->wake();  // read on at once, the commands that came meanwhile answered first
        return;
    }
    if (stream_is_playlist_ && refused.empty() && state == HttpStream::State::Finished) {
        const std::string base = url_;
        stop_stream();
        decoder_.reset();
        url_.clear();
        if (take_playlist(playlist_text_, base) ||
            next_entry(XA_ERROR_INPUT_NOT_FOUND, "the playlist names nothing that can be played")) {
            const std::string next = entries_.front();
            entries_.pop_front();
            open_location(next, true);
        } else {
            play_pending_ = false;
        }
        return;
    }
    if (refused.empty() && state != HttpStream::State::Failed && state != HttpStream::State::Finished)
        return;
    // Nothing playable arrived: this location failed; a playlist goes on with its next entry.
    int err = XA_ERROR_INPUT_NOT_MPEG_AUDIO;
    std::string text;
    if (!refused.empty()) {
        text = "the stream is not MPEG audio: " + refused;
    } else if (state == HttpStream::State::Failed) {
        err = stream_->error();
        text = stream_->error_text();
    } else {
        text = "the stream ended before any MPEG audio";
    }
    stop_stream();
    decoder_.reset();
    url_.clear();
    if (next_entry(err, text)) {
        const std::string next = entries_.front();
        entries_.pop_front();
        open_location(next, true);
        return;
    }
    play_pending_ = false;
}

void Engine::input_ready()
{
    ready_ = true;
    stream_start_.clear();
    stream_start_.shrink_to_fit();
    notify_.byte_at(XA_MSG_NOTIFY_INPUT_STATE, 4, XA_INPUT_STATE_OPEN);
    notify_.text(XA_MSG_NOTIFY_INPUT_NAME, input_name_);
    notify_.u32(XA_MSG_NOTIFY_INPUT_CAPS, is_stream() ? XA_INPUT_CAPS_STREAM : XA_INPUT_CAPS_SEEKABLE);
    report_length();
    if (is_stream())
        report_stream_title(true);
    report_position(true);
    if (play_pending_) {
        play_pending_ = false;
        play();
    }
}

// What the input is and how long it lasts; reported again when a file's scan finds the exact length.
void Engine::report_length()
{
    const StreamInfo info = decoder_->info();
    notify_.stream_info(info.level, info.layer, info.bitrate, info.frequency, info.mode);
    if (decoder_->length() > 0 && decoder_->rate() > 0) {
        const int64_t seconds = (decoder_->length() + decoder_->rate() / 2) / decoder_->rate();
        notify_.u32(XA_MSG_NOTIFY_INPUT_DURATION, static_cast<uint32_t>(seconds));
    } else {
        notify_.u32(XA_MSG_NOTIFY_INPUT_DURATION, 0);
    }
}

void Engine::check_scan()
{
    if (decoder_ && ready_ && !is_stream() && !decoder_->scan_applied() && decoder_->apply_scan()) {
        report_length();
        last_reported_ = -1;  // the position is a share of the length
    }
}

void Engine::report_stream_title(bool force)
{
    if (!stream_)
        return;
    if (!force && stream_->title_count() == title_seen_)
        return;
    // The title and its count are taken together, so a title that arrives meanwhile is reported once.
    std::string title = stream_->stream_title(&title_seen_);
    if (!force && title == title_reported_)
        return;  // changed and changed back since the last look
    title_reported_ = title;
    notify_.text(XA_MSG_NOTIFY_INPUT_STREAM_TITLE, title_reported_);
}

void Engine::reopen_for_quality()
{
    if (!decoder_ || !ready_ || is_stream())
        return;  // streams take the new quality when they are next opened
    const double seconds = decoder_->rate() > 0 ? static_cast<double>(decoder_->tell()) / decoder_->rate() : 0.0;
    auto fresh = std::make_unique<MpegDecoder>();
    if (equalizer_)
        fresh->set_equalizer(&*equalizer_);
    if (fresh->open_file(decoder_->path(), quality_) != XA_SUCCESS) {
        notify_.error(kSourceCodec, XA_ERROR_DECODER, "the input could not be reopened at the new quality");
        return;  // keep decoding at the old quality
    }
    fresh->seek(static_cast<int64_t>(seconds * fresh->rate()));
    decoder_ = std::move(fresh);
    output_.drop();
    clear_pending();
    last_reported_ = -1;
}

// ---------------------------------------------------------------- playback

void Engine::play()
{
    if (is_stream() && !ready_) {
        if (!stream_)
            start_stream();  // a stopped stream connects again
        play_pending_ = true;
        notify_.ack(XA_MSG_COMMAND_PLAY);
        return;
    }
    if (!decoder_) {
        notify_.nack(XA_MSG_COMMAND_PLAY, XA_ERROR_NO_INPUT);
        return;
    }
    if (state_ == XA_PLAYER_STATE_PLAYING) {
        notify_.ack(XA_MSG_COMMAND_PLAY);
        return;
    }
    if (at_end_) {
        output_.drop();     // what is left of the last play
        decoder_->seek(0);  // playing again after the end starts over
        at_end_ = false;
    }
    release_pending_ = false;
    if (!ensure_output_started()) {
        notify_.error(kSourceOutput, XA_ERROR_OUTPUT_OPEN_FAILED, output_.last_error());
        notify_.nack(XA_MSG_COMMAND_PLAY, XA_ERROR_OUTPUT_OPEN_FAILED);
        return;
    }
    set_state(XA_PLAYER_STATE_PLAYING);
    notify_.ack(XA_MSG_COMMAND_PLAY);
}

bool Engine::ensure_output_started()
{
    const bool was_open = output_.is_open();
    if (output_.started() && (output_.rate() == decoder_->rate() || !output_.drained())) {
        // A different format waits until the last one has been heard (play_chunk restarts the output then).
        output_.resume();
        return true;
    }
    if (!output_.start(decoder_->rate()))
        return false;
    if (!was_open)
        notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_OPEN);
    return true;
}

void Engine::pause()
{
    if (!decoder_ && !is_stream()) {
        notify_.nack(XA_MSG_COMMAND_PAUSE, XA_ERROR_NO_INPUT);
        return;
    }
    play_pending_ = false;
    if (state_ == XA_PLAYER_STATE_PLAYING) {
        output_.pause();
        release_output_if(XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_PAUSE);
        set_state(XA_PLAYER_STATE_PAUSED);
    }
    notify_.ack(XA_MSG_COMMAND_PAUSE);
}

void Engine::stop()
{
    if (!decoder_ && !is_stream()) {
        notify_.nack(XA_MSG_COMMAND_STOP, XA_ERROR_NO_INPUT);
        return;
    }
    play_pending_ = false;
    output_.drop();
    clear_pending();
    release_pending_ = false;
    if (!release_output_if(XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_STOP))
        output_.stop();
    if (is_stream()) {
        // A live stream cannot rewind: it is dropped and connects again on the next Play.
        stop_stream();
        decoder_.reset();
        ready_ = false;
    } else if (decoder_) {
        decoder_->seek(0);
    }
    at_end_ = false;
    set_state(XA_PLAYER_STATE_STOPPED);
    report_position(true);
    notify_.ack(XA_MSG_COMMAND_STOP);
}

void Engine::seek(int32_t offset, int32_t range)
{
    if (!decoder_ || !ready_) {
        notify_.nack(XA_MSG_COMMAND_INPUT_SEEK, is_stream() ? XA_ERROR_INPUT_NOT_SEEKABLE : XA_ERROR_NO_INPUT);
        return;
    }
    if (!decoder_->seekable() || decoder_->length() <= 0) {
        notify_.nack(XA_MSG_COMMAND_INPUT_SEEK, XA_ERROR_INPUT_NOT_SEEKABLE);
        return;
    }
    if (range <= 0) {
        notify_.nack(XA_MSG_COMMAND_INPUT_SEEK, XA_ERROR_INVALID_PARAMETERS);
        return;
    }
    // A small file's scan is a matter of milliseconds: wait for it, so that the seek is exact at once.
    decoder_->prepare_seek();
    check_scan();
    const int64_t clamped = std::clamp<int64_t>(offset, 0, range);
    const int64_t target = clamped * decoder_->length() / range;
    if (!decoder_->seek(target)) {
        notify_.nack(XA_MSG_COMMAND_INPUT_SEEK, XA_ERROR_DECODER);
        return;
    }
    if (state_ != XA_PLAYER_STATE_STOPPED)
        output_.drop();  // what the device holds belongs to the old position
    clear_pending();
    at_end_ = false;
    report_position(true);
    notify_.ack(XA_MSG_COMMAND_INPUT_SEEK);
}

size_t Engine::feed_stream()
{
    if (!stream_ || !decoder_)
        return 0;
    uint8_t buffer[16384];
    const size_t n = stream_->read(buffer, sizeof buffer);
    decoder_->feed(buffer, n);
    report_stream_title(false);
    return n;
}

void Engine::clear_pending()
{
    pending_offset_ = pending_bytes_ = 0;
    finishing_ = false;
    single_frame_steps_ = kSingleFrameSteps;
}

bool Engine::write_pending()
{
    while (pending_bytes_ > 0) {
        const size_t n = output_.play(pcm_.data() + pending_offset_, pending_bytes_);
        if (n == 0) {
            output_full_ = true;
            return false;
        }
        pending_offset_ += n;
        pending_bytes_ -= n;
    }
    return true;
}

void Engine::check_output()
{
    if (!output_.is_open())
        return;
    if (output_.failed())
        output_failure(output_.last_error());
    else if ((pending_bytes_ > 0 || finishing_) && output_.stalled_ms() > kStallMs)
        output_failure("the sound device took no audio for " + std::to_string(kStallMs / 1000) + " seconds");
}

void Engine::output_failure(const std::string &why)
{
    notify_.error(kSourceOutput, XA_ERROR_OUTPUT_WRITE, why);
    clear_pending();
    output_.close();  // the next Play opens the device again
    notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_CLOSED);
    if (state_ == XA_PLAYER_STATE_PLAYING)
        set_state(XA_PLAYER_STATE_PAUSED);
}

void Engine::play_chunk()
{
    if (!decoder_)
        return;
    if (pending_bytes_ > 0) {
        if (output_.started() && output_.rate() != decoder_->rate()) {
            // The next song has another format: the last one plays out before the output restarts.
            if (!output_.drained()) {
                output_.finish();
                output_full_ = true;
                return;
            }
            if (!ensure_output_started()) {
                notify_.error(kSourceOutput, XA_ERROR_OUTPUT_OPEN_FAILED, output_.last_error());
                set_state(XA_PLAYER_STATE_PAUSED);
                return;
            }
        }
        write_pending();
        return;
    }
    size_t got = 0;
    const long rate_before = decoder_->rate();
    const size_t want = single_frame_steps_ > 0 ? kFrameBytes : pcm_.size();
    if (single_frame_steps_ > 0)
        --single_frame_steps_;
    MpegDecoder::Read r = decoder_->read(pcm_.data(), want, &got);
    // A stream is fed only as fast as it is decoded, so the decoder never holds more than one block ahead.
    if (r == MpegDecoder::Read::NeedMore && is_stream() && feed_stream() > 0)
        r = decoder_->read(pcm_.data(), want, &got);
    switch (r) {
    case MpegDecoder::Read::Data: {
        auto *samples = reinterpret_cast<int16_t *>(pcm_.data());
        apply_sound(samples, got / 4, sound_);
        pending_offset_ = 0;
        pending_bytes_ = got;
        if (decoder_->rate() != rate_before || !output_.started() || output_.rate() != decoder_->rate()) {
            if (output_.started() && !output_.drained()) {
                output_.finish();
                output_full_ = true;
                return;
            }
            if (!ensure_output_started()) {
                notify_.error(kSourceOutput, XA_ERROR_OUTPUT_OPEN_FAILED, output_.last_error());
                clear_pending();
                set_state(XA_PLAYER_STATE_PAUSED);
                return;
            }
        }
        write_pending();
        report_position(false);
        return;
    }
    case MpegDecoder::Read::NeedMore:
        if (stream_ &&
            (stream_->state() == HttpStream::State::Streaming || stream_->state() == HttpStream::State::Connecting)) {
            output_.finish();  // what is queued plays while the network catches up
            waiting_for_data_ = true;
            return;
        }
        if (stream_ && stream_->state() == HttpStream::State::Failed)
            notify_.error(kSourceInput, static_cast<int16_t>(stream_->error()), stream_->error_text());
        decoding_ended();
        return;
    case MpegDecoder::Read::Done:
        if (decoder_->awaiting_exact()) {
            // A seek by estimate may have landed past the real end: the index, due any moment (its scan wakes
            // the queue), puts playback on the asked place, and decoding goes on from there.
            waiting_for_data_ = true;
            return;
        }
        decoding_ended();
        return;
    case MpegDecoder::Read::Error:
        notify_.error(kSourceCodec, XA_ERROR_DECODER, "the input could not be decoded any further");
        decoding_ended();
        return;
    }
}

void Engine::decoding_ended()
{
    output_.finish();
    // A device that plays in real time still holds the song's last part: the end is reported now so the next
    // song can be queued behind it. A file output is finished first, so what it wrote is complete.
    if (output_.realtime() || !output_.started())
        end_of_file();
    else
        finishing_ = true;
}

void Engine::end_of_file()
{
    at_end_ = true;
    report_position(true, false);
    set_state(XA_PLAYER_STATE_EOF);
    release_pending_ = (mode_ & XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF) != 0;
}

bool Engine::release_output_if(int mode_bit)
{
    if (!(mode_ & mode_bit) || !output_.is_open())
        return false;
    output_.close();
    notify_.byte_at(XA_MSG_NOTIFY_OUTPUT_STATE, 4, XA_OUTPUT_STATE_CLOSED);
    return true;
}

void Engine::set_state(int state)
{
    if (state == state_)
        return;
    state_ = state;
    notify_.byte_at(XA_MSG_NOTIFY_PLAYER_STATE, 4, static_cast<uint8_t>(state));
}

// ---------------------------------------------------------------- reports

int64_t Engine::position_samples() { return decoder_ ? decoder_->tell() : 0; }

void Engine::report_position(bool force, bool heard)
{
    if (!decoder_ || decoder_->rate() <= 0)
        return;
    int64_t pos = position_samples();
    const int64_t step = std::max<int64_t>(1, decoder_->rate() * granularity_ms_ / 1000);
    // What is heard is never ahead of what has been decoded: most calls end here without asking the output.
    if (!force && last_reported_ >= 0 && pos >= last_reported_ && pos - last_reported_ < step)
        return;
    if (heard && state_ == XA_PLAYER_STATE_PLAYING) {
        // What is heard lags the decoder by what the output still holds.
        const int64_t held = static_cast<int64_t>(pending_bytes_ / 4) + output_.queued_frames();
        pos = std::max<int64_t>(0, pos - held);
    }
    if (!force && last_reported_ >= 0 && pos - last_reported_ < step && pos >= last_reported_)
        return;
    last_reported_ = pos;
    const int64_t length = decoder_->length();
    if (length > 0) {
        const int64_t offset = std::min<int64_t>(pos, length) * position_range_ / length;
        notify_.position(static_cast<uint32_t>(offset), static_cast<uint32_t>(position_range_));
    }
    notify_.timecode(pos * 1000 / decoder_->rate());
}

void Engine::report_volume() { notify_.volume(sound_.master, sound_.pcm, sound_.balance); }

void Engine::report_module(int code, int id, const std::string &name, const std::string &description, int devices)
{
    notify_.module_info(code, static_cast<uint8_t>(id), static_cast<uint8_t>(devices), name, description);
}

void Engine::report_output_modules()
{
    const auto modules = AudioOutput::modules();
    for (size_t i = 0; i < modules.size(); ++i)
        report_module(XA_MSG_NOTIFY_OUTPUT_MODULE_INFO, static_cast<int>(i), modules[i].name, modules[i].description,
                      0);
}

}  // namespace xa_engine
