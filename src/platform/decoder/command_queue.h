#pragma once
// The queue that carries commands from the caller's thread to the engine thread. Pushing never blocks for
// longer than a mutex hand-over; the engine waits on it for a command, a wake-up (new network data) or a
// timeout.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace xa_engine {

struct Command {
    int code = 0;
    int32_t ints[3] = {};
    std::string texts[2];
    bool has_data = false;      // the P and IPI forms: was a data block given?
    std::vector<uint8_t> data;  // a copy of that block
};

class CommandQueue {
public:
    void push(Command command);
    // Takes the next command without waiting.
    std::optional<Command> try_pop();
    // Waits until a command arrives, wake() is called or the timeout passes; returns the command if any.
    std::optional<Command> wait_pop(std::chrono::milliseconds timeout);
    // Ends a wait_pop early without a command (used when stream data arrives).
    void wake();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Command> queue_;
    std::atomic<size_t> size_{0};  // lets try_pop skip the lock while nothing is queued
    bool woken_ = false;
};

}  // namespace xa_engine
