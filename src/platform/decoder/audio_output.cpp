#include "audio_output.h"

#include "out123_output.h"
#include "pulse_output.h"

#include <out123.h>

namespace xa_engine {

namespace {
using namespace std::chrono;

long ms_since(OutputClock::time_point t)
{
    return static_cast<long>(duration_cast<milliseconds>(OutputClock::now() - t).count());
}
}  // namespace

AudioOutput::AudioOutput(OutputWakeup wake) : wake_(std::move(wake)) { }

AudioOutput::~AudioOutput() { close(); }

void AudioOutput::select(const std::string &name) { name_ = name; }

std::string AudioOutput::module() const
{
    const size_t colon = name_.find(':');
    return colon == std::string::npos ? name_ : name_.substr(0, colon);
}

std::unique_ptr<OutputBackend> AudioOutput::make(const std::string &driver, const std::string &device)
{
    if (driver == "pulse")
        return std::make_unique<PulseOutput>(device, wake_);
    return std::make_unique<Out123Output>(driver, device, wake_);
}

bool AudioOutput::open()
{
    if (backend_)
        return true;
    const std::string driver = module();
    std::string device;
    if (const size_t colon = name_.find(':'); colon != std::string::npos)
        device = name_.substr(colon + 1);
    started_ = false;
    paused_ = false;
    rate_ = 0;
    auto backend = make(driver.empty() ? "pulse" : driver, device);
    std::string error;
    if (backend->open(error)) {
        backend_ = std::move(backend);
        return true;
    }
    if (!driver.empty()) {
        error_ = error;
        return false;
    }
    // The system default without a sound server: ALSA.
    auto alsa = make("alsa", device);
    std::string alsa_error;
    if (alsa->open(alsa_error)) {
        backend_ = std::move(alsa);
        return true;
    }
    error_ = "no sound output: PulseAudio: " + error + "; ALSA: " + alsa_error;
    return false;
}

bool AudioOutput::start(long rate)
{
    if (!backend_ && !open())
        return false;
    if (started_ && rate == rate_) {
        resume();
        return true;
    }
    if (!backend_->start(rate, error_)) {
        started_ = false;
        return false;
    }
    started_ = true;
    paused_ = false;
    rate_ = rate;
    return true;
}

size_t AudioOutput::play(const void *data, size_t bytes)
{
    if (!started_)
        return 0;
    if (paused_)
        resume();
    return backend_->write(data, bytes);
}

void AudioOutput::pause()
{
    if (started_ && !paused_) {
        backend_->pause();
        paused_ = true;
    }
}

void AudioOutput::resume()
{
    if (started_ && paused_) {
        backend_->resume();
        paused_ = false;
    }
}

void AudioOutput::drop()
{
    if (started_)
        backend_->drop();
}

void AudioOutput::finish()
{
    if (started_)
        backend_->finish();
}

void AudioOutput::stop()
{
    if (started_) {
        backend_->stop();
        started_ = false;
        paused_ = false;
        rate_ = 0;
    }
}

void AudioOutput::close()
{
    if (backend_) {
        backend_->close();
        backend_.reset();
    }
    started_ = false;
    paused_ = false;
    rate_ = 0;
}

bool AudioOutput::drained(long *idle_ms)
{
    OutputClock::time_point since;
    const bool done = !backend_ || backend_->drained(&since);
    if (idle_ms)
        *idle_ms = done && backend_ ? ms_since(since) : 0;
    return done;
}

long AudioOutput::stalled_ms() { return backend_ ? ms_since(backend_->last_progress()) : 0; }

bool AudioOutput::failed() { return backend_ && backend_->failed(error_); }

long AudioOutput::queued_frames() { return backend_ ? static_cast<long>(backend_->queued_bytes() / 4) : 0; }

std::vector<OutputModuleInfo> AudioOutput::modules()
{
    std::vector<OutputModuleInfo> result;
    out123_handle *ao = out123_new();
    if (!ao)
        return result;
    out123_param_int(ao, OUT123_ADD_FLAGS, OUT123_QUIET);
    char **names = nullptr;
    char **descriptions = nullptr;
    const int count = out123_drivers(ao, &names, &descriptions);
    for (int i = 0; i < count; ++i) {
        const std::string name = names[i] ? names[i] : "";
        // "pulse" is served by our own client of the sound server.
        result.push_back({name,
                          name == "pulse" ? std::string("PulseAudio sound server")
                                          : std::string(descriptions[i] ? descriptions[i] : "")});
    }
    if (count > 0) {
        out123_stringlists_free(names, descriptions, count);
    }
    out123_del(ao);
    return result;
}

}  // namespace xa_engine
