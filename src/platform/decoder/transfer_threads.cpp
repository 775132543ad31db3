#include "transfer_threads.h"

#include "curl_library.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace xa_engine {

namespace {

// How long a thread without work waits for the next transfer before it ends.
constexpr auto kIdleLife = std::chrono::seconds(30);

class TransferThreads {
public:
    void run(std::function<void(CURL *)> transfer)
    {
        std::unique_lock lock(mutex_);
        queue_.push_back(std::move(transfer));
        if (idle_ >= queue_.size()) {
            wake_.notify_one();
            return;
        }
        try {
            std::thread([this] { serve(); }).detach();
            ++threads_;
        } catch (const std::system_error &) {
            // No thread to be had: a busy one takes the transfer when it is done; with none at all, the
            // transfer is told here that it cannot run, so that it fails instead of waiting forever.
            if (threads_ > 0)
                return;
            std::function<void(CURL *)> orphan = std::move(queue_.back());
            queue_.pop_back();
            lock.unlock();
            orphan(nullptr);
        }
    }

private:
    void serve()
    {
        const CurlApi *api = curl_api(nullptr);
        CURL *curl = api ? api->easy_init() : nullptr;
        std::unique_lock lock(mutex_);
        while (true) {
            if (queue_.empty()) {
                ++idle_;
                const bool more = wake_.wait_for(lock, kIdleLife, [this] { return !queue_.empty(); });
                --idle_;
                if (!more)
                    break;
            }
            std::function<void(CURL *)> transfer = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            transfer(curl);
            transfer = nullptr;  // lets go of the stream before the lock is taken again
            lock.lock();
        }
        --threads_;
        lock.unlock();
        if (curl)
            api->easy_cleanup(curl);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void(CURL *)>> queue_;
    size_t idle_ = 0;     // threads waiting for a transfer
    size_t threads_ = 0;  // threads running
};

}  // namespace

void run_transfer(std::function<void(CURL *)> transfer)
{
    // Never destroyed: detached threads may still wait on it while the program ends.
    static TransferThreads *const threads = new TransferThreads;
    threads->run(std::move(transfer));
}

}  // namespace xa_engine
