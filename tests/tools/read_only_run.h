#pragma once
// Runs this test program again in a mount namespace of its own in which a folder is a read-only bind mount
// onto itself: every write of the child into the folder fails as on a read-only disk, root included, while
// the folder stays writable for everyone else and nothing stays mounted afterwards. Needs unshare(1) and a
// user namespace (or root); where that is missing the run does not finish or ends with the mount's failure,
// which the caller tells from its child's own exit codes.

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ReadOnlyRun {
    bool finished = false;  // the child ended normally (not hung, not killed)
    int exitCode = -1;
    QString output;  // standard output
    QString errors;  // standard error
};

inline ReadOnlyRun
RunAgainOnReadOnlyFolder(const QString &folder, const QStringList &arguments,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(
        QStringLiteral("unshare"),
        QStringList{"-rm", "sh", "-c",
                    "mount --bind \"$1\" \"$1\" && mount -o remount,ro,bind \"$1\" \"$1\" && shift && exec \"$@\"",
                    "sh", folder, QCoreApplication::applicationFilePath()} +
            arguments);
    ReadOnlyRun run;
    run.finished = child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit;
    run.exitCode = child.exitCode();
    run.output = QString::fromLocal8Bit(child.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(child.readAllStandardError());
    return run;
}
