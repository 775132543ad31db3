#include "pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <thread>

namespace xa_engine {

namespace {
using namespace std::chrono_literals;

// The server-side buffer. Pause, stop and seek never wait for it (cork and flush), so its size only decides
// how often the server asks for audio and how far the engine decodes ahead of what is heard (which is also
// how early the end of a song is known, for a seamless start of the next one).
constexpr double kBufferSeconds = 0.5;
// The server asks for audio whenever this much has room: about four wake-ups a second.
constexpr double kRequestSeconds = 0.25;
// Playback (re)starts once this much is queued; a song shorter than that is started by finish().
constexpr double kPrebufferSeconds = 0.02;
// How long connecting to the server and creating a stream may take before it counts as failed.
constexpr auto kConnectTimeout = 1500ms;
constexpr size_t kFrameBytes = 4;  // stereo, signed 16-bit

uint32_t bytes_for(double seconds, long rate)
{
    return static_cast<uint32_t>(seconds * static_cast<double>(rate)) * kFrameBytes;
}

// Runs `fn` with the main loop's lock held.
template <typename Fn>
auto locked(pa_threaded_mainloop *loop, Fn fn)
{
    pa_threaded_mainloop_lock(loop);
    struct Unlock {
        pa_threaded_mainloop *l;
        ~Unlock() { pa_threaded_mainloop_unlock(l); }
    } unlock{loop};
    return fn();
}

void forget(pa_operation *op)
{
    if (op)
        pa_operation_unref(op);
}
}  // namespace

PulseOutput::PulseOutput(std::string sink, OutputWakeup wake) : sink_(std::move(sink)), wake_(std::move(wake)) { }

PulseOutput::~PulseOutput() { close(); }

void PulseOutput::on_context_state(pa_context *c, void *self)
{
    const pa_context_state_t st = pa_context_get_state(c);
    if (st == PA_CONTEXT_FAILED || st == PA_CONTEXT_TERMINATED)
        static_cast<PulseOutput *>(self)->mark_dead(pa_strerror(pa_context_errno(c)));
}

void PulseOutput::on_stream_state(pa_stream *s, void *self)
{
    auto *out = static_cast<PulseOutput *>(self);
    if (s == out->stream_ && pa_stream_get_state(s) == PA_STREAM_FAILED)
        out->mark_dead(pa_strerror(pa_context_errno(pa_stream_get_context(s))));
}

void PulseOutput::on_write(pa_stream *, size_t, void *self)
{
    auto *out = static_cast<PulseOutput *>(self);
    out->progress_ = OutputClock::now();
    if (out->wake_)
        out->wake_();
}

void PulseOutput::on_underflow(pa_stream *, void *self)
{
    auto *out = static_cast<PulseOutput *>(self);
    out->underflow_ = true;
    out->idle_since_ = OutputClock::now();
    if (out->wake_)
        out->wake_();
}

void PulseOutput::mark_dead(const char *what)
{
    if (!dead_) {
        dead_ = true;
        dead_reason_ = std::string("the sound server connection failed: ") + (what ? what : "unknown error");
    }
    if (wake_)
        wake_();
}

bool PulseOutput::wait_ready(bool for_stream, std::string &error)
{
    const auto deadline = OutputClock::now() + kConnectTimeout;
    while (true) {
        const int verdict = locked(loop_, [&] {
            if (dead_)
                return -1;
            if (for_stream) {
                const pa_stream_state_t st = pa_stream_get_state(stream_);
                return st == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(st) ? 0 : -1;
            }
            const pa_context_state_t st = pa_context_get_state(context_);
            return st == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(st) ? 0 : -1;
        });
        if (verdict > 0)
            return true;
        if (verdict < 0 || OutputClock::now() > deadline) {
            locked(loop_, [&] {
                error = dead_     ? dead_reason_
                    : verdict < 0 ? std::string("the sound server refused: ") + pa_strerror(pa_context_errno(context_))
                                  : std::string("the sound server did not answer");
                return 0;
            });
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
}

bool PulseOutput::open(std::string &error)
{
    if (loop_)
        return true;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        error = "the sound server's client library could not start";
        return false;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "DAK-MP3");
    if (!context_) {
        error = "the sound server's client library could not start";
        close();
        return false;
    }
    dead_ = false;
    pa_context_set_state_callback(context_, &PulseOutput::on_context_state, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = std::string("no sound server: ") + pa_strerror(pa_context_errno(context_));
        close();
        return false;
    }
    if (pa_threaded_mainloop_start(loop_) < 0) {
        error = "the sound server's client thread could not start";
        close();
        return false;
    }
    if (!wait_ready(false, error)) {
        close();
        return false;
    }
    return true;
}

void PulseOutput::drop_stream()
{
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    rate_ = 0;
    staging_.clear();
    requested_ = 0;
}

bool PulseOutput::start(long rate, std::string &error)
{
    if (!loop_ && !open(error))
        return false;
    if (stream_ && rate == rate_) {
        resume();
        return true;
    }
    const bool made = locked(loop_, [&] {
        drop_stream();
        if (dead_) {
            error = dead_reason_;
            return false;
        }
        pa_sample_spec spec;
        spec.format = PA_SAMPLE_S16LE;
        spec.rate = static_cast<uint32_t>(rate);
        spec.channels = 2;
        stream_ = pa_stream_new(context_, "DAK-MP3", &spec, nullptr);
        if (!stream_) {
            error = std::string("the sound server refused the stream: ") + pa_strerror(pa_context_errno(context_));
            return false;
        }
        pa_stream_set_state_callback(stream_, &PulseOutput::on_stream_state, this);
        pa_stream_set_write_callback(stream_, &PulseOutput::on_write, this);
        pa_stream_set_underflow_callback(stream_, &PulseOutput::on_underflow, this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = bytes_for(kBufferSeconds, rate);
        attr.prebuf = bytes_for(kPrebufferSeconds, rate);
        attr.minreq = bytes_for(kRequestSeconds, rate);
        attr.fragsize = static_cast<uint32_t>(-1);
        const auto flags = PA_STREAM_ADJUST_LATENCY;
        if (pa_stream_connect_playback(stream_, sink_.empty() ? nullptr : sink_.c_str(), &attr, flags, nullptr,
                                       nullptr) < 0) {
            error = std::string("the sound server refused the stream: ") + pa_strerror(pa_context_errno(context_));
            drop_stream();
            return false;
        }
        rate_ = rate;
        corked_ = false;
        written_ = 0;
        underflow_ = false;
        idle_since_ = progress_ = OutputClock::now();
        return true;
    });
    if (!made)
        return false;
    if (!wait_ready(true, error)) {
        locked(loop_, [&] {
            drop_stream();
            return 0;
        });
        return false;
    }
    return true;
}

void PulseOutput::flush_staging()
{
    if (!staging_.empty() && stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY)
        pa_stream_write(stream_, staging_.data(), staging_.size(), nullptr, 0, PA_SEEK_RELATIVE);
    staging_.clear();
    requested_ = 0;
}

size_t PulseOutput::write(const void *data, size_t bytes)
{
    if (!loop_)
        return 0;
    return locked(loop_, [&]() -> size_t {
        if (!stream_ || dead_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
            return 0;
        if (staging_.empty()) {
            const size_t room = pa_stream_writable_size(stream_);
            if (room == static_cast<size_t>(-1))
                return 0;
            requested_ = room / kFrameBytes * kFrameBytes;
        }
        const size_t n = std::min(requested_ - staging_.size(), bytes) / kFrameBytes * kFrameBytes;
        if (n == 0)
            return 0;
        const auto *p = static_cast<const uint8_t *>(data);
        staging_.insert(staging_.end(), p, p + n);
        // Out when the request is filled, or at once while playback has yet to begin.
        if (staging_.size() >= requested_ || written_ < bytes_for(kPrebufferSeconds, rate_))
            flush_staging();
        written_ += n;
        underflow_ = false;
        progress_ = OutputClock::now();
        return n;
    });
}

void PulseOutput::cork(bool on)
{
    if (!loop_)
        return;
    locked(loop_, [&] {
        if (stream_ && corked_ != on && pa_stream_get_state(stream_) == PA_STREAM_READY) {
            forget(pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr));
            corked_ = on;
        }
        return 0;
    });
}

void PulseOutput::pause() { cork(true); }

void PulseOutput::resume()
{
    cork(false);
    if (loop_)
        locked(loop_, [&] {
            progress_ = OutputClock::now();  // a stall is counted from the moment playback goes on
            return 0;
        });
}

void PulseOutput::drop()
{
    if (!loop_)
        return;
    locked(loop_, [&] {
        staging_.clear();
        requested_ = 0;
        if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY)
            forget(pa_stream_flush(stream_, nullptr, nullptr));
        written_ = 0;
        underflow_ = false;
        idle_since_ = OutputClock::now();
        return 0;
    });
}

void PulseOutput::finish()
{
    if (!loop_)
        return;
    locked(loop_, [&] {
        flush_staging();
        if (stream_ && !corked_ && pa_stream_get_state(stream_) == PA_STREAM_READY)
            forget(pa_stream_trigger(stream_, nullptr, nullptr));
        return 0;
    });
}

void PulseOutput::stop()
{
    drop();
    cork(true);
}

void PulseOutput::close()
{
    if (!loop_)
        return;
    pa_threaded_mainloop_lock(loop_);
    drop_stream();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    dead_ = false;
    corked_ = false;
}

bool PulseOutput::drained(OutputClock::time_point *since)
{
    if (!loop_)
        return true;
    return locked(loop_, [&] {
        if (since)
            *since = idle_since_;
        return written_ == 0 || underflow_ || dead_;
    });
}

OutputClock::time_point PulseOutput::last_progress()
{
    if (!loop_)
        return OutputClock::now();
    return locked(loop_, [&] { return progress_; });
}

bool PulseOutput::failed(std::string &error)
{
    if (!loop_)
        return false;
    return locked(loop_, [&] {
        if (dead_)
            error = dead_reason_;
        return dead_;
    });
}

size_t PulseOutput::queued_bytes()
{
    if (!loop_)
        return 0;
    // What the server holds is its buffer less the room it asks to be filled (no timing queries: each one
    // is a round trip to the server).
    return locked(loop_, [&]() -> size_t {
        if (!stream_ || written_ == 0 || underflow_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
            return staging_.size();
        const pa_buffer_attr *attr = pa_stream_get_buffer_attr(stream_);
        const size_t room = pa_stream_writable_size(stream_);
        if (!attr || room == static_cast<size_t>(-1))
            return staging_.size();
        return (attr->tlength > room ? attr->tlength - room : 0) + staging_.size();
    });
}

}  // namespace xa_engine
