#pragma once
// The engine's sound output: picks the backend for the selected module and follows libout123's
// open -> start -> play -> stop -> close life cycle. Nothing here blocks on the device: play() takes what
// fits and the backend's own thread feeds the device, calling the wake-up function as it takes audio.
// "pulse" (and the system default, when a sound server runs) is our own PulseAudio client; every other
// module is libout123's, with the system default falling back to ALSA.

#include "output_backend.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace xa_engine {

struct OutputModuleInfo {
    std::string name;
    std::string description;
};

class AudioOutput {
public:
    explicit AudioOutput(OutputWakeup wake = {});
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Selects what open() uses: "" for the system default (PulseAudio, then ALSA), "module" or
    // "module:device" (for example "pulse:sink_name", "alsa:hw:0", "wav:/tmp/out.wav", "test").
    void select(const std::string &name);
    const std::string &selected() const { return name_; }
    std::string module() const;

    // Returns false with a reason in last_error() when no device could be opened.
    bool open();
    bool is_open() const { return backend_ != nullptr; }
    // Starts (or restarts with a new format) playback of stereo signed 16-bit samples at `rate`.
    bool start(long rate);
    bool started() const { return started_; }
    long rate() const { return rate_; }
    // Queues what fits of the bytes without waiting; returns the bytes taken (0 when the device is full).
    size_t play(const void *data, size_t bytes);
    void pause();
    void resume();
    void drop();    // discards what is queued, silent at once
    void finish();  // nothing follows for now: play out what is queued
    void stop();
    void close();
    // Everything queued has been heard; `idle_ms` tells for how long (0 when it is not drained).
    bool drained(long *idle_ms = nullptr);
    // Milliseconds since the device last took audio.
    long stalled_ms();
    // True once the device failed for good; the reason is in last_error().
    bool failed();
    // Sample frames queued but not yet heard.
    long queued_frames();
    bool realtime() const { return backend_ ? backend_->realtime() : true; }
    const std::string &last_error() const { return error_; }

    static std::vector<OutputModuleInfo> modules();

private:
    std::unique_ptr<OutputBackend> make(const std::string &driver, const std::string &device);

    OutputWakeup wake_;
    std::unique_ptr<OutputBackend> backend_;
    std::string name_;
    bool started_ = false;
    bool paused_ = false;
    long rate_ = 0;
    std::string error_;
};

}  // namespace xa_engine
