#include "audio_output.h"

#include <out123.h>

namespace xa_engine {

namespace {
// The device buffer: short enough that pause, stop and seek are heard at once, long enough not to drop out.
constexpr double kDeviceBufferSeconds = 0.2;
}  // namespace

AudioOutput::AudioOutput()
{
    ao_ = out123_new();
    if (ao_) {
        out123_param_int(ao_, OUT123_ADD_FLAGS, OUT123_QUIET);
        out123_param_float(ao_, OUT123_DEVICEBUFFER, kDeviceBufferSeconds);
        out123_param_string(ao_, OUT123_NAME, "DAK-MP3");
    }
}

AudioOutput::~AudioOutput()
{
    close();
    if (ao_)
        out123_del(ao_);
}

void AudioOutput::select(const std::string &name) { name_ = name; }

std::string AudioOutput::module() const
{
    const size_t colon = name_.find(':');
    return colon == std::string::npos ? name_ : name_.substr(0, colon);
}

bool AudioOutput::open()
{
    if (open_)
        return true;
    if (!ao_) {
        error_ = "the audio output library could not be started";
        return false;
    }
    std::string driver = module();
    std::string device;
    if (const size_t colon = name_.find(':'); colon != std::string::npos)
        device = name_.substr(colon + 1);
    if (driver.empty())
        driver = "pulse,alsa";
    if (out123_open(ao_, driver.c_str(), device.empty() ? nullptr : device.c_str()) != OUT123_OK) {
        error_ = out123_strerror(ao_);
        return false;
    }
    open_ = true;
    started_ = false;
    return true;
}

bool AudioOutput::start(long rate)
{
    if (!open_ && !open())
        return false;
    if (started_ && rate == rate_) {
        resume();
        return true;
    }
    if (started_)
        out123_stop(ao_);
    if (out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) != OUT123_OK) {
        error_ = out123_strerror(ao_);
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
    return out123_play(ao_, const_cast<void *>(data), bytes);
}

void AudioOutput::pause()
{
    if (started_ && !paused_) {
        out123_pause(ao_);
        paused_ = true;
    }
}

void AudioOutput::resume()
{
    if (started_ && paused_) {
        out123_continue(ao_);
        paused_ = false;
    }
}

void AudioOutput::drop()
{
    if (started_)
        out123_drop(ao_);
}

void AudioOutput::drain()
{
    if (started_ && !paused_)
        out123_drain(ao_);
}

void AudioOutput::stop()
{
    if (started_) {
        out123_stop(ao_);
        started_ = false;
        paused_ = false;
    }
}

void AudioOutput::close()
{
    stop();
    if (open_) {
        out123_close(ao_);
        open_ = false;
    }
}

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
    for (int i = 0; i < count; ++i)
        result.push_back({names[i] ? names[i] : "", descriptions[i] ? descriptions[i] : ""});
    if (count > 0) {
        out123_stringlists_free(names, descriptions, count);
    }
    out123_del(ao);
    return result;
}

}  // namespace xa_engine
