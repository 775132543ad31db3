#include "http_stream.h"

#include "xaudio.h"

#include "curl_library.h"
#include "transfer_threads.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

namespace xa_engine {

namespace {
int64_t now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool starts_with_nocase(const char *text, size_t size, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return size >= n && strncasecmp(text, prefix, n) == 0;
}

int error_for(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return XA_ERROR_NETWORK_HOST_NOT_FOUND;
    case CURLE_COULDNT_CONNECT:
        return XA_ERROR_NETWORK_CONNECT_FAILED;
    case CURLE_HTTP_RETURNED_ERROR:
        return XA_ERROR_NETWORK_HTTP_STATUS;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:
        return XA_ERROR_NETWORK_TIMEOUT;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return XA_ERROR_INVALID_PARAMETERS;
    default:
        return XA_ERROR_NETWORK_TRANSFER;
    }
}
}  // namespace

struct HttpStream::Transfer {
    static size_t write(char *data, size_t size, size_t count, void *self)
    {
        return static_cast<HttpStream *>(self)->on_data(data, size * count);
    }
    static size_t header(char *data, size_t size, size_t count, void *self)
    {
        static_cast<HttpStream *>(self)->on_header(data, size * count);
        return size * count;
    }
    static int prereq(void *self, char *, char *, int, int)
    {
        static_cast<HttpStream *>(self)->on_connected();
        return CURL_PREREQFUNC_OK;
    }
    static int progress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<HttpStream *>(self)->should_abort() ? 1 : 0;
    }
};

std::shared_ptr<HttpStream> HttpStream::start(const std::string &url, const HttpOptions &options,
                                              std::function<void()> wake)
{
    std::shared_ptr<HttpStream> stream(new HttpStream);
    stream->wake_ = std::move(wake);
    stream->options_ = options;
    // The transfer holds its own reference, so a cancelled transfer finishes safely after the engine let go.
    run_transfer([stream, url, options](CURL *curl) { stream->run(curl, url, options); });
    return stream;
}

HttpStream::~HttpStream() = default;

void HttpStream::run(CURL *curl, const std::string &url, const HttpOptions &options)
{
    std::string load_error;
    const CurlApi *api = curl_api(&load_error);
    if (!api) {
        finish(State::Failed, XA_FAILURE, "cannot start a network transfer: " + load_error);
        return;
    }
    if (!curl) {
        finish(State::Failed, XA_ERROR_OUT_OF_MEMORY, "cannot start a network transfer");
        return;
    }
    curl_slist *headers = api->slist_append(nullptr, "Icy-MetaData: 1");
    curl_slist *aliases = api->slist_append(nullptr, "ICY 200 OK");
    char error_buffer[CURL_ERROR_SIZE] = {};

    api->easy_setopt(curl, CURLOPT_URL, url.c_str());
    api->easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    api->easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api->easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    api->easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    api->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    api->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connect_timeout_ms);
    api->easy_setopt(curl, CURLOPT_USERAGENT, "DAK-MP3/1.0");
    api->easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    api->easy_setopt(curl, CURLOPT_HTTP200ALIASES, aliases);
    api->easy_setopt(curl, CURLOPT_ERRORBUFFER, error_buffer);
    api->easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::write);
    api->easy_setopt(curl, CURLOPT_WRITEDATA, this);
    api->easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Transfer::header);
    api->easy_setopt(curl, CURLOPT_HEADERDATA, this);
    api->easy_setopt(curl, CURLOPT_PREREQDATA, this);
    if (api->easy_setopt(curl, CURLOPT_PREREQFUNCTION, &Transfer::prereq) != CURLE_OK)
        on_connected();  // a libcurl too old to say when it is connected: the stall timer runs from the start
    api->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    api->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    api->easy_setopt(curl, CURLOPT_XFERINFODATA, this);

    const CURLcode rc = api->easy_perform(curl);
    std::string text = error_buffer[0] ? error_buffer : api->easy_strerror(rc);
    // The handle serves the thread's next transfer: it must not keep pointers into this one.
    api->easy_reset(curl);
    api->slist_free_all(headers);
    api->slist_free_all(aliases);
    if (rc == CURLE_OK) {
        finish(State::Finished, XA_SUCCESS, {});
    } else if (!cancelled_) {
        if (rc == CURLE_ABORTED_BY_CALLBACK)
            text = "the server stopped sending";
        finish(State::Failed, error_for(rc), text);
    } else {
        finish(State::Failed, XA_FAILURE, "cancelled");
    }
}

void HttpStream::finish(State state, int error, std::string text)
{
    {
        std::lock_guard lock(mutex_);
        error_text_ = std::move(text);
    }
    error_ = error;
    state_ = state;
    if (!cancelled_ && wake_)
        wake_();
}

