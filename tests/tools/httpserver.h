#pragma once
// A small HTTP server for stream tests: listens on 127.0.0.1 on a port the system picks and serves from a
// thread of its own, so a test's thread is free to wait on the code under test. Each path answers with a
// scripted response: a body with Content-Length, chunked, or with no length (a stream that ends by closing);
// ICY responses with metadata blocks for clients that send "Icy-MetaData: 1"; redirects; errors; and
// faults (stall, close early, garbage). Every request is recorded.
//
// Routes may be changed at any time; a request uses the route as it stood when the request arrived. Every
// response carries "Connection: close" and ends the connection when done.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

namespace testtools {

struct HttpResponse {
    enum class Length {
        ContentLength,  // "Content-Length: <body size>", even when a fault cuts the body short
        Chunked,        // "Transfer-Encoding: chunked"
        None,           // no length: the body ends when the server closes the connection
    };

    int status = 200;
    QByteArray body;
    Length length = Length::ContentLength;
    QByteArray contentType = "audio/mpeg";
    QByteArray location;  // sent as "Location" when not empty (redirects)
    QList<QPair<QByteArray, QByteArray>> extraHeaders;

    // ICY: a request with "Icy-MetaData: 1" gets the status line "ICY 200 OK" (or "HTTP/1.0 200 OK" when
    // icyStatusLine is false), icy-metaint/icy-name/icy-br headers, no length, and after every icyMetaInt body
    // bytes a metadata block: one length byte (in 16-byte units) and "StreamTitle='...';" padded with zeros.
    // Block k names icyTitles[k % size]; a title equal to the previous block's is sent as an empty block
    // (length byte 0), as radio servers do. 0 = no ICY, whatever the request asks.
    int icyMetaInt = 0;
    QStringList icyTitles;
    bool icyStatusLine = true;
    QByteArray icyName = "DAK test radio";

    // Faults; the byte counts are body bytes, not counting headers, chunk framing or metadata blocks.
    qint64 stallAfter = -1;   // then send nothing more and keep the connection open until the client leaves
    qint64 closeAfter = -1;   // then close the connection
    bool garbage = false;     // send the body raw, with no status line or headers, then close
    bool repeatBody = false;  // send the body over and over until the client leaves (a radio station)
    int bytesPerSecond = 0;   // pace the body; 0 = as fast as the client takes it

    static HttpResponse ok(QByteArray body, Length length = Length::ContentLength);
    static HttpResponse redirect(const QByteArray &location, int status = 302);
    static HttpResponse error(int status);
    static HttpResponse garbageBytes(qint64 size, uint32_t seed = 3);
};

struct HttpRequest {
    QByteArray method;
    QByteArray target;   // as sent, with any query
    QByteArray version;  // "HTTP/1.1"
    QList<QPair<QByteArray, QByteArray>> headers;

    // The first header of that name (case-insensitive), or an empty array.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer &) = delete;
    TestHttpServer &operator=(const TestHttpServer &) = delete;

    bool isListening() const;
    quint16 port() const;
    // "http://127.0.0.1:<port>" + path (path starts with "/").
    QString url(const QString &path) const;

    // Answers requests for `path` (compared without any query) with `response`. Unknown paths get 404.
    void setRoute(const QString &path, const HttpResponse &response);
    // The same with the bytes of `file` as body; false when the file cannot be read.
    bool setFileRoute(const QString &path, const QString &file, HttpResponse response = {});

    QList<HttpRequest> requests() const;
    // Waits until at least `count` requests arrived; false on timeout.
    bool waitForRequests(int count, int timeoutMs) const;
    // Connections that are open right now (a stalled one stays open until the client closes it).
    int openConnections() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    class Thread;
    std::unique_ptr<Thread> thread_;
};

// One ICY metadata block as the server sends it: the length byte and the padded text.
QByteArray icyMetadataBlock(const QString &title);

}  // namespace testtools
