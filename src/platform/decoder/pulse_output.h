#pragma once
// Sound output straight to a PulseAudio server (or PipeWire's PulseAudio service) over libpulse's asynchronous
// API. libpulse's threaded main loop feeds the server; the engine writes what the server asks for. Pause
// corks the stream and stop and drop flush it, so neither waits for the server-side buffer to play out.

#include "output_backend.h"

#include <cstdint>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace xa_engine {

class PulseOutput final : public OutputBackend {
public:
    // `sink` is the server's sink name, or empty for the default sink.
    PulseOutput(std::string sink, OutputWakeup wake);
    ~PulseOutput() override;
    PulseOutput(const PulseOutput &) = delete;
    PulseOutput &operator=(const PulseOutput &) = delete;

    bool open(std::string &error) override;
    bool start(long rate, std::string &error) override;
    size_t write(const void *data, size_t bytes) override;
    void pause() override;
    void resume() override;
    void drop() override;
    void finish() override;
    void stop() override;
    void close() override;
    bool drained(OutputClock::time_point *since) override;
    OutputClock::time_point last_progress() override;
    bool failed(std::string &error) override;
    size_t queued_bytes() override;
    bool realtime() const override { return true; }

private:
    // Callbacks run on the main loop's thread with its lock held.
    static void on_context_state(pa_context *c, void *self);
    static void on_stream_state(pa_stream *s, void *self);
    static void on_write(pa_stream *s, size_t bytes, void *self);
    static void on_underflow(pa_stream *s, void *self);
    void mark_dead(const char *what);
    void drop_stream();
    void cork(bool on);
    bool wait_ready(bool for_stream, std::string &error);
    void flush_staging();

    std::string sink_;
    OutputWakeup wake_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    long rate_ = 0;
    bool corked_ = false;
    // Audio gathered until the server's request is filled, so that it goes out in one message (each one
    // wakes the server).
    std::vector<uint8_t> staging_;
    size_t requested_ = 0;  // the server's room when the staging began
    // Guarded by the main loop's lock:
    bool dead_ = false;
    std::string dead_reason_;
    size_t written_ = 0;      // bytes written since the last flush
    bool underflow_ = false;  // the server ran out of audio after the last write
    OutputClock::time_point idle_since_ = OutputClock::now();
    OutputClock::time_point progress_ = OutputClock::now();
};

}  // namespace xa_engine
