#include "tools/httpserver.h"

#include "tools/fixtures.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWaitCondition>

#include <algorithm>

namespace testtools {

struct TestHttpServer::Shared {
    mutable QMutex mutex;
    mutable QWaitCondition requestArrived;
    QHash<QString, HttpResponse> routes;
    QList<HttpRequest> requests;
    int openConnections = 0;
    quint16 port = 0;
    bool listening = false;
};

namespace {

constexpr qint64 maxRequestHead = 64 * 1024;
constexpr qint64 writeAhead = 256 * 1024;  // bytes queued on the socket before waiting for bytesWritten
constexpr qint64 piece = 16 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// Serves one connection: reads the request head, records it, and sends the scripted response.
class Connection : public QObject {
public:
    Connection(QTcpSocket *socket, std::shared_ptr<TestHttpServer::Shared> shared, QObject *parent)
        : QObject(parent), socket_(socket), shared_(std::move(shared))
    {
        socket_->setParent(this);
        {
            QMutexLocker lock(&shared_->mutex);
            ++shared_->openConnections;
        }
        pacer_.setSingleShot(true);
        connect(&pacer_, &QTimer::timeout, this, [this] { pump(); });
        connect(socket_, &QTcpSocket::readyRead, this, [this] { readRequest(); });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this] { pump(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { deleteLater(); });
        readRequest();
    }

    ~Connection() override
    {
        QMutexLocker lock(&shared_->mutex);
        --shared_->openConnections;
    }

private:
    void readRequest()
    {
        if (responding_) {
            socket_->readAll();  // a request body or a second request: ignored
            return;
        }
        in_ += socket_->readAll();
        const qsizetype end = in_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (in_.size() > maxRequestHead)
                socket_->abort();
            return;
        }
        const QList<QByteArray> lines = in_.left(end).split('\n');
        HttpRequest request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        request.version = first.value(2);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        const QString path = QUrl(QString::fromLatin1(request.target)).path();
        {
            QMutexLocker lock(&shared_->mutex);
            shared_->requests.append(request);
            response_ = shared_->routes.value(path, HttpResponse::error(404));
            shared_->requestArrived.wakeAll();
        }
        responding_ = true;
        respond(request);
    }

    void respond(const HttpRequest &request)
    {
        if (response_.garbage) {
            socket_->write(response_.body);
            done_ = true;
            socket_->disconnectFromHost();
            return;
        }
        icy_ = response_.icyMetaInt > 0 && response_.status == 200 && request.header("Icy-MetaData").trimmed() == "1";
        QByteArray head;
        if (icy_) {
            head = response_.icyStatusLine ? "ICY 200 OK\r\n" : "HTTP/1.0 200 OK\r\n";
            head += "icy-metaint: " + QByteArray::number(response_.icyMetaInt) + "\r\n";
            head += "icy-name: " + response_.icyName + "\r\n";
            head += "icy-br: 128\r\n";
        } else {
            head = "HTTP/1.1 " + QByteArray::number(response_.status) + ' ' + reason(response_.status) + "\r\n";
            if (response_.length == HttpResponse::Length::ContentLength && !response_.repeatBody)
                head += "Content-Length: " + QByteArray::number(response_.body.size()) + "\r\n";
            else if (response_.length == HttpResponse::Length::Chunked)
                head += "Transfer-Encoding: chunked\r\n";
        }
        if (!response_.contentType.isEmpty())
            head += "Content-Type: " + response_.contentType + "\r\n";
        if (!response_.location.isEmpty())
            head += "Location: " + response_.location + "\r\n";
        for (const auto &[name, value] : std::as_const(response_.extraHeaders))
            head += name + ": " + value + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket_->write(head);
        chunked_ = !icy_ && response_.length == HttpResponse::Length::Chunked;
        clock_.start();
        pump();
    }

    void pump()
    {
        if (!responding_ || done_ || stalled_)
            return;
        const qint64 size = response_.body.size();
        while (socket_->bytesToWrite() < writeAhead) {
            if (response_.stallAfter >= 0 && sent_ >= response_.stallAfter) {
                stalled_ = true;
                return;
            }
            if (response_.closeAfter >= 0 && sent_ >= response_.closeAfter) {
                done_ = true;
                socket_->disconnectFromHost();
                return;
            }
            if (size == 0 || (!response_.repeatBody && sent_ >= size)) {
                endBody();
                return;
            }
            if (icy_ && sinceMeta_ == response_.icyMetaInt) {
                socket_->write(nextMetadataBlock());
                sinceMeta_ = 0;
            }
            qint64 n = std::min(piece, size - sent_ % size);
            if (response_.stallAfter >= 0)
                n = std::min(n, response_.stallAfter - sent_);
            if (response_.closeAfter >= 0)
                n = std::min(n, response_.closeAfter - sent_);
            if (icy_)
                n = std::min<qint64>(n, response_.icyMetaInt - sinceMeta_);
            if (response_.bytesPerSecond > 0) {
                const qint64 allowed = response_.bytesPerSecond * clock_.elapsed() / 1000 - sent_;
                if (allowed <= 0) {
                    pacer_.start(10);
                    return;
                }
                n = std::min(n, allowed);
            }
            const QByteArray data = response_.body.mid(sent_ % size, n);
            if (chunked_)
                socket_->write(QByteArray::number(n, 16) + "\r\n" + data + "\r\n");
            else
                socket_->write(data);
            sent_ += n;
            sinceMeta_ += int(n);
        }
    }

