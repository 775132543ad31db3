// One program per user and display, over a real local socket and real lock files in a temporary folder: a
// later claim hands its command line to the instance (files made absolute, switches and URLs untouched), a
// lock left by a program that died is taken over, and the configuration lock keeps a second holder out.

#include "app/instance/single_instance.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QDataStream>

#include <atomic>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using instance::SingleInstance;

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void laterClaimHandsItsCommandLineOver()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("s.socket"));
        SingleInstance first(socket);
        QCOMPARE(first.Claim({}), SingleInstance::Outcome::Primary);
        QSignalSpy received(&first, &SingleInstance::CommandLineReceived);

        const QStringList handed = instance::ArgumentsForHandOver(
            {QStringLiteral("-s"), QStringLiteral("my songs/a b.mp3"), QStringLiteral("http://127.0.0.1:8000/x"),
             QStringLiteral("/abs/c.mp3"), QStringLiteral("-M")},
            QStringLiteral("/home/u/music"));
        // The later start runs elsewhere; here on a thread of its own, while this one serves.
        std::atomic<int> outcome{-1};
        std::thread second([&] {
            SingleInstance later(socket);
            outcome = static_cast<int>(later.Claim(handed, 5000));
        });
        QVERIFY(received.wait(5000));
        second.join();
        QCOMPARE(outcome.load(), static_cast<int>(SingleInstance::Outcome::HandedOver));
        QCOMPARE(received.first().first().toStringList(),
                 (QStringList{QStringLiteral("-s"), QStringLiteral("/home/u/music/my songs/a b.mp3"),
                              QStringLiteral("http://127.0.0.1:8000/x"), QStringLiteral("/abs/c.mp3"),
                              QStringLiteral("/home/u/music/-M")}));

        // An empty command line is handed over too (it brings up the window).
        std::thread third([&] { outcome = static_cast<int>(SingleInstance(socket).Claim({}, 5000)); });
        QVERIFY(received.wait(5000));
        third.join();
        QCOMPARE(outcome.load(), static_cast<int>(SingleInstance::Outcome::HandedOver));
        QCOMPARE(received.last().first().toStringList(), QStringList());

        // A stray client that claims four thousand million arguments is dropped; the instance serves on.
        QByteArray bogus;
        QDataStream out(&bogus, QIODevice::WriteOnly);
        out << quint32(8) << quint32(0x44414b31) << quint32(0xffffffff);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(socket).constData(), sizeof address.sun_path);
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::send(fd, bogus.constData(), static_cast<size_t>(bogus.size()), 0), bogus.size());
        QVERIFY(!received.wait(300));
        ::close(fd);
        std::thread fourth(
            [&] { outcome = static_cast<int>(SingleInstance(socket).Claim({QStringLiteral("/x.mp3")}, 5000)); });
        QVERIFY(received.wait(5000));
        fourth.join();
        QCOMPARE(received.last().first().toStringList(), QStringList{QStringLiteral("/x.mp3")});
    }

    void lockAndSocketOfADeadProgramAreTakenOver()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("s.socket"));
        // What a killed program leaves: its lock file (a process id that runs no more) and its socket file.
        QFile lock(socket + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483000\ndak-mp3\n\n");
        lock.close();
        QFile stale(socket);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();

        SingleInstance next(socket);
        QCOMPARE(next.Claim({}, 2000), SingleInstance::Outcome::Primary);
        QVERIFY(!instance::HandOver(dir.filePath(QStringLiteral("none.socket")), {}, 200));
    }

    void configurationLockKeepsASecondHolderOut()
    {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("devud3.dat"));
        SingleInstance a(dir.filePath(QStringLiteral("a.socket")));
        SingleInstance b(dir.filePath(QStringLiteral("b.socket")));
        QVERIFY(a.LockConfiguration(config));
        QVERIFY(!b.LockConfiguration(config));
        // A folder where no lock can be made stops nobody (nothing can be saved there either).
        QVERIFY(b.LockConfiguration(QStringLiteral("/proc/no-such-folder/devud3.dat")));
    }

    // One display however it is written (screen number, "unix:" prefix) is one instance; another display or
    // host is another; whatever the display's name holds, the socket stays in its folder.
    void oneSocketPerDisplay()
    {
        const QByteArray saved = qgetenv("DISPLAY");
        const auto pathFor = [](const char *display) {
            qputenv("DISPLAY", display);
            return instance::SocketPath();
        };
        const QString zero = pathFor(":0");
        QCOMPARE(pathFor(":0.0"), zero);
        QCOMPARE(pathFor("unix:0.1"), zero);
        QCOMPARE(pathFor(":10.0"), pathFor(":10"));
        QVERIFY(pathFor(":1.0") != pathFor(":10"));
        QVERIFY(pathFor(":1") != zero);
        QVERIFY(pathFor("otherhost:0") != zero);
        QVERIFY(pathFor(".0") != zero);
        const QString odd = pathFor("../../etc/x y:0.0");
        QCOMPARE(QFileInfo(odd).absolutePath(), QFileInfo(zero).absolutePath());
        QVERIFY(!QFileInfo(odd).fileName().contains(u' '));
        QVERIFY(odd != zero);
        qputenv("DISPLAY", saved);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
