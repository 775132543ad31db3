#include "out123_output.h"

#include <out123.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace xa_engine {

namespace {
using namespace std::chrono_literals;

// The device buffer: short enough that pause, stop and seek are heard soon, long enough not to drop out.
constexpr double kDeviceBufferSeconds = 0.2;
// The audio decoded ahead of the device (about half a second of 44.1 kHz stereo), and what the thread hands to
// out123_play at once.
constexpr size_t kBufferBytes = 96 * 1024;
constexpr size_t kChunkBytes = 16 * 1024;
// Files and the test output take audio as fast as it comes and nobody hears how far ahead decoding runs:
// bigger hand-overs mean fewer turns between the engine and this thread.
constexpr size_t kFileBufferBytes = 512 * 1024;
constexpr size_t kFileChunkBytes = 128 * 1024;
// How long opening the device and giving it back may keep the engine waiting.
constexpr auto kOpenWait = 1000ms;
constexpr auto kCloseWait = 100ms;

bool is_file_module(const std::string &driver)
{
    return driver == "wav" || driver == "au" || driver == "cdr" || driver == "raw" || driver == "test";
}
}  // namespace

struct Out123Output::Shared {
    enum class Op { Open, Start, Pause, Resume, Drop, Stop };
    struct Request {
        Op op;
        long rate;
        uint64_t seq;
    };
    std::string driver;
    std::string device;
    OutputWakeup wake;

    std::mutex m;
    std::condition_variable cv;
    std::deque<Request> requests;
    uint64_t next_seq = 1;
    uint64_t done_seq = 0;
    bool last_ok = true;
    std::string last_error;
    size_t chunk_bytes = kChunkBytes;
    std::vector<uint8_t> ring;  // the audio waiting for the device: `count` bytes from `head` on, wrapping
    size_t head = 0;
    size_t count = 0;
    size_t in_flight = 0;         // bytes inside out123_play right now
    bool writer_blocked = false;  // the engine found the buffer full and waits to be woken
    bool primed = false;          // audio has gone out since the last start, drop or stop (until then, small chunks)
    bool paused = false;
    bool finishing = false;
    bool drained = true;
    OutputClock::time_point idle_since = OutputClock::now();
    OutputClock::time_point progress = OutputClock::now();
    std::atomic<bool> failed{false};  // read without the lock on every decoded block
    std::string fail_reason;
    bool quit = false;
    bool finished = false;  // the thread has given the device back and is gone

    size_t waiting() const { return count; }
    // What the thread waits for before it plays: the first sound after a start or seek goes out early.
    size_t threshold() const { return primed ? chunk_bytes : std::min(chunk_bytes, kChunkBytes); }
    size_t room() const { return ring.size() - count; }
    void clear() { head = count = 0; }
    void put(const uint8_t *p, size_t n)  // n <= room()
    {
        size_t at = head + count;
        if (at >= ring.size())
            at -= ring.size();
        const size_t first = std::min(n, ring.size() - at);
        std::memcpy(ring.data() + at, p, first);
        std::memcpy(ring.data(), p + first, n - first);
        count += n;
    }
    void take(uint8_t *to, size_t n)  // n <= count
    {
        const size_t first = std::min(n, ring.size() - head);
        std::memcpy(to, ring.data() + head, first);
        std::memcpy(to + first, ring.data(), n - first);
        head += n;
        if (head >= ring.size())
            head -= ring.size();
        count -= n;
        if (count == 0)
            head = 0;
    }
    uint64_t post(Op op, long rate = 0)
    {
        const uint64_t seq = next_seq++;
        requests.push_back({op, rate, seq});
        cv.notify_all();
        return seq;
    }
};

