#pragma once
// The engine of one player: runs on its own thread, takes commands from the queue, decodes, applies the sound
// settings and writes to the output, and posts every notification to the notification target.
// Threads: run() and everything it calls run on the engine thread only. The output feeds the device from its
// own thread and only wakes the command queue; the engine never waits on the device, so a command is
// answered within one decoded frame whatever the device does. Decoding runs ahead of what is heard by the
// output's buffer, so the end of a song is reported while its last part still plays and the next song can
// follow without a gap.

#include "audio_output.h"
#include "command_queue.h"
#include "http_stream.h"
#include "mpeg_decoder.h"
#include "notifications.h"
#include "sound_processing.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace xa_engine {

class Engine {
public:
    Engine(QObject *target, std::shared_ptr<CommandQueue> queue);
    ~Engine();
    // The thread body: returns after the Exit command.
    void run();

private:
    void handle(const Command &c);
    bool handle_transport(const Command &c);
    bool handle_input(const Command &c);
    bool handle_output(const Command &c);
    bool handle_settings(const Command &c);

    // Input
    void open_input(const std::string &name);
    void open_location(std::string name, bool acked);
    bool next_entry(int error, const std::string &text);
    bool take_playlist(const std::string &text, const std::string &base);
    void check_scan();
    void report_stream_title(bool force);
    void report_length();
    void close_input(bool report);
    void start_stream();
    void stop_stream();
    void pump_stream();
    size_t feed_stream();
    void input_ready();
    void reopen_for_quality();
    bool has_input() const { return decoder_ != nullptr; }
    bool is_stream() const { return !url_.empty(); }

    // Playback
    void play();
    void pause();
    void stop();
    void seek(int32_t offset, int32_t range);
    void play_chunk();
    bool write_pending();
    void decoding_ended();
    void end_of_file();
    void check_output();
    void output_failure(const std::string &why);
    void idle_tasks();
    void clear_pending();
    void set_state(int state);
    bool release_output_if(int mode_bit);
    bool ensure_output_started();

    // Reports
    void report_position(bool force, bool heard = true);
    void report_volume();
    void report_module(int code, int id, const std::string &name, const std::string &description, int devices);
    void report_output_modules();
    int64_t position_samples();

    Notifier notify_;
    std::shared_ptr<CommandQueue> queue_;
    bool running_ = true;

    AudioOutput output_;
    std::unique_ptr<MpegDecoder> decoder_;
    std::shared_ptr<HttpStream> stream_;
    std::string input_name_;             // what is open (or was named with SetInputName)
    std::string url_;                    // the stream's address when the input is a network stream
    std::vector<uint8_t> stream_start_;  // bytes fed before the format was known, for a re-open
    std::deque<std::string> entries_;    // playlist entries still to try, in order, when the current one fails
    int playlist_hops_ = 0;              // playlists read for this open (a playlist may name another)
    bool stream_checked_ = false;        // the stream's first bytes were looked at
    bool stream_is_playlist_ = false;    // the stream is a playlist: its text is collected, not decoded
    std::string playlist_text_;
    int64_t stream_data_since_ms_ = -1;  // when the first bytes after the stream's leading tag arrived
    size_t stream_tag_bytes_ = 0;        // the ID3v2 tag the stream starts with: no audio is looked for in it
    size_t stream_fed_ = 0;              // bytes given to the decoder while its format was unknown
    unsigned title_seen_ = 0;            // the stream title count last looked at
    std::string title_reported_;         // the stream title last reported
    bool ready_ = false;                 // the input's format is known and it can play
    bool play_pending_ = false;          // Play arrived while a stream was still connecting
    bool at_end_ = false;
    bool waiting_for_data_ = false;
    bool output_full_ = false;      // the device took no more audio: wait for its wake-up
    bool finishing_ = false;        // decoding ended; waiting for a file output to take the rest
    bool release_pending_ = false;  // give the device back once it has been idle for a while
    bool drain_ack_pending_ = false;
    size_t pending_offset_ = 0;  // the decoded audio in pcm_ not yet taken by the output
    size_t pending_bytes_ = 0;
    int single_frame_steps_ = 0;  // steps left that decode one frame only (right after an open or a seek)

    int state_ = XA_PLAYER_STATE_STOPPED;
    int mode_ = 0;
    int32_t position_range_ = 1000;
    int32_t granularity_ms_ = 500;  // time and position reports: twice a second of audio
    int64_t last_reported_ = -1;
    SoundSettings sound_;
    uint32_t ports_ = XA_OUTPUT_PORT_SPEAKER;
    int quality_ = XA_CODEC_QUALITY_FULL;
    std::optional<XA_EqualizerInfo> equalizer_;
    uint32_t notification_mask_ = 0xFFFFFFFFu;
    int debug_level_ = 0;
    int input_module_ = -1;
    std::map<std::string, int32_t> env_integers_;
    std::map<std::string, std::string> env_strings_;
    std::vector<uint8_t> pcm_;
};

}  // namespace xa_engine