    void endBody()
    {
        if (chunked_)
            socket_->write("0\r\n\r\n");
        done_ = true;
        socket_->disconnectFromHost();
    }

    QByteArray nextMetadataBlock()
    {
        const QStringList &titles = response_.icyTitles;
        const QString title = titles.isEmpty() ? QString() : titles[metaIndex_ % titles.size()];
        ++metaIndex_;
        if (title.isEmpty() || title == lastTitle_)
            return QByteArray(1, '\0');
        lastTitle_ = title;
        return icyMetadataBlock(title);
    }

    QTcpSocket *socket_;
    std::shared_ptr<TestHttpServer::Shared> shared_;
    QTimer pacer_;
    QElapsedTimer clock_;
    QByteArray in_;
    HttpResponse response_;
    QString lastTitle_;
    qint64 sent_ = 0;
    int sinceMeta_ = 0;
    int metaIndex_ = 0;
    bool responding_ = false;
    bool icy_ = false;
    bool chunked_ = false;
    bool stalled_ = false;
    bool done_ = false;
};

}  // namespace

class TestHttpServer::Thread : public QThread {
public:
    explicit Thread(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) { }
    QSemaphore started;

protected:
    void run() override
    {
        QTcpServer server;
        const bool listening = server.listen(QHostAddress::LocalHost, 0);
        {
            QMutexLocker lock(&shared_->mutex);
            shared_->listening = listening;
            shared_->port = server.serverPort();
        }
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, this] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                new Connection(socket, shared_, &server);
        });
        started.release();
        exec();
    }

private:
    std::shared_ptr<Shared> shared_;
};

HttpResponse HttpResponse::ok(QByteArray body, Length length)
{
    HttpResponse r;
    r.body = std::move(body);
    r.length = length;
    return r;
}

HttpResponse HttpResponse::redirect(const QByteArray &location, int status)
{
    HttpResponse r;
    r.status = status;
    r.location = location;
    r.contentType.clear();
    return r;
}

HttpResponse HttpResponse::error(int status)
{
    HttpResponse r;
    r.status = status;
    r.body = reason(status) + '\n';
    r.contentType = "text/plain";
    return r;
}

HttpResponse HttpResponse::garbageBytes(qint64 size, uint32_t seed)
{
    HttpResponse r;
    r.garbage = true;
    r.body = pseudoRandomBytes(size, seed);
    return r;
}

QByteArray HttpRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool HttpRequest::hasHeader(const QByteArray &name) const
{
    return std::any_of(headers.begin(), headers.end(),
                       [&name](const auto &h) { return h.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QByteArray icyMetadataBlock(const QString &title)
{
    QByteArray text = "StreamTitle='" + title.toUtf8() + "';";
    text = text.left(255 * 16);
    const qsizetype units = (text.size() + 15) / 16;
    text.append(QByteArray(units * 16 - text.size(), '\0'));
    return char(units) + text;
}

TestHttpServer::TestHttpServer() : shared_(std::make_shared<Shared>()), thread_(std::make_unique<Thread>(shared_))
{
    thread_->start();
    thread_->started.acquire();
}

TestHttpServer::~TestHttpServer()
{
    thread_->quit();
    thread_->wait();
}

bool TestHttpServer::isListening() const
{
    QMutexLocker lock(&shared_->mutex);
    return shared_->listening;
}

quint16 TestHttpServer::port() const
{
    QMutexLocker lock(&shared_->mutex);
    return shared_->port;
}

QString TestHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void TestHttpServer::setRoute(const QString &path, const HttpResponse &response)
{
    QMutexLocker lock(&shared_->mutex);
    shared_->routes.insert(path, response);
}

bool TestHttpServer::setFileRoute(const QString &path, const QString &file, HttpResponse response)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    response.body = f.readAll();
    setRoute(path, response);
    return true;
}

QList<HttpRequest> TestHttpServer::requests() const
{
    QMutexLocker lock(&shared_->mutex);
    return shared_->requests;
}

bool TestHttpServer::waitForRequests(int count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&shared_->mutex);
    while (shared_->requests.size() < count)
        if (!shared_->requestArrived.wait(&shared_->mutex, deadline))
            return shared_->requests.size() >= count;
    return true;
}

int TestHttpServer::openConnections() const
{
    QMutexLocker lock(&shared_->mutex);
    return shared_->openConnections;
}

}  // namespace testtools
