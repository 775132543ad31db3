#pragma once
// The HTTP server of the stream fuzzer: one thread on a socket of 127.0.0.1, answering one connection at a time
// with the body of the current input. "/sized.mp3" answers with a Content-Length, "/stream.mp3" without one
// (the body ends when the server closes), any other path "404 Not Found" (playlist entries). It also answers
// as the proxy of every request: then any other server's location is "404 Not Found" too, and a playlist
// naming hosts costs no name lookups on the network (which may take seconds each, or reach the world).
//
// The tests' server scripts faults, ICY and redirects through Qt's event loop; for a fuzzer that makes a
// connection or more per input, that machinery and its coverage bookkeeping cost more than the engine it
// feeds. This one allocates nothing per connection and is compiled without coverage, so only the engine's
// paths guide the fuzzer.

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace fuzz {

class BodyServer {
public:
    BodyServer();
    ~BodyServer();
    BodyServer(const BodyServer &) = delete;
    BodyServer &operator=(const BodyServer &) = delete;

    bool listening() const { return listener_ >= 0; }
    // "http://127.0.0.1:<port><path>".
    std::string url(const char *path) const;
    // The body every later request is answered with.
    void setBody(const uint8_t *data, size_t size);
    // Makes this server the proxy of every later http and https request of the process (through the
    // environment libcurl reads), so that no input reaches the network.
    void proxyEverything() const;

private:
    void serve();
    void answer(int connection);

    int listener_ = -1;
    uint16_t port_ = 0;
    char origin_[32] = {};  // "http://127.0.0.1:<port>"
    std::mutex mutex_;
    std::string body_;
    std::string sending_;  // the server thread's copy of the body it is sending
    std::thread thread_;
};

}  // namespace fuzz
