#pragma once
// What a sound output offers the engine. Every call is made from the engine thread and returns at once (or
// after a bounded wait of at most a few hundred milliseconds for open and start); the device is fed from
// the backend's own thread (libpulse's threaded main loop, or ours for libout123), which calls an
// OutputWakeup whenever the device takes audio, so the engine can decode more.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace xa_engine {

using OutputClock = std::chrono::steady_clock;

class OutputBackend {
public:
    virtual ~OutputBackend() = default;

    // Connects to the device. Returns false with a reason in `error`.
    virtual bool open(std::string &error) = 0;
    // Prepares stereo signed 16-bit playback at `rate` (from scratch or at a new rate), corked until written.
    virtual bool start(long rate, std::string &error) = 0;
    // Queues what fits of the bytes (whole frames) and returns how many were taken; never waits.
    virtual size_t write(const void *data, size_t bytes) = 0;
    virtual void pause() = 0;  // silent at once, what is queued stays
    virtual void resume() = 0;
    virtual void drop() = 0;  // silent at once, what is queued is discarded
    // Nothing more follows for now: play out what is queued, however little.
    virtual void finish() = 0;
    // Ends playback at once; the device stays open.
    virtual void stop() = 0;
    // Gives the device back. Never waits for a device that does not answer.
    virtual void close() = 0;
    // Everything written has been played (or dropped); `since` tells when that happened.
    virtual bool drained(OutputClock::time_point *since) = 0;
    // The last time the device took audio.
    virtual OutputClock::time_point last_progress() = 0;
    // The device failed for good (the sound server went away); the reason goes to `error`.
    virtual bool failed(std::string &error) = 0;
    // Bytes written but not yet heard.
    virtual size_t queued_bytes() = 0;
    // True for devices that play in real time; false for files and the test output, which take audio as fast
    // as it comes.
    virtual bool realtime() const = 0;
};

// Called from a backend's own thread whenever the device took audio or a pending step finished.
using OutputWakeup = std::function<void()>;

}  // namespace xa_engine
