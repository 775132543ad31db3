#pragma once
// The sound output over libout123, driven from the engine thread only, following libout123's
// open -> start -> play -> stop -> close life cycle. out123_play blocks while the device buffer is full; that
// is what paces playback. libout123's own forked buffer process is not used.

#include <cstddef>
#include <string>
#include <vector>

struct out123_struct;

namespace xa_engine {

struct OutputModuleInfo {
    std::string name;
    std::string description;
};

class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Selects what open() uses: "" for the system default (PulseAudio, then ALSA), "module" or
    // "module:device" (for example "alsa:hw:0", "wav:/tmp/out.wav", "test").
    void select(const std::string &name);
    const std::string &selected() const { return name_; }
    std::string module() const;

    // Returns false with a reason in last_error() when no device could be opened.
    bool open();
    bool is_open() const { return open_; }
    // Starts (or restarts with a new format) playback of stereo signed 16-bit samples at `rate`.
    bool start(long rate);
    bool started() const { return started_; }
    long rate() const { return rate_; }
    // Plays the bytes; blocks while the device buffer is full. Returns the bytes taken.
    size_t play(const void *data, size_t bytes);
    void pause();
    void resume();
    void drop();   // discards what is buffered, at once
    void drain();  // waits until what is buffered has been played
    void stop();
    void close();
    const std::string &last_error() const { return error_; }

    static std::vector<OutputModuleInfo> modules();

private:
    out123_struct *ao_ = nullptr;
    std::string name_;
    bool open_ = false;
    bool started_ = false;
    bool paused_ = false;
    long rate_ = 0;
    std::string error_;
};

}  // namespace xa_engine
