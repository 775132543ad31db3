#include "app/instance/single_instance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>

#include <utility>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace instance {

namespace {

// First word of every hand-over; a program of another kind on the socket answers nothing sensible to it.
constexpr quint32 kMagic = 0x44414b31;  // "DAK1"
constexpr char kTaken = 'K';

const QStringList kSwitches = {QStringLiteral("-m"),     QStringLiteral("--manage"), QStringLiteral("-s"),
                               QStringLiteral("--show"), QStringLiteral("-a"),       QStringLiteral("--audio")};

// ":0", ":0.0" and "unix:0" are one display; the screen number does not make another one.
QString DisplayKey()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("nodisplay");
    // Plain character loops rather than regular expressions: this runs at every start, and the expression
    // engine's code would stay resident for the program's whole life for these two lines.
    qsizetype digits = display.size();
    while (digits > 0 && display.at(digits - 1).isDigit() && display.at(digits - 1).unicode() < 128)
        --digits;
    if (digits < display.size() && digits > 0 && display.at(digits - 1) == u'.')
        display.truncate(digits - 1);
    if (display.startsWith(QLatin1String("unix:")))
        display.remove(0, 4);
    for (QChar &c : display) {
        const char16_t u = c.unicode();
        const bool kept = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') ||
            u == u'_' || u == u'.' || u == u'-';
        if (!kept)
            c = u'_';  // ':' included: it ends up as '_' as well
    }
    return display;
}

// Largest hand-over taken; a command line is far smaller.
constexpr quint32 kMaxMessage = 1 << 20;

// The socket's address; false when the path does not fit.
bool Address(const QString &path, sockaddr_un &address)
{
    const QByteArray native = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    return true;
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int ms = static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
        const int n = ::poll(&p, 1, ms);
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

// The message: its length, then the magic word and the arguments as QDataStream writes them.
QByteArray Message(const QStringList &arguments)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << arguments;
    QByteArray message;
    QDataStream framed(&message, QIODevice::WriteOnly);
    framed << static_cast<quint32>(payload.size());
    return message + payload;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) { }
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool LooksLikeUrl(const QString &argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(argument).hasMatch();
}

}  // namespace

QString SocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString name = QStringLiteral("dak-mp3-%1.socket").arg(DisplayKey());
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
    return QDir(QDir::tempPath()).filePath(QStringLiteral("dak-mp3-%1-%2.socket").arg(getuid()).arg(DisplayKey()));
}

QStringList ArgumentsForHandOver(const QStringList &arguments, const QString &workingFolder)
{
    QStringList result;
    result.reserve(arguments.size());
    const QDir folder(workingFolder);
    for (const QString &argument : arguments) {
        if (kSwitches.contains(argument) || LooksLikeUrl(argument) || argument.isEmpty() ||
            QDir::isAbsolutePath(argument))
            result << argument;
        else
            result << QDir::cleanPath(folder.absoluteFilePath(argument));
    }
    return result;
}

bool HandOver(const QString &socketPath, const QStringList &arguments, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    sockaddr_un address;
    if (!Address(socketPath, address))
        return false;
    const Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0 || ::connect(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return false;  // nobody listens (no socket, or one left by a program that died)
    const QByteArray message = Message(arguments);
    qsizetype sent = 0;
    while (sent < message.size()) {
        if (!WaitFor(fd.get(), POLLOUT, deadline))
            return false;
        const ssize_t n = ::send(fd.get(), message.constData() + sent, static_cast<size_t>(message.size() - sent),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (n > 0)
            sent += n;
    }
    char answer = 0;
    for (;;) {
        if (!WaitFor(fd.get(), POLLIN, deadline))
            return false;
        const ssize_t n = ::recv(fd.get(), &answer, 1, MSG_DONTWAIT);
        if (n == 1)
            return answer == kTaken;
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{ }

SingleInstance::~SingleInstance()
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it)
        ::close(it.key());
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

SingleInstance::Outcome SingleInstance::Claim(const QStringList &arguments, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    m_instanceLock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    // No age makes a lock stale: only a holder that is no longer running does.
    m_instanceLock->setStaleLockTime(0);
    while (!m_instanceLock->tryLock(0)) {
        if (m_instanceLock->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("Couldn't create the lock file: ") + m_instanceLock->fileName();
            return Outcome::Failed;
        }
        // Another start holds the lock: it listens now or in a moment.
        if (HandOver(m_socketPath, arguments, 500))
            return Outcome::HandedOver;
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("DAK-MP3 is already running but does not answer.");
            return Outcome::Failed;
        }
        QThread::msleep(50);
    }
    // The lock is ours: a socket left there belongs to a program that died.
    sockaddr_un address;
    if (!Address(m_socketPath, address)) {
        m_error = QStringLiteral("The socket path is too long: ") + m_socketPath;
        return Outcome::Failed;
    }
    ::unlink(address.sun_path);
    Fd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const mode_t mask = ::umask(0077);  // the socket is the user's alone
    const bool bound = listener.get() >= 0 &&
        ::bind(listener.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listener.get(), 16) != 0) {
        m_error = QStringLiteral("Couldn't listen on ") + m_socketPath + QLatin1Char('\r') +
            QString::fromLocal8Bit(std::strerror(errno));
        return Outcome::Failed;
    }
    m_listener = listener.release();
    m_acceptNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return Outcome::Primary;
}

void SingleInstance::Accept()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;  // none waiting (EAGAIN), or the caller gave up already
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_connections.insert(fd, Connection{notifier, {}});
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
    }
}

void SingleInstance::Read(int connection)
{
    auto it = m_connections.find(connection);
    if (it == m_connections.end())
        return;
    char buffer[4096];
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        Drop(connection);  // gone before its message was whole
        return;
    }
    it->received.append(buffer, n);
    if (it->received.size() < 4)
        return;
    QDataStream header(it->received);
    quint32 length = 0;
    header >> length;
    if (length > kMaxMessage) {
        Drop(connection);
        return;
    }
    if (it->received.size() < 4 + static_cast<qsizetype>(length))
        return;  // the rest is still on its way
    QDataStream in(it->received.mid(4, length));
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 count = 0;
    in >> magic >> count;
    // The list is read item by item: a count no message of this length can hold is refused, not reserved.
    bool valid = in.status() == QDataStream::Ok && magic == kMagic && count <= length / 4;
    QStringList arguments;
    for (quint32 i = 0; valid && i < count; ++i) {
        QString argument;
        in >> argument;
        valid = in.status() == QDataStream::Ok;
        arguments << argument;
    }
    if (valid)
        ::send(connection, &kTaken, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    Drop(connection);
    if (valid)
        Q_EMIT CommandLineReceived(arguments);
}

void SingleInstance::Drop(int connection)
{
    const Connection dropped = m_connections.take(connection);
    if (dropped.notifier) {
        dropped.notifier->setEnabled(false);
        dropped.notifier->deleteLater();
    }
    ::close(connection);
}

bool SingleInstance::LockConfiguration(const QString &configurationFile)
{
    m_configurationLock = std::make_unique<QLockFile>(configurationFile + QStringLiteral(".lock"));
    m_configurationLock->setStaleLockTime(0);
    if (m_configurationLock->tryLock(0))
        return true;
    return m_configurationLock->error() != QLockFile::LockFailedError;
}

}  // namespace instance