namespace {
using Shared = Out123Output::Shared;

// Performs one request on the output thread; returns false with a reason when it failed.
bool perform(out123_handle *ao, const Shared::Request &r, const Shared &s, bool &opened, bool &started,
             std::string &error)
{
    using Op = Shared::Op;
    if (!ao) {
        error = "the audio output library could not be started";
        return false;
    }
    switch (r.op) {
    case Op::Open:
        if (out123_open(ao, s.driver.c_str(), s.device.empty() ? nullptr : s.device.c_str()) != OUT123_OK) {
            error = out123_strerror(ao);
            return false;
        }
        opened = true;
        return true;
    case Op::Start:
        if (started)
            out123_stop(ao);
        started = false;
        if (out123_start(ao, r.rate, 2, MPG123_ENC_SIGNED_16) != OUT123_OK) {
            error = out123_strerror(ao);
            return false;
        }
        started = true;
        return true;
    case Op::Pause:
        if (started)
            out123_pause(ao);
        return true;
    case Op::Resume:
        if (started)
            out123_continue(ao);
        return true;
    case Op::Drop:
        if (started)
            out123_drop(ao);
        return true;
    case Op::Stop:
        if (started)
            out123_stop(ao);
        started = false;
        return true;
    }
    return true;
}

void output_thread(std::shared_ptr<Shared> s)
{
    out123_handle *ao = out123_new();
    if (ao) {
        out123_param_int(ao, OUT123_ADD_FLAGS, OUT123_QUIET);
        out123_param_float(ao, OUT123_DEVICEBUFFER, kDeviceBufferSeconds);
        out123_param_string(ao, OUT123_NAME, "DAK-MP3");
    }
    bool opened = false;
    bool started = false;
    std::vector<uint8_t> chunk(s->chunk_bytes);
    std::unique_lock lock(s->m);
    while (true) {
        if (!s->requests.empty()) {
            const Shared::Request r = s->requests.front();
            s->requests.pop_front();
            lock.unlock();
            std::string error;
            const bool ok = perform(ao, r, *s, opened, started, error);
            lock.lock();
            s->done_seq = r.seq;
            s->last_ok = ok;
            s->last_error = error;
            if (!ok && r.op == Shared::Op::Start) {
                s->fail_reason = "the sound device could not start: " + error;
                s->failed = true;
            }
            s->cv.notify_all();
            if (s->wake)
                s->wake();
            continue;
        }
        if (s->quit)
            break;
        // Whole chunks only (or the rest at the end), so that the engine and this thread take turns once per
        // chunk rather than once per decoded frame.
        if (started && !s->paused && (s->waiting() >= s->threshold() || (s->finishing && s->waiting() > 0))) {
            const size_t n = std::min(s->waiting(), s->chunk_bytes);
            s->take(chunk.data(), n);
            s->in_flight = n;
            lock.unlock();
            const size_t played = out123_play(ao, chunk.data(), n);
            lock.lock();
            s->in_flight = 0;
            s->progress = OutputClock::now();
            s->primed = true;
            if (played < n && !s->failed) {
                s->fail_reason = "the sound device stopped taking audio";
                s->failed = true;
                s->clear();
                if (s->wake)
                    s->wake();
            }
            // The engine is woken only when it waits for room, and only once half the buffer is free: one
            // turn per half buffer instead of one per chunk.
            if (s->writer_blocked && s->room() >= s->ring.size() / 2) {
                s->writer_blocked = false;
                if (s->wake)
                    s->wake();
            }
            continue;
        }
        if (started && s->finishing && !s->drained && s->waiting() == 0) {
            lock.unlock();
            out123_drain(ao);
            lock.lock();
            if (s->waiting() == 0 && s->finishing) {
                s->drained = true;
                s->idle_since = OutputClock::now();
            }
            if (s->wake)
                s->wake();
            continue;
        }
        if (!started && s->waiting() > 0 && !s->paused && s->finishing && !s->drained) {
            // Nothing can play what is left (the device did not start): count it as played out.
            s->clear();
            s->drained = true;
            s->idle_since = OutputClock::now();
        }
        s->cv.wait(lock);
    }
    lock.unlock();
    if (ao) {
        if (started)
            out123_stop(ao);
        if (opened)
            out123_close(ao);
        out123_del(ao);
    }
    lock.lock();
    s->finished = true;
    s->cv.notify_all();
}
}  // namespace

Out123Output::Out123Output(std::string driver, std::string device, OutputWakeup wake)
    : driver_(std::move(driver)), device_(std::move(device)), wake_(std::move(wake)),
      realtime_(!is_file_module(driver_))
{ }

Out123Output::~Out123Output() { close(); }

