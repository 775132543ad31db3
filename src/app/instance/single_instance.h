#pragma once
// One running program per user and display. The first start listens on a local socket named after the user
// and the display; a later start connects, hands over its command line and ends. The running program then
// treats that command line as its own (files and URLs are opened, switches show their windows; none shows
// the main window).
//
// Starts at the same moment are settled by a lock file beside the socket: whoever holds it listens, the
// others keep handing over until it does. A lock or socket left behind by a program that died is taken over.
//
// A second guard keeps two programs (on two displays of one user) from writing one configuration: the
// running program holds a lock beside its configuration file.
//
// The socket is a plain Unix-domain socket served through the event loop (QtCore only: the program links no
// network library for this). Only one thread may use these, the user-interface thread once the application
// object exists.

#include <QByteArray>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>

class QSocketNotifier;

namespace instance {

// The socket of this user and display: in $XDG_RUNTIME_DIR when set (private to the user), else in the
// temporary folder with the user's id in the name.
QString SocketPath();

// The arguments as the running program must see them: a relative file name is made absolute against
// `workingFolder` (the running program has a folder of its own); switches and URLs stay as they are.
QStringList ArgumentsForHandOver(const QStringList &arguments, const QString &workingFolder);

// Hands `arguments` to the program listening on `socketPath`. True once that program has taken them;
// false when none listens or it did not answer within `timeoutMs`. Needs no application object.
bool HandOver(const QString &socketPath, const QStringList &arguments, int timeoutMs);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Primary,     // this program is the one instance and listens
        HandedOver,  // another start became the instance meanwhile and took the arguments
        Failed,      // neither: the lock stayed held and nobody listened
    };

    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the instance, or hands `arguments` over to the start that did. Gives up after `timeoutMs`.
    Outcome Claim(const QStringList &arguments, int timeoutMs = 5000);
    // Why Claim failed, for the user.
    QString ErrorText() const { return m_error; }

    // Holds the lock beside `configurationFile` for the rest of the run. False when a live program holds it;
    // a folder where no lock can be made is no obstacle (nothing can be written there either).
    bool LockConfiguration(const QString &configurationFile);

Q_SIGNALS:
    // A later start's command line, without its program name, files made absolute.
    void CommandLineReceived(const QStringList &arguments);

private:
    void Accept();
    void Read(int connection);
    void Drop(int connection);

    QString m_socketPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_instanceLock;
    std::unique_ptr<QLockFile> m_configurationLock;
    int m_listener = -1;
    QSocketNotifier *m_acceptNotifier = nullptr;
    struct Connection {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };
    QHash<int, Connection> m_connections;
};

}  // namespace instance
