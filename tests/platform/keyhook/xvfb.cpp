#include "xvfb.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

PrivateXServer::~PrivateXServer() { stop(); }

bool PrivateXServer::start()
{
    // -displayfd: Xvfb finds a free display itself and writes its number when ready.
    process_.setProgram(QStringLiteral("Xvfb"));
    process_.setArguments({"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    // The server ends with the test even when the test is killed and cannot stop it.
    const pid_t parent = getpid();
    process_.setChildProcessModifier([parent] {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
    });
    process_.start();
    if (!process_.waitForStarted(10000))
        return false;
    QByteArray out;
    const QDeadlineTimer deadline(30000);
    while (!out.contains('\n') && !deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(500);
        out += process_.readAllStandardOutput();
    }
    const QByteArray number = out.trimmed();
    if (number.isEmpty()) {
        stop();
        return false;
    }
    display_ = ':' + number;
    return true;
}

void PrivateXServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool Xdotool(const QByteArray &display, const QStringList &arguments)
{
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    xdotool.setProcessEnvironment(environment);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForStarted(10000))
        return false;
    // xdotool never waits for us; the hook's answers are given on this thread only after it returns.
    if (!xdotool.waitForFinished(30000))
        return false;
    return xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}