bool Out123Output::open(std::string &error)
{
    if (shared_)
        return true;
    auto s = std::make_shared<Shared>();
    s->driver = driver_;
    s->device = device_;
    s->wake = wake_;
    s->ring.resize(realtime_ ? kBufferBytes : kFileBufferBytes);
    s->chunk_bytes = realtime_ ? kChunkBytes : kFileChunkBytes;
    std::thread(output_thread, s).detach();
    std::unique_lock lock(s->m);
    const uint64_t seq = s->post(Shared::Op::Open);
    if (!s->cv.wait_for(lock, kOpenWait, [&] { return s->done_seq >= seq; })) {
        error = "the sound device did not answer";
        s->quit = true;
        s->cv.notify_all();
        return false;  // the thread gives the device back whenever the open returns
    }
    if (!s->last_ok) {
        error = s->last_error;
        s->quit = true;
        s->cv.notify_all();
        return false;
    }
    shared_ = std::move(s);
    return true;
}

bool Out123Output::start(long rate, std::string &error)
{
    if (!shared_ && !open(error))
        return false;
    std::lock_guard lock(shared_->m);
    shared_->clear();
    shared_->primed = false;
    shared_->paused = false;
    shared_->finishing = false;
    shared_->drained = true;
    shared_->progress = OutputClock::now();
    shared_->post(Shared::Op::Start, rate);  // a failure shows in failed()
    return true;
}

size_t Out123Output::write(const void *data, size_t bytes)
{
    if (!shared_)
        return 0;
    std::lock_guard lock(shared_->m);
    auto &s = *shared_;
    if (s.failed)
        return 0;
    const size_t n = std::min(s.room(), bytes) / 4 * 4;
    s.writer_blocked = n < bytes;
    if (n == 0)
        return 0;
    const bool was_short = s.waiting() < s.threshold();
    s.put(static_cast<const uint8_t *>(data), n);
    s.finishing = false;
    s.drained = false;
    if (was_short && s.waiting() >= s.threshold())
        s.cv.notify_all();  // the thread waits for a whole chunk
    return n;
}

void Out123Output::pause()
{
    if (!shared_)
        return;
    std::lock_guard lock(shared_->m);
    if (!shared_->paused) {
        shared_->paused = true;
        shared_->post(Shared::Op::Pause);
    }
}

void Out123Output::resume()
{
    if (!shared_)
        return;
    std::lock_guard lock(shared_->m);
    shared_->progress = OutputClock::now();
    if (shared_->paused) {
        shared_->paused = false;
        shared_->post(Shared::Op::Resume);
    }
}

void Out123Output::drop()
{
    if (!shared_)
        return;
    std::lock_guard lock(shared_->m);
    shared_->clear();
    shared_->primed = false;
    shared_->drained = true;
    shared_->idle_since = OutputClock::now();
    shared_->post(Shared::Op::Drop);
}

void Out123Output::finish()
{
    if (!shared_)
        return;
    std::lock_guard lock(shared_->m);
    if (!shared_->drained) {
        shared_->finishing = true;
        shared_->cv.notify_all();
    }
}

void Out123Output::stop()
{
    if (!shared_)
        return;
    std::lock_guard lock(shared_->m);
    shared_->clear();
    shared_->primed = false;
    shared_->drained = true;
    shared_->post(Shared::Op::Stop);
}

void Out123Output::close()
{
    if (!shared_)
        return;
    auto s = std::move(shared_);
    std::unique_lock lock(s->m);
    s->clear();
    s->quit = true;
    s->cv.notify_all();
    // A device that does not answer keeps the thread; the caller goes on.
    s->cv.wait_for(lock, kCloseWait, [&] { return s->finished; });
}

bool Out123Output::drained(OutputClock::time_point *since)
{
    if (!shared_)
        return true;
    std::lock_guard lock(shared_->m);
    if (since)
        *since = shared_->idle_since;
    return shared_->failed || (shared_->drained && shared_->waiting() == 0 && shared_->in_flight == 0);
}

OutputClock::time_point Out123Output::last_progress()
{
    if (!shared_)
        return OutputClock::now();
    std::lock_guard lock(shared_->m);
    return shared_->progress;
}

bool Out123Output::failed(std::string &error)
{
    if (!shared_ || !shared_->failed)
        return false;
    std::lock_guard lock(shared_->m);
    if (shared_->failed)
        error = shared_->fail_reason;
    return shared_->failed;
}

size_t Out123Output::queued_bytes()
{
    if (!shared_)
        return 0;
    std::lock_guard lock(shared_->m);
    return shared_->waiting() + shared_->in_flight;
}

}  // namespace xa_engine
