#include "command_queue.h"

namespace xa_engine {

void CommandQueue::push(Command command)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(command));
        size_.store(queue_.size(), std::memory_order_release);
    }
    cv_.notify_one();
}

std::optional<Command> CommandQueue::try_pop()
{
    if (size_.load(std::memory_order_acquire) == 0)
        return std::nullopt;
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return std::nullopt;
    Command c = std::move(queue_.front());
    queue_.pop_front();
    size_.store(queue_.size(), std::memory_order_release);
    return c;
}

std::optional<Command> CommandQueue::wait_pop(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, timeout, [this] { return !queue_.empty() || woken_; });
    woken_ = false;
    if (queue_.empty())
        return std::nullopt;
    Command c = std::move(queue_.front());
    queue_.pop_front();
    size_.store(queue_.size(), std::memory_order_release);
    return c;
}

void CommandQueue::wake()
{
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    cv_.notify_one();
}

}  // namespace xa_engine