void HttpStream::on_connected()
{
    // Called for every connection, redirects included: each one gets the whole stall time for its first data.
    std::lock_guard lock(mutex_);
    connected_ = true;
    last_data_ms_ = now_ms();
}

void HttpStream::on_header(const char *line, size_t size)
{
    if (starts_with_nocase(line, size, "content-type:")) {
        std::string value(line + 13, size - 13);
        value = value.substr(0, value.find(';'));
        std::string type;
        for (char ch : value)
            if (!std::isspace(static_cast<unsigned char>(ch)))
                type += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::lock_guard lock(mutex_);
        content_type_ = type;
        return;
    }
    // A status line starts each response (redirects give several): the ICY framing belongs to the last one.
    if (starts_with_nocase(line, size, "HTTP/") || starts_with_nocase(line, size, "ICY ")) {
        metaint_ = 0;
        std::lock_guard lock(mutex_);
        content_type_.clear();
        return;
    }
    if (starts_with_nocase(line, size, "icy-metaint:")) {
        const std::string value(line + 12, size - 12);
        const long n = std::strtol(value.c_str(), nullptr, 10);
        metaint_ = n > 0 && n <= (1L << 20) ? n : 0;
        until_meta_ = metaint_;
        meta_length_next_ = false;
        meta_remaining_ = 0;
    }
}

size_t HttpStream::on_data(const char *data, size_t size)
{
    if (cancelled_)
        return 0;
    const size_t total = size;
    if (metaint_ <= 0) {
        append_audio(data, size);
        return cancelled_ ? 0 : total;
    }
    while (size > 0) {
        if (meta_length_next_) {
            meta_remaining_ = static_cast<uint8_t>(*data) * 16u;
            meta_length_next_ = false;
            metadata_.clear();
            ++data;
            --size;
            if (meta_remaining_ == 0)
                until_meta_ = metaint_;
        } else if (meta_remaining_ > 0) {
            const size_t take = std::min(size, meta_remaining_);
            metadata_.append(data, take);
            meta_remaining_ -= take;
            data += take;
            size -= take;
            if (meta_remaining_ == 0) {
                parse_metadata();
                until_meta_ = metaint_;
            }
        } else {
            const size_t take = std::min(size, static_cast<size_t>(until_meta_));
            append_audio(data, take);
            until_meta_ -= static_cast<long>(take);
            data += take;
            size -= take;
            if (until_meta_ == 0)
                meta_length_next_ = true;
        }
    }
    return cancelled_ ? 0 : total;
}

void HttpStream::parse_metadata()
{
    // StreamTitle='Artist - Title';StreamUrl='...';
    const std::string key = "StreamTitle='";
    const size_t start = metadata_.find(key);
    if (start == std::string::npos)
        return;
    const size_t from = start + key.size();
    size_t end = metadata_.find("';", from);
    if (end == std::string::npos)
        end = metadata_.find('\'', from);
    std::string title = metadata_.substr(from, end == std::string::npos ? std::string::npos : end - from);
    {
        std::lock_guard lock(mutex_);
        if (title == title_)
            return;
        title_ = std::move(title);
        ++title_count_;
    }
    if (wake_)
        wake_();
}

void HttpStream::append_audio(const char *data, size_t size)
{
    if (size == 0)
        return;
    {
        std::unique_lock lock(mutex_);
        while (buffer_.size() >= options_.buffer_limit && !cancelled_) {
            waiting_for_room_ = true;
            room_.wait_for(lock, std::chrono::milliseconds(100));
        }
        waiting_for_room_ = false;
        buffer_.insert(buffer_.end(), data, data + size);
        last_data_ms_ = now_ms();
    }
    state_ = State::Streaming;
    if (wake_)
        wake_();
}

bool HttpStream::should_abort()
{
    if (cancelled_)
        return true;
    std::lock_guard lock(mutex_);
    return connected_ && !waiting_for_room_ && now_ms() - last_data_ms_ > options_.stall_timeout_ms;
}

size_t HttpStream::read(uint8_t *buffer, size_t capacity)
{
    std::lock_guard lock(mutex_);
    const size_t n = std::min(capacity, buffer_.size());
    std::copy_n(buffer_.begin(), n, buffer);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
    if (n > 0)
        room_.notify_one();
    return n;
}

std::string HttpStream::error_text() const
{
    std::lock_guard lock(mutex_);
    return error_text_;
}

std::string HttpStream::content_type() const
{
    std::lock_guard lock(mutex_);
    return content_type_;
}

std::string HttpStream::stream_title(unsigned *count) const
{
    std::lock_guard lock(mutex_);
    if (count)
        *count = title_count_;
    return title_;
}

unsigned HttpStream::title_count() const
{
    std::lock_guard lock(mutex_);
    return title_count_;
}

void HttpStream::cancel()
{
    cancelled_ = true;
    room_.notify_all();
}

}  // namespace xa_engine
