#pragma once
// Tells when the mount table changes. The kernel marks /proc/<pid>/mountinfo with an exceptional condition
// (POLLPRI) whenever something is mounted or unmounted in the process's mount namespace; a file-system
// watcher sees nothing there. The file is watched with a socket notifier of the exception kind and read to
// its end after each report, which clears the condition.

#include <QObject>
#include <QString>

class QSocketNotifier;

class MountWatcher : public QObject {
    Q_OBJECT
public:
    // Starts watching at once; a file that cannot be opened is not watched (isWatching() false).
    explicit MountWatcher(const QString &mountInfoPath, QObject *parent = nullptr);
    ~MountWatcher() override;
    MountWatcher(const MountWatcher &) = delete;
    MountWatcher &operator=(const MountWatcher &) = delete;

    bool isWatching() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void mountsChanged();

private:
    void Drain();
    void Activated();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
