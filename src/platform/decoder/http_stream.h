#pragma once
// An http/https download on a transfer thread (transfer_threads.h), for playing while downloading. Follows redirects, accepts servers
// that answer "ICY 200 OK", asks for ICY metadata and strips it, so that only audio bytes reach the reader.
// The stall timer starts when the connection is made: the connect timeout covers the time before.
// The engine thread reads what has arrived without ever waiting on the network; cancel() returns at once and
// the transfer thread cleans up after itself.

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace xa_engine {

struct HttpOptions {
    long connect_timeout_ms = 10000;
    long stall_timeout_ms = 8000;    // no data for this long while there is room for it: the transfer fails
    size_t buffer_limit = 4u << 20;  // the transfer waits while this much audio is unread
};

class HttpStream {
public:
    enum class State { Connecting, Streaming, Finished, Failed };

    // Starts the transfer; `wake` is called (on the transfer thread) whenever data arrives or the state changes.
    static std::shared_ptr<HttpStream> start(const std::string &url, const HttpOptions &options,
                                             std::function<void()> wake);
    ~HttpStream();

    // Copies up to `capacity` unread audio bytes; never waits.
    size_t read(uint8_t *buffer, size_t capacity);
    State state() const { return state_.load(); }
    // XA_ERROR_NETWORK_* (or another XA error) once Failed.
    int error() const { return error_.load(); }
    std::string error_text() const;
    // The latest StreamTitle of the ICY metadata, empty if none; the count goes up whenever a new title arrives.
    std::string stream_title(unsigned *count = nullptr) const;
    unsigned title_count() const;
    // The media type of the last response ("audio/mpeg"), lower case, without parameters; empty until known.
    std::string content_type() const;
    bool icy() const { return metaint_ > 0; }
    // Asks the transfer to end; returns at once.
    void cancel();

    // For the transfer thread's callbacks.
    struct Transfer;

private:
    HttpStream() = default;
    void run(CURL *curl, const std::string &url, const HttpOptions &options);
    size_t on_data(const char *data, size_t size);
    void on_header(const char *line, size_t size);
    void on_connected();
    bool should_abort();
    void append_audio(const char *data, size_t size);
    void parse_metadata();
    void finish(State state, int error, std::string text);

    std::function<void()> wake_;
    HttpOptions options_;
    std::atomic<State> state_{State::Connecting};
    std::atomic<int> error_{0};
    std::atomic<bool> cancelled_{false};

    mutable std::mutex mutex_;
    std::condition_variable room_;
    std::deque<uint8_t> buffer_;
    std::string error_text_;
    std::string title_;
    unsigned title_count_ = 0;
    std::string content_type_;
    bool connected_ = false;  // the stall timer runs only once a connection to the server stands
    bool waiting_for_room_ = false;
    int64_t last_data_ms_ = 0;

    // ICY metadata framing (transfer thread only).
    long metaint_ = 0;
    long until_meta_ = 0;
    size_t meta_remaining_ = 0;
    bool meta_length_next_ = false;
    std::string metadata_;
    bool got_status_ = false;
};

}  // namespace xa_engine
