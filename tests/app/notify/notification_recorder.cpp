// A minimal desktop notification service for the end-to-end tests: it takes the name
// org.freedesktop.Notifications on the session bus and appends one line per Notify call to the file named
// on its command line: "id<TAB>replaces_id<TAB>summary<TAB>body" (a new line in the body written as "\n").
// A call that names an earlier id keeps that id, as a real service does.

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QFile>
#include <QStringList>
#include <QVariantMap>

class Recorder : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    Recorder(QObject *parent, QString path) : QDBusAbstractAdaptor(parent), m_path(std::move(path)) { }

public Q_SLOTS:
    uint Notify(const QString &, uint replacesId, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        const uint id = replacesId != 0 ? replacesId : ++m_last;
        QFile log(m_path);
        if (log.open(QIODevice::Append | QIODevice::Text)) {
            QString escaped = body;
            escaped.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            log.write(QStringLiteral("%1\t%2\t%3\t%4\n").arg(id).arg(replacesId).arg(summary, escaped).toUtf8());
        }
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    void CloseNotification(uint) { }
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion)
    {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("notification_recorder");
    }

private:
    QString m_path;
    uint m_last = 0;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QObject root;
    new Recorder(&root, QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &root) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 1;
    return QCoreApplication::exec();
}

#include "notification_recorder.moc"
