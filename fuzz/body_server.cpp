#include "body_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

namespace {
constexpr int kWaitMs = 2000;  // for a request to arrive, or for room to send; a client gone quiet is dropped

bool sendAll(int connection, const char *data, size_t size)
{
    while (size > 0) {
        pollfd p{connection, POLLOUT, 0};
        if (poll(&p, 1, kWaitMs) <= 0)
            return false;
        const ssize_t n = send(connection, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}
}  // namespace

BodyServer::BodyServer()
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    std::snprintf(origin_, sizeof origin_, "http://127.0.0.1:%u", unsigned(port_));
    thread_ = std::thread([this] { serve(); });
}

BodyServer::~BodyServer()
{
    if (listener_ < 0)
        return;
    shutdown(listener_, SHUT_RDWR);  // ends the accept() the thread waits in
    thread_.join();
    close(listener_);
}

std::string BodyServer::url(const char *path) const { return origin_ + std::string(path); }

void BodyServer::setBody(const uint8_t *data, size_t size)
{
    std::lock_guard lock(mutex_);
    body_.assign(reinterpret_cast<const char *>(data), size);
}

void BodyServer::proxyEverything() const
{
    for (const char *name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        setenv(name, origin_, 1);
    for (const char *name : {"no_proxy", "NO_PROXY"})
        unsetenv(name);
}

void BodyServer::serve()
{
    while (true) {
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;  // shut down
        }
        answer(connection);
        close(connection);
    }
}

void BodyServer::answer(int connection)
{
    // The request: its first line says the path; the rest is read up to the blank line and dropped (closing a
    // socket with unread data would reset the connection and could cut the response short for the client).
    char buffer[4096];
    char start[80] = {};
    size_t startSize = 0;
    uint32_t last4 = 0;
    bool complete = false;
    while (!complete) {
        pollfd p{connection, POLLIN, 0};
        if (poll(&p, 1, kWaitMs) <= 0)
            return;
        const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n && !complete; ++i) {
            if (startSize < sizeof start - 1)
                start[startSize++] = buffer[i];
            last4 = (last4 << 8) | uint8_t(buffer[i]);
            complete = last4 == 0x0D0A0D0A;  // "\r\n\r\n"
        }
    }
    // As the proxy of every request (see the header), the target names the server: "GET http://host:port/path".
    const char *target = start;
    if (std::strncmp(target, "GET ", 4) == 0) {
        target += 4;
        const size_t own = std::strlen(origin_);
        if (std::strncmp(target, origin_, own) == 0)
            target += own;
    }
    const bool sized = std::strncmp(target, "/sized.mp3 ", 11) == 0;
    const bool stream = std::strncmp(target, "/stream.mp3 ", 12) == 0;
    char head[160];
    if (!sized && !stream) {
        const int size = std::snprintf(head, sizeof head,
                                       "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        sendAll(connection, head, size_t(size));
        return;
    }
    {
        std::lock_guard lock(mutex_);
        sending_.assign(body_);  // keeps its capacity: no allocation once the largest input went out
    }
    int size = std::snprintf(head, sizeof head, "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nConnection: close\r\n");
    if (sized)
        size += std::snprintf(head + size, sizeof head - size_t(size), "Content-Length: %zu\r\n", sending_.size());
    size += std::snprintf(head + size, sizeof head - size_t(size), "\r\n");
    if (sendAll(connection, head, size_t(size)))
        sendAll(connection, sending_.data(), sending_.size());
    shutdown(connection, SHUT_WR);
}

}  // namespace fuzz
