#include "app/instance/SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace instance {

namespace {

// First word of every hand-over; a program of another kind on the socket answers nothing sensible to it.
constexpr quint32 kMagic = 0x44414b31;  // "DAK1"
constexpr char kTaken = 'K';

const QStringList kSwitches = {QStringLiteral("-m"), QStringLiteral("--manage"), QStringLiteral("-s"),
                               QStringLiteral("--show"), QStringLiteral("-a"), QStringLiteral("--audio")};

// ":0", ":0.0" and "unix:0" are one display; the screen number does not make another one.
QString DisplayKey()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("nodisplay");
    static const QRegularExpression screen(QStringLiteral("\\.[0-9]+$"));
    display.remove(screen);
    if (display.startsWith(QLatin1String("unix:")))
        display.remove(0, 4);
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.:-]")), QStringLiteral("_"));
    display.replace(u':', u'_');
    return display;
}

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
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << arguments;
    socket.write(message);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

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
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        m_error = QStringLiteral("Couldn't listen on ") + m_socketPath + QLatin1Char('\r') + m_server->errorString();
        return Outcome::Failed;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return Outcome::Primary;
}

void SingleInstance::Accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.setVersion(QDataStream::Qt_6_0);
            in.startTransaction();
            quint32 magic = 0;
            QStringList arguments;
            in >> magic >> arguments;
            if (!in.commitTransaction())
                return;  // the rest is still on its way
            if (magic != kMagic) {
                socket->abort();
                return;
            }
            socket->putChar(kTaken);
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT CommandLineReceived(arguments);
        });
    }
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
