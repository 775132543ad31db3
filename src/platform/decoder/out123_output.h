#pragma once
// Sound output over libout123 (ALSA, and the wav, raw and test outputs) fed from a thread of its own, so that
// out123_play blocking on a full device never holds up the engine. Every libout123 call runs on that thread;
// the engine only fills a bounded buffer and posts requests. A thread stuck in a device that never answers is
// left behind on close (it frees its handle if the call ever returns) instead of blocking its caller.

#include "output_backend.h"

#include <memory>
#include <string>

namespace xa_engine {

class Out123Output final : public OutputBackend {
public:
    // `driver` is a libout123 module name (or a comma-separated list to try in order); `device` may be empty.
    Out123Output(std::string driver, std::string device, OutputWakeup wake);
    ~Out123Output() override;
    Out123Output(const Out123Output &) = delete;
    Out123Output &operator=(const Out123Output &) = delete;

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
    bool realtime() const override { return realtime_; }

    struct Shared;

private:
    std::string driver_;
    std::string device_;
    OutputWakeup wake_;
    bool realtime_ = true;
    std::shared_ptr<Shared> shared_;  // with the thread, while one runs
};

}  // namespace xa_engine
